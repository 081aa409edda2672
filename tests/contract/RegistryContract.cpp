#include "contract/RegistryContract.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "shell/uRegistry.h"

namespace rsw::test {
namespace {

void SetRaw(RegistryBackend& backend, const std::string& keyPath, const std::string& name, RegType type,
            const std::vector<std::uint8_t>& data) {
  const auto key = backend.Create(RootKey::CurrentUser, keyPath);
  ASSERT_TRUE(key);
  ASSERT_TRUE(key->Set(name, static_cast<std::uint32_t>(type), data));
}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const RegistryError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST_P(RegistryContract, IntegersRoundTripAndCreateMissingParents) {
  uRegistry reg(Backend());
  const std::string deep = Path("a\\b\\c");
  EXPECT_EQ(reg.ReadRegInteger(deep, "Times", 2), 2);
  reg.WriteRegInteger(deep, "Times", -123456);
  reg.WriteRegInteger(deep, "Max", 2147483647);
  EXPECT_EQ(reg.ReadRegInteger(deep, "Times", 2), -123456);
  EXPECT_EQ(reg.ReadRegInteger(deep, "Max", 0), 2147483647);
  // names compare without regard to case
  EXPECT_EQ(reg.ReadRegInteger(Path("A\\B\\C"), "TIMES", 2), -123456);
}

TEST_P(RegistryContract, RootNameIsMatchedAfterUpperCasing) {
  uRegistry reg(Backend());
  std::string lower = Path("k");
  for (std::size_t i = 0; i < std::string("HKEY_CURRENT_USER").size(); ++i)
    lower[i] = static_cast<char>(std::tolower(lower[i]));
  reg.WriteRegInteger(lower, "V", 5);
  EXPECT_EQ(reg.ReadRegInteger(Path("k"), "V", 0), 5);
  // the root alone addresses the root key; an absent value there gives the default
  EXPECT_EQ(reg.ReadRegInteger("HKEY_CURRENT_USER", "Ramsweep Pro test value that is never there", 7), 7);
}

TEST_P(RegistryContract, UnknownRootRaisesFromEveryOperation) {
  uRegistry reg(Backend());
  const std::string expected = "Unknown Root Registry Key: HKCU";
  EXPECT_EQ(ErrorOf([&] { reg.ReadRegInteger("HKCU\\Software\\X", "V", 0); }), expected);
  EXPECT_EQ(ErrorOf([&] { reg.ReadRegString("hkcu\\Software\\X", "V", ""); }), expected);
  EXPECT_EQ(ErrorOf([&] { reg.WriteRegBool("HKCU\\Software\\X", "V", true); }), expected);
  EXPECT_EQ(ErrorOf([&] { reg.DeleteRegValue("HKCU\\Software\\X", "V"); }), expected);
  EXPECT_EQ(ErrorOf([&] { reg.DeleteRegKey("HKCU\\Software\\X"); }), expected);
  EXPECT_EQ(ErrorOf([&] { reg.ListRegValueNames("HKCU"); }), expected);
  EXPECT_EQ(ErrorOf([&] { reg.ReadRegInteger("", "V", 0); }), "Unknown Root Registry Key: ");
}

TEST_P(RegistryContract, IntegerReadsNeedAFourByteDword) {
  uRegistry reg(Backend());
  const std::string key = ScratchKey();
  SetRaw(Backend(), key, "Text", RegType::String, {'1', '2', 0});
  SetRaw(Backend(), key, "Four", RegType::String, {'1', '2', '3', 0});
  SetRaw(Backend(), key, "Bin", RegType::Binary, {0x78, 0x56, 0x34, 0x12});
  SetRaw(Backend(), key, "LongBin", RegType::Binary, {1, 0, 0, 0, 0});
  SetRaw(Backend(), key, "ShortDword", RegType::DWord, {1, 0});
  SetRaw(Backend(), key, "LongDword", RegType::DWord, {1, 0, 0, 0, 0, 0, 0, 0});
  const std::string path = Path();
  EXPECT_EQ(reg.ReadRegInteger(path, "Text", -1), -1);
  EXPECT_EQ(reg.ReadRegInteger(path, "Four", -1), -1);
  EXPECT_EQ(reg.ReadRegInteger(path, "Bin", -1), -1);
  EXPECT_EQ(reg.ReadRegDWordOrBinary(path, "Bin", -1), 0x12345678);
  EXPECT_EQ(reg.ReadRegDWordOrBinary(path, "LongBin", -1), -1);
  EXPECT_EQ(reg.ReadRegDWordOrBinary(path, "Text", -1), -1);
  EXPECT_EQ(reg.ReadRegInteger(path, "ShortDword", -1), -1);
  EXPECT_EQ(reg.ReadRegInteger(path, "LongDword", -1), -1);
  EXPECT_EQ(reg.ReadRegDWordOrBinary(path, "LongDword", -1), -1);
  EXPECT_EQ(reg.ReadRegInteger(path, "Absent", 42), 42);
  EXPECT_EQ(reg.ReadRegInteger(Path("no such key"), "Bin", 43), 43);
}

TEST_P(RegistryContract, BooleansAreOneAndZeroOnly) {
  uRegistry reg(Backend());
  const std::string path = Path();
  reg.WriteRegBool(path, "On", true);
  reg.WriteRegBool(path, "Off", false);
  reg.WriteRegInteger(path, "Two", 2);
  reg.WriteRegInteger(path, "MinusOne", -1);
  reg.WriteRegString(path, "Text", "1");
  EXPECT_EQ(reg.ReadRegInteger(path, "On", -5), 1);
  EXPECT_EQ(reg.ReadRegInteger(path, "Off", -5), 0);
  for (bool def : {false, true}) {
    EXPECT_TRUE(reg.ReadRegBool(path, "On", def));
    EXPECT_FALSE(reg.ReadRegBool(path, "Off", def));
    EXPECT_EQ(reg.ReadRegBool(path, "Two", def), def);
    EXPECT_EQ(reg.ReadRegBool(path, "MinusOne", def), def);
    EXPECT_EQ(reg.ReadRegBool(path, "Text", def), def);
    EXPECT_EQ(reg.ReadRegBool(path, "Absent", def), def);
  }
}

TEST_P(RegistryContract, StringsUpTo500BytesWithTerminator) {
  uRegistry reg(Backend());
  const std::string path = Path();
  reg.WriteRegString(path, "Empty", "");
  reg.WriteRegString(path, "Fits", std::string(499, 'x'));     // 500 bytes stored
  reg.WriteRegString(path, "TooLong", std::string(500, 'y'));  // 501 bytes stored
  reg.WriteRegString(path, "Long", std::string(600, 'z'));
  reg.WriteRegInteger(path, "Number", 5);
  EXPECT_EQ(reg.ReadRegString(path, "Empty", "d"), "");
  EXPECT_EQ(reg.ReadRegString(path, "Fits", "d"), std::string(499, 'x'));
  EXPECT_EQ(reg.ReadRegString(path, "TooLong", "d"), "d");
  EXPECT_EQ(reg.ReadRegString(path, "Long", "d"), "d");
  EXPECT_EQ(reg.ReadRegString(path, "Number", "d"), "d");
  EXPECT_EQ(reg.ReadRegString(path, "Absent", "d"), "d");

  // stored without its terminator, or with text after an inner zero
  SetRaw(Backend(), ScratchKey(), "Bare", RegType::String, {'a', 'b'});
  SetRaw(Backend(), ScratchKey(), "Inner", RegType::String, {'a', 0, 'b', 0});
  EXPECT_EQ(reg.ReadRegString(path, "Bare", "d"), "ab");
  EXPECT_EQ(reg.ReadRegString(path, "Inner", "d"), "a");
}

TEST_P(RegistryContract, DeletionsAreSilent) {
  uRegistry reg(Backend());
  const std::string path = Path("del");
  reg.DeleteRegValue(path, "Absent");  // key absent
  reg.WriteRegInteger(path, "V", 1);
  reg.DeleteRegValue(path, "Absent");  // value absent
  reg.DeleteRegValue(path, "V");
  EXPECT_EQ(reg.ReadRegInteger(path, "V", 9), 9);
  reg.WriteRegInteger(path, "W", 1);
  reg.DeleteRegKey(path);
  EXPECT_EQ(reg.ReadRegInteger(path, "W", 9), 9);
  EXPECT_TRUE(reg.ListRegValueNames(path).empty());
  reg.DeleteRegKey(path);  // already gone
}

TEST_P(RegistryContract, TreeDeletionRemovesEverythingBelowAndNothingBeside) {
  uRegistry reg(Backend());
  reg.WriteRegInteger(Path(), "Parent", 1);
  reg.WriteRegInteger(Path("tree"), "Top", 1);
  reg.WriteRegString(Path("tree\\Free And Run 4"), "Run 1", "notepad.exe");
  reg.WriteRegInteger(Path("tree\\a\\b"), "Deep", 1);
  reg.WriteRegInteger(Path("tree2"), "Beside", 1);  // shares the name's beginning
  reg.WriteRegInteger(Path("other"), "Beside", 1);

  EXPECT_TRUE(Backend().DeleteKeyTree(RootKey::CurrentUser, ScratchKey() + "\\TREE"));
  EXPECT_EQ(reg.ReadRegInteger(Path("tree"), "Top", 0), 0);
  EXPECT_EQ(reg.ReadRegString(Path("tree\\Free And Run 4"), "Run 1", "gone"), "gone");
  EXPECT_EQ(reg.ReadRegInteger(Path("tree\\a\\b"), "Deep", 0), 0);
  EXPECT_FALSE(Backend().Open(RootKey::CurrentUser, ScratchKey() + "\\tree", KeyAccess::QueryValue));
  EXPECT_EQ(reg.ReadRegInteger(Path(), "Parent", 0), 1);
  EXPECT_EQ(reg.ReadRegInteger(Path("tree2"), "Beside", 0), 1);
  EXPECT_EQ(reg.ReadRegInteger(Path("other"), "Beside", 0), 1);
  // a key that is not there counts as deleted
  EXPECT_TRUE(Backend().DeleteKeyTree(RootKey::CurrentUser, ScratchKey() + "\\tree"));
}

TEST_P(RegistryContract, TreeDeletionRefusesPathsThatNameNoKeyBelowTheRoot) {
  uRegistry reg(Backend());
  reg.WriteRegInteger(Path("kept"), "V", 1);
  const std::string scratch = ScratchKey();
  for (const std::string& bad : {std::string(), std::string("\\"), std::string("\\\\"), scratch + "\\", "\\" + scratch,
                                 scratch + "\\\\kept", scratch + "\\kept\\"}) {
    EXPECT_FALSE(Backend().DeleteKeyTree(RootKey::CurrentUser, bad)) << "'" << bad << "'";
  }
  EXPECT_EQ(reg.ReadRegInteger(Path("kept"), "V", 0), 1);
}

TEST_P(RegistryContract, ListsValueNames) {
  uRegistry reg(Backend());
  EXPECT_TRUE(reg.ListRegValueNames(Path("missing")).empty());
  const std::string path = Path("list");
  reg.WriteRegString(path, "Display 1", "Notepad");
  reg.WriteRegString(path, "Run 1", "notepad.exe");
  reg.WriteRegInteger(path, "Free 1", 4);
  auto names = reg.ListRegValueNames(path);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Display 1", "Free 1", "Run 1"}));
}

TEST_P(RegistryContract, WriteErrorsNameTheCallersPath) {
  uRegistry reg(Backend());
  // a key name longer than 255 characters cannot be created
  const std::string badKey = Path(std::string(300, 'k'));
  EXPECT_EQ(ErrorOf([&] { reg.WriteRegInteger(badKey, "V", 1); }), "Cannot create Key: " + badKey);
  EXPECT_EQ(ErrorOf([&] { reg.WriteRegString(badKey, "V", "x"); }), "Cannot create Key: " + badKey);
  // the caller's spelling is kept, lower-case root included
  std::string lowerRoot = "hkey_current_user" + badKey.substr(17);
  EXPECT_EQ(ErrorOf([&] { reg.WriteRegBool(lowerRoot, "V", true); }), "Cannot create Key: " + lowerRoot);
  // a value name longer than the registry allows cannot be written
  const std::string badName(20000, 'n');
  EXPECT_EQ(ErrorOf([&] { reg.WriteRegInteger(Path(), badName, 1); }),
            "Cannot create Entry: " + badName + " in Key: " + Path());
}

}  // namespace
}  // namespace rsw::test
