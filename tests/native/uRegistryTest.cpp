#include <gtest/gtest.h>

#include "shell/uRegistry.h"

namespace rsw {
namespace {

struct SplitCase {
  std::string path;
  RootKey root;
  std::string keyPath;
};

class SplitRegistryPathTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitRegistryPathTest, SplitsAtTheFirstBackslash) {
  const RegistryPath split = SplitRegistryPath(GetParam().path);
  EXPECT_EQ(split.root, GetParam().root);
  EXPECT_EQ(split.keyPath, GetParam().keyPath);
}

INSTANTIATE_TEST_SUITE_P(Table, SplitRegistryPathTest,
                         ::testing::Values(SplitCase{"HKEY_CURRENT_USER\\Software\\Vondrel Aske\\Ramsweep Pro",
                                                     RootKey::CurrentUser, "Software\\Vondrel Aske\\Ramsweep Pro"},
                                           SplitCase{"hkey_current_user\\Software\\X", RootKey::CurrentUser,
                                                     "Software\\X"},
                                           SplitCase{"HKEY_CURRENT_USER", RootKey::CurrentUser, ""},
                                           SplitCase{"HKEY_CURRENT_USER\\", RootKey::CurrentUser, ""},
                                           SplitCase{"HKEY_LOCAL_MACHINE\\a\\\\b\\", RootKey::LocalMachine, "a\\\\b\\"},
                                           SplitCase{"Hkey_Classes_Root\\.txt", RootKey::ClassesRoot, ".txt"},
                                           SplitCase{"HKEY_DYN_DATA\\PerfStats", RootKey::DynData, "PerfStats"},
                                           SplitCase{"HKEY_USERS\\.DEFAULT", RootKey::Users, ".DEFAULT"},
                                           SplitCase{"HKEY_CURRENT_CONFIG\\System", RootKey::CurrentConfig, "System"}));

struct BadRootCase {
  std::string path;
  std::string message;
};

class UnknownRootTest : public ::testing::TestWithParam<BadRootCase> {};

TEST_P(UnknownRootTest, RaisesWithTheUpperCasedName) {
  try {
    SplitRegistryPath(GetParam().path);
    FAIL() << "no error for " << GetParam().path;
  } catch (const RegistryError& e) {
    EXPECT_EQ(std::string(e.what()), GetParam().message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, UnknownRootTest,
    ::testing::Values(BadRootCase{"HKCU\\Software\\X", "Unknown Root Registry Key: HKCU"},
                      BadRootCase{"hklm", "Unknown Root Registry Key: HKLM"},
                      BadRootCase{"", "Unknown Root Registry Key: "},
                      BadRootCase{"\\Software", "Unknown Root Registry Key: "},
                      BadRootCase{" HKEY_CURRENT_USER\\X", "Unknown Root Registry Key:  HKEY_CURRENT_USER"},
                      BadRootCase{"HKEY_CURRENT_USER2\\X", "Unknown Root Registry Key: HKEY_CURRENT_USER2"},
                      BadRootCase{"hkey_current_\xe9ser\\X", "Unknown Root Registry Key: HKEY_CURRENT_\xe9SER"}));

TEST(UpperAscii, ChangesOnlyAToZ) { EXPECT_EQ(UpperAscii("aZ09_-\xe9\xff"), "AZ09_-\xe9\xff"); }

}  // namespace
}  // namespace rsw
