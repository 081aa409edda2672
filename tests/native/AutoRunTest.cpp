#include <gtest/gtest.h>

#include "shell/AutoRun.h"
#include "shell/MemoryRegistry.h"
#include "shell/SettingsKey.h"
#include "shell/uRegistry.h"

namespace rsw {
namespace {

constexpr const char* kProgram = "C:\\Tools\\rswpro.exe";
constexpr const char* kMaker = "HKEY_CURRENT_USER\\Software\\Vondrel Aske";

class AutoRunTest : public ::testing::Test {
 protected:
  std::int32_t Stored(const char* name) const { return reg.ReadRegInteger(kSettingsKey, name, -99); }
  std::string Entry() const { return reg.ReadRegString(kRunKey, kRunValue, "(none)"); }

  MemoryRegistry memory;
  uRegistry reg{memory};
};

TEST_F(AutoRunTest, CommandIsTheQuotedPathAndStartup) {
  EXPECT_EQ(AutoRunCommand(kProgram), "\"C:\\Tools\\rswpro.exe\" Startup");
  EXPECT_EQ(AutoRunCommand(kProgram).size(), 29u);
  const std::string deep = "C:\\" + std::string(300, 'd') + "\\rswpro.exe";
  EXPECT_EQ(AutoRunCommand(deep), "\"" + deep + "\" Startup");
}

TEST_F(AutoRunTest, InstallOnAnEmptyRegistrySwitchesTheStartupFreeUpOnWithItsOwnDefaults) {
  InstallAutoRun(reg, kProgram);
  EXPECT_EQ(Stored("AutoRun"), 1);
  EXPECT_EQ(Stored("StartupAmount"), 0);
  EXPECT_EQ(Stored("StartupCount"), 1);
  EXPECT_EQ(Stored("StartupDelay"), 1);
  EXPECT_EQ(Entry(), "\"C:\\Tools\\rswpro.exe\" Startup");
  // nothing else is written
  EXPECT_EQ(reg.ListRegValueNames(kSettingsKey).size(), 4u);
}

TEST_F(AutoRunTest, InstallKeepsTheUsersValuesAndRepointsTheEntry) {
  reg.WriteRegBool(kSettingsKey, "AutoRun", true);
  reg.WriteRegInteger(kSettingsKey, "StartupAmount", 12);
  reg.WriteRegInteger(kSettingsKey, "StartupCount", 7);
  reg.WriteRegInteger(kSettingsKey, "StartupDelay", 300);
  reg.WriteRegString(kRunKey, kRunValue, "\"C:\\Old\\rswpro.exe\" Startup");
  for (int run = 0; run < 2; ++run) {  // twice in a row gives the same result
    InstallAutoRun(reg, kProgram);
    EXPECT_EQ(Stored("AutoRun"), 1);
    EXPECT_EQ(Stored("StartupAmount"), 12);
    EXPECT_EQ(Stored("StartupCount"), 7);
    EXPECT_EQ(Stored("StartupDelay"), 300);
    EXPECT_EQ(Entry(), "\"C:\\Tools\\rswpro.exe\" Startup");
  }
}

TEST_F(AutoRunTest, InstallWithTheStartupFreeUpSwitchedOffOnlyRemovesTheEntry) {
  reg.WriteRegBool(kSettingsKey, "AutoRun", false);
  reg.WriteRegInteger(kSettingsKey, "StartupCount", 9);
  reg.WriteRegString(kRunKey, kRunValue, "\"C:\\Old\\rswpro.exe\" Startup");
  reg.WriteRegString(kRunKey, "Other Program", "other.exe");
  InstallAutoRun(reg, kProgram);
  EXPECT_EQ(Stored("AutoRun"), 0);
  EXPECT_EQ(Stored("StartupCount"), 9);
  EXPECT_EQ(Stored("StartupAmount"), -99);  // not written
  EXPECT_EQ(Entry(), "(none)");
  EXPECT_EQ(reg.ReadRegString(kRunKey, "Other Program", ""), "other.exe");
}

TEST_F(AutoRunTest, InstallTreatsADamagedAutoRunValueAsOn) {
  reg.WriteRegString(kSettingsKey, "AutoRun", "0");
  reg.WriteRegString(kSettingsKey, "StartupCount", "5");
  InstallAutoRun(reg, kProgram);
  EXPECT_EQ(Stored("AutoRun"), 1);
  EXPECT_EQ(Stored("StartupCount"), 1);
  EXPECT_EQ(Entry(), "\"C:\\Tools\\rswpro.exe\" Startup");
}

TEST_F(AutoRunTest, InstallRaisesTheWriteErrorWhenTheRunKeyCannotBeWritten) {
  memory.SetReadOnly(RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", true);
  try {
    InstallAutoRun(reg, kProgram);
    FAIL() << "no error";
  } catch (const RegistryError& e) {
    EXPECT_EQ(std::string(e.what()), std::string("Cannot create Key: ") + kRunKey);
  }
}

TEST_F(AutoRunTest, UninstallRemovesTheEntryAndEverythingBelowTheSettingsKeyButNotTheMakersKey) {
  InstallAutoRun(reg, kProgram);
  reg.WriteRegString(std::string(kSettingsKey) + "\\Free And Run 4", "Run 1", "notepad.exe");
  reg.WriteRegString(std::string(kSettingsKey) + "\\Free And Run 4", "Display 1", "Notepad");
  reg.WriteRegInteger(kMaker, "Other", 1);
  reg.WriteRegInteger(std::string(kMaker) + "\\Other Product", "V", 1);
  reg.WriteRegString(kRunKey, "Other Program", "other.exe");

  UninstallAutoRun(reg);
  EXPECT_EQ(Entry(), "(none)");
  EXPECT_FALSE(memory.Open(RootKey::CurrentUser, "Software\\Vondrel Aske\\Ramsweep Pro", KeyAccess::QueryValue));
  EXPECT_TRUE(reg.ListRegValueNames(std::string(kSettingsKey) + "\\Free And Run 4").empty());
  EXPECT_EQ(reg.ReadRegInteger(kMaker, "Other", 0), 1);
  EXPECT_EQ(reg.ReadRegInteger(std::string(kMaker) + "\\Other Product", "V", 0), 1);
  EXPECT_EQ(reg.ReadRegString(kRunKey, "Other Program", ""), "other.exe");
  UninstallAutoRun(reg);  // nothing left to remove: silent
  EXPECT_EQ(memory.OpenKeys(), 0);
}

TEST(SettingsKeyTree, DeletesOnlyTheSettingsKey) {
  MemoryRegistry memory;
  uRegistry reg(memory);
  const std::string below = std::string(kSettingsKey) + "\\Free And Run 4";
  auto fill = [&] {
    reg.WriteRegInteger(kSettingsKey, "AutoRun", 1);
    reg.WriteRegInteger(below, "Free 1", 3);
    reg.WriteRegInteger(kMaker, "Other", 1);
    reg.WriteRegInteger("HKEY_CURRENT_USER\\Software\\Other", "V", 1);
  };
  fill();
  for (const char* refused : {"HKEY_CURRENT_USER", "HKEY_CURRENT_USER\\", "HKEY_CURRENT_USER\\Software",
                              "HKEY_CURRENT_USER\\Software\\Vondrel Aske", "HKEY_CURRENT_USER\\Software\\Other",
                              "HKEY_LOCAL_MACHINE\\Software\\Vondrel Aske\\Ramsweep Pro",
                              "HKEY_CURRENT_USER\\Software\\Vondrel Aske\\Ramsweep Pro\\",
                              "HKEY_CURRENT_USER\\Software\\Vondrel Aske\\Ramsweep Pro\\Free And Run 4",
                              "HKEY_CURRENT_USER\\Software\\Vondrel Aske\\Ramsweep"}) {
    EXPECT_FALSE(reg.DeleteSettingsKeyTree(refused)) << refused;
  }
  EXPECT_THROW(reg.DeleteSettingsKeyTree(""), RegistryError);  // no root: the unknown-root error
  EXPECT_EQ(reg.ReadRegInteger(kSettingsKey, "AutoRun", 0), 1);
  EXPECT_EQ(reg.ReadRegInteger(below, "Free 1", 0), 3);
  EXPECT_EQ(reg.ReadRegInteger("HKEY_CURRENT_USER\\Software\\Other", "V", 0), 1);

  // the root name and the key path match without regard to case
  EXPECT_TRUE(reg.DeleteSettingsKeyTree("hkey_current_user\\SOFTWARE\\vondrel aske\\RAMSWEEP PRO"));
  EXPECT_EQ(reg.ReadRegInteger(kSettingsKey, "AutoRun", 0), 0);
  EXPECT_EQ(reg.ReadRegInteger(below, "Free 1", 0), 0);
  EXPECT_EQ(reg.ReadRegInteger(kMaker, "Other", 0), 1);
}

TEST(SettingsKeyTree, ARefusedDeletionOfAReadOnlySubkeyLeavesEverything) {
  MemoryRegistry memory;
  uRegistry reg(memory);
  const std::string below = std::string(kSettingsKey) + "\\Free And Run 4";
  reg.WriteRegInteger(kSettingsKey, "AutoRun", 1);
  reg.WriteRegInteger(below, "Free 1", 3);
  memory.SetReadOnly(RootKey::CurrentUser, "Software\\Vondrel Aske\\Ramsweep Pro\\Free And Run 4", true);
  EXPECT_FALSE(reg.DeleteSettingsKeyTree(kSettingsKey));
  EXPECT_EQ(reg.ReadRegInteger(kSettingsKey, "AutoRun", 0), 1);
  EXPECT_EQ(reg.ReadRegInteger(below, "Free 1", 0), 3);
}

}  // namespace
}  // namespace rsw
