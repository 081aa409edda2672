#include <gtest/gtest.h>

#include "contract/RegistryContract.h"
#include "shell/MemoryRegistry.h"
#include "shell/uRegistry.h"

namespace rsw::test {
namespace {

class MemoryUnderTest final : public RegistryUnderTest {
 public:
  ~MemoryUnderTest() override { EXPECT_EQ(m_memory.OpenKeys(), 0) << "a key handle was not closed"; }
  RegistryBackend& Backend() override { return m_memory; }
  std::string Scratch() const override { return "Software\\RamsweepProTests\\Scratch"; }

 private:
  MemoryRegistry m_memory;
};

INSTANTIATE_TEST_SUITE_P(Memory, RegistryContract,
                         ::testing::Values(RegistryFactory{"Memory",
                                                           [] { return std::make_unique<MemoryUnderTest>(); }}),
                         [](const auto& tpi) { return tpi.param.name; });

constexpr const char* kKey = "HKEY_CURRENT_USER\\Software\\T";

TEST(MemoryRegistry, EnumeratesInOrderOfCreationAndStopsAtAnOverlongName) {
  MemoryRegistry memory;
  uRegistry reg(memory);
  reg.WriteRegInteger(kKey, "b", 1);
  reg.WriteRegInteger(kKey, "a", 1);
  reg.WriteRegInteger(kKey, "c", 1);
  reg.WriteRegInteger(kKey, "B", 2);  // the same value: keeps its place and first spelling
  EXPECT_EQ(reg.ListRegValueNames(kKey), (std::vector<std::string>{"b", "a", "c"}));
  reg.WriteRegInteger(kKey, std::string(501, 'x'), 1);  // 502 characters with the terminator
  reg.WriteRegInteger(kKey, "d", 1);
  EXPECT_EQ(reg.ListRegValueNames(kKey), (std::vector<std::string>{"b", "a", "c"}));
}

TEST(MemoryRegistry, ReadOnlyKeyRaisesTheWriteErrors) {
  MemoryRegistry memory;
  uRegistry reg(memory);
  reg.WriteRegInteger(kKey, "V", 1);
  memory.SetReadOnly(RootKey::CurrentUser, "Software\\T", true);
  try {
    reg.WriteRegInteger(kKey, "V", 2);
    FAIL() << "no error";
  } catch (const RegistryError& e) {
    EXPECT_STREQ(e.what(), "Cannot create Key: HKEY_CURRENT_USER\\Software\\T");
  }
  EXPECT_EQ(reg.ReadRegInteger(kKey, "V", 0), 1);
  reg.DeleteRegValue(kKey, "V");  // refused silently
  EXPECT_EQ(reg.ReadRegInteger(kKey, "V", 0), 1);
  EXPECT_EQ(memory.OpenKeys(), 0);
}

TEST(MemoryRegistry, KeyWithSubkeysIsNotDeletedAndOpenHandleOutlivesDeletion) {
  MemoryRegistry memory;
  uRegistry reg(memory);
  reg.WriteRegInteger("HKEY_CURRENT_USER\\Software\\T\\Sub", "V", 1);
  reg.DeleteRegKey(kKey);
  EXPECT_EQ(reg.ReadRegInteger("HKEY_CURRENT_USER\\Software\\T\\Sub", "V", 0), 1);

  auto handle = memory.Open(RootKey::CurrentUser, "Software\\T\\Sub", KeyAccess::SetValue);
  ASSERT_TRUE(handle);
  reg.DeleteRegKey("HKEY_CURRENT_USER\\Software\\T\\Sub");
  const std::uint8_t one[4] = {1, 0, 0, 0};
  EXPECT_FALSE(handle->Set("W", 4, one));
  EXPECT_EQ(reg.ReadRegInteger("HKEY_CURRENT_USER\\Software\\T\\Sub", "V", 0), 0);
}

TEST(MemoryRegistry, QueryAccessCannotWrite) {
  MemoryRegistry memory;
  uRegistry reg(memory);
  reg.WriteRegInteger(kKey, "V", 1);
  auto key = memory.Open(RootKey::CurrentUser, "Software\\T", KeyAccess::QueryValue);
  ASSERT_TRUE(key);
  const std::uint8_t two[4] = {2, 0, 0, 0};
  EXPECT_FALSE(key->Set("V", 4, two));
  EXPECT_FALSE(key->DeleteValue("V"));
}

}  // namespace
}  // namespace rsw::test
