#include <windows.h>

#include <atomic>
#include <gtest/gtest.h>
#include <string>

#include "contract/RegistryContract.h"
#include "shell/uRegistry.h"
#include "shell/win32/Win32Registry.h"

namespace rsw::test {
namespace {

constexpr const char* kTestsKey = "Software\\RamsweepProTests";

// The real registry, below a key of its own that is removed with everything in it afterwards.
class RealRegistryUnderTest final : public RegistryUnderTest {
 public:
  RealRegistryUnderTest() {
    static std::atomic<int> counter{0};
    m_scratch = std::string(kTestsKey) + "\\" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
    RegDeleteTreeA(HKEY_CURRENT_USER, m_scratch.c_str());
  }
  ~RealRegistryUnderTest() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, m_scratch.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, kTestsKey);  // only once it is empty
  }
  RegistryBackend& Backend() override { return m_backend; }
  std::string Scratch() const override { return m_scratch; }

 private:
  win32::Win32Registry m_backend;
  std::string m_scratch;
};

INSTANTIATE_TEST_SUITE_P(Windows, RegistryContract,
                         ::testing::Values(RegistryFactory{"Windows",
                                                           [] { return std::make_unique<RealRegistryUnderTest>(); }}),
                         [](const auto& tpi) { return tpi.param.name; });

TEST(Win32Registry, DeleteRegKeyLeavesAKeyWithSubkeys) {
  RealRegistryUnderTest scratch;
  uRegistry reg(scratch.Backend());
  const std::string parent = "HKEY_CURRENT_USER\\" + scratch.Scratch();
  reg.WriteRegInteger(parent, "V", 1);
  reg.WriteRegInteger(parent + "\\Free And Run 4", "Free 1", 4);
  reg.DeleteRegKey(parent);
  // Windows NT refuses a key that still has subkeys; nothing is reported
  EXPECT_EQ(reg.ReadRegInteger(parent, "V", 0), 1);
  reg.DeleteRegKey(parent + "\\Free And Run 4");
  reg.DeleteRegKey(parent);
  EXPECT_EQ(reg.ReadRegInteger(parent, "V", 0), 0);
}

TEST(Win32Registry, ReadsHkeyDynDataWithoutFailing) {
  win32::Win32Registry backend;
  uRegistry reg(backend);
  // present only on Windows 95/98; elsewhere the defaults come back
  const std::int32_t value = reg.ReadRegDWordOrBinary("HKEY_DYN_DATA\\PerfStats\\StatData", "KERNEL\\CPUUsage", -7);
  EXPECT_TRUE(value == -7 || (value >= 0 && value <= 100)) << value;
}

}  // namespace
}  // namespace rsw::test
