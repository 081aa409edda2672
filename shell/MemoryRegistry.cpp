#include "shell/MemoryRegistry.h"

#include <algorithm>
#include <vector>

#include "shell/uRegistry.h"

namespace rsw {

namespace {
// The Windows limits on the length of a key name and a value name.
constexpr std::size_t kMaxKeyName = 255;
constexpr std::size_t kMaxValueName = 16383;
}  // namespace

struct MemoryRegistry::Node {
  struct Value {
    std::string name;
    RegValue value;
  };
  std::string name;
  bool readOnly = false;
  bool deleted = false;       // an open handle outlives its key's deletion, as on Windows
  std::vector<Value> values;  // in order of creation
  std::vector<std::shared_ptr<Node>> children;

  Value* FindValue(std::string_view valueName) {
    const std::string upper = UpperAscii(valueName);
    for (Value& v : values) {
      if (UpperAscii(v.name) == upper) return &v;
    }
    return nullptr;
  }
  std::shared_ptr<Node> Child(std::string_view childName) {
    const std::string upper = UpperAscii(childName);
    for (auto& c : children) {
      if (UpperAscii(c->name) == upper) return c;
    }
    return nullptr;
  }
};

class MemoryKey final : public RegistryKey {
 public:
  MemoryKey(MemoryRegistry& owner, std::shared_ptr<MemoryRegistry::Node> node, bool writable)
      : m_owner(owner), m_keep(std::move(node)), m_node(*m_keep), m_writable(writable) {
    ++m_owner.m_openKeys;
  }
  ~MemoryKey() override { --m_owner.m_openKeys; }

  std::optional<RegValue> Query(std::string_view name, std::size_t capacity) const override {
    const auto* v = m_node.FindValue(name);
    if (!v || v->value.data.size() > capacity) return std::nullopt;
    return v->value;
  }
  bool Set(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> data) override {
    if (!m_writable || m_node.readOnly || m_node.deleted || name.size() > kMaxValueName) return false;
    RegValue value{type, {data.begin(), data.end()}};
    if (auto* v = m_node.FindValue(name)) {
      v->value = std::move(value);
    } else {
      m_node.values.push_back({std::string(name), std::move(value)});
    }
    return true;
  }
  bool DeleteValue(std::string_view name) override {
    if (!m_writable || m_node.readOnly) return false;
    auto* v = m_node.FindValue(name);
    if (!v) return false;
    m_node.values.erase(m_node.values.begin() + (v - m_node.values.data()));
    return true;
  }
  std::optional<std::string> ValueName(std::uint32_t index, std::size_t capacity) const override {
    if (index >= m_node.values.size()) return std::nullopt;
    const std::string& name = m_node.values[index].name;
    if (name.size() + 1 > capacity) return std::nullopt;
    return name;
  }

 private:
  MemoryRegistry& m_owner;
  std::shared_ptr<MemoryRegistry::Node> m_keep;
  MemoryRegistry::Node& m_node;
  bool m_writable;
};

MemoryRegistry::MemoryRegistry() {
  for (RootKey root : {RootKey::CurrentUser, RootKey::LocalMachine, RootKey::ClassesRoot, RootKey::DynData,
                       RootKey::Users, RootKey::CurrentConfig}) {
    m_roots[root] = std::make_shared<Node>();
  }
}

MemoryRegistry::~MemoryRegistry() = default;

std::shared_ptr<MemoryRegistry::Node> MemoryRegistry::Find(RootKey root, std::string_view path, bool create) {
  std::shared_ptr<Node> node = m_roots.at(root);
  std::size_t start = 0;
  while (start < path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view part = path.substr(start, end - start);
    if (part.empty() || part.size() > kMaxKeyName) return nullptr;
    std::shared_ptr<Node> child = node->Child(part);
    if (!child) {
      if (!create || node->readOnly) return nullptr;
      node->children.push_back(std::make_shared<Node>());
      child = node->children.back();
      child->name = std::string(part);
      child->readOnly = node->readOnly;
    }
    node = child;
    start = end + 1;
  }
  return node;
}

std::unique_ptr<RegistryKey> MemoryRegistry::Open(RootKey root, std::string_view path, KeyAccess access) {
  auto node = Find(root, path, false);
  if (!node) return nullptr;
  if (access == KeyAccess::SetValue && node->readOnly) return nullptr;
  return std::make_unique<MemoryKey>(*this, std::move(node), access == KeyAccess::SetValue);
}

std::unique_ptr<RegistryKey> MemoryRegistry::Create(RootKey root, std::string_view path) {
  auto node = Find(root, path, true);
  if (!node || node->readOnly) return nullptr;
  return std::make_unique<MemoryKey>(*this, std::move(node), true);
}

void MemoryRegistry::DeleteKey(RootKey root, std::string_view path) {
  if (path.empty()) return;
  const std::size_t slash = path.rfind('\\');
  const auto parent = slash == std::string_view::npos ? m_roots.at(root) : Find(root, path.substr(0, slash), false);
  if (!parent || parent->readOnly) return;
  const std::string upper = UpperAscii(slash == std::string_view::npos ? path : path.substr(slash + 1));
  auto& kids = parent->children;
  const auto it = std::find_if(kids.begin(), kids.end(), [&](const auto& c) { return UpperAscii(c->name) == upper; });
  if (it != kids.end() && (*it)->children.empty()) {
    (*it)->deleted = true;
    kids.erase(it);
  }
}

namespace {
// Handles still open below a deleted key can no longer write, as on Windows.
void MarkDeleted(MemoryRegistry::Node& node) {
  node.deleted = true;
  for (auto& child : node.children) MarkDeleted(*child);
}
bool AnyReadOnly(const MemoryRegistry::Node& node) {
  if (node.readOnly) return true;
  return std::any_of(node.children.begin(), node.children.end(), [](const auto& c) { return AnyReadOnly(*c); });
}
}  // namespace

bool MemoryRegistry::DeleteKeyTree(RootKey root, std::string_view path) {
  if (!NamesKeyBelowRoot(path)) return false;
  const std::size_t slash = path.rfind('\\');
  const auto parent = slash == std::string_view::npos ? m_roots.at(root) : Find(root, path.substr(0, slash), false);
  if (!parent) return true;
  const std::string upper = UpperAscii(slash == std::string_view::npos ? path : path.substr(slash + 1));
  auto& kids = parent->children;
  const auto it = std::find_if(kids.begin(), kids.end(), [&](const auto& c) { return UpperAscii(c->name) == upper; });
  if (it == kids.end()) return true;
  if (parent->readOnly || AnyReadOnly(**it)) return false;
  MarkDeleted(**it);
  kids.erase(it);
  return true;
}

void MemoryRegistry::SetReadOnly(RootKey root, std::string_view path, bool readOnly) {
  if (const auto node = Find(root, path, true)) node->readOnly = readOnly;
}

}  // namespace rsw
