#pragma once
// Behaviour every registry backend must show through uRegistry. Instantiated for the in-memory
// registry (native and under Wine) and for the real Windows registry (under Wine).

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "shell/RegistryBackend.h"

namespace rsw::test {

class RegistryUnderTest {
 public:
  virtual ~RegistryUnderTest() = default;
  virtual RegistryBackend& Backend() = 0;
  // A key below HKEY_CURRENT_USER that no other test uses and that is removed afterwards,
  // as "Software\...": without the root name.
  virtual std::string Scratch() const = 0;
};

struct RegistryFactory {
  std::string name;
  std::function<std::unique_ptr<RegistryUnderTest>()> make;
};

inline void PrintTo(const RegistryFactory& f, std::ostream* os) { *os << f.name; }

class RegistryContract : public ::testing::TestWithParam<RegistryFactory> {
 protected:
  void SetUp() override { m_registry = GetParam().make(); }
  void TearDown() override { m_registry.reset(); }
  RegistryBackend& Backend() { return m_registry->Backend(); }
  std::string ScratchKey() const { return m_registry->Scratch(); }
  // The full path of the scratch key, or of a key below it.
  std::string Path(const std::string& below = "") const {
    std::string path = "HKEY_CURRENT_USER\\" + m_registry->Scratch();
    return below.empty() ? path : path + "\\" + below;
  }

 private:
  std::unique_ptr<RegistryUnderTest> m_registry;
};

}  // namespace rsw::test
