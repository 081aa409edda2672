#include <gtest/gtest.h>
#include <vector>

#include "display/URLLink.h"
#include "shell/MemoryRegistry.h"
#include "shell/uRegistry.h"

namespace rsw {
namespace {

using enum TmdLinkType;

struct SetURLCase {
  std::string value;
  TmdLinkType before;  // the type the label had
  bool showPrefix;
  std::string url;
  TmdLinkType type;
  std::string shown;  // caption, DisplayText and tooltip
  std::string opens;
};

class SetURLTest : public ::testing::TestWithParam<SetURLCase> {};

TEST_P(SetURLTest, StoresTypesShowsAndOpens) {
  const SetURLCase& c = GetParam();
  URLLink link([](TmdLinkType) { return true; });
  link.SetLinkType(c.before);
  link.SetShowPrefix(c.showPrefix);
  link.SetURL(c.value);
  EXPECT_EQ(link.URL, c.url);
  EXPECT_EQ(link.LinkType, c.type);
  EXPECT_EQ(link.Caption, c.shown);
  EXPECT_EQ(link.DisplayText, c.shown);
  EXPECT_EQ(link.Hint, c.shown);
  EXPECT_EQ(link.OpenTarget(), c.opens);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SetURLTest,
    ::testing::Values(
        // "http://" in any case is stripped; the "/" makes it a web link
        SetURLCase{"HTTP://www.a.example/x", mailto, false, "www.a.example/x", http, "www.a.example/x",
                   "http://www.a.example/x"},
        SetURLCase{"hTTp://www.a.example/x", http, true, "www.a.example/x", http, "http://www.a.example/x",
                   "http://www.a.example/x"},
        // "https://" is stripped as well, but the scheme is kept for the prefix and the click
        SetURLCase{"https://www.a.example/x", http, false, "www.a.example/x", http, "www.a.example/x",
                   "https://www.a.example/x"},
        SetURLCase{"HTTPS://www.a.example/", mailto, true, "www.a.example/", http, "https://www.a.example/",
                   "https://www.a.example/"},
        // "mailto:" with an "@" and no "/" is a mail link
        SetURLCase{"mailto:me@a.example", http, false, "me@a.example", mailto, "me@a.example", "mailto:me@a.example"},
        SetURLCase{"MailTo:me@a.example", http, true, "me@a.example", mailto, "mailto:me@a.example",
                   "mailto:me@a.example"},
        // both "@" and "/": the "/" wins
        SetURLCase{"www.a.example/~me@home", mailto, false, "www.a.example/~me@home", http, "www.a.example/~me@home",
                   "http://www.a.example/~me@home"},
        SetURLCase{"mailto:me@a.example/x", mailto, false, "me@a.example/x", http, "me@a.example/x",
                   "http://me@a.example/x"},
        // neither "@" nor "/": the type stays
        SetURLCase{"www.a.example", mailto, true, "www.a.example", mailto, "mailto:www.a.example",
                   "mailto:www.a.example"},
        SetURLCase{"www.a.example", http, true, "www.a.example", http, "http://www.a.example", "http://www.a.example"},
        // a prefix only counts at the start, and only one is stripped
        SetURLCase{"see http://x", http, false, "see http://x", http, "see http://x", "http://see http://x"},
        SetURLCase{"http://https://x", http, false, "https://x", http, "https://x", "http://https://x"},
        SetURLCase{"http:/", http, false, "http:/", http, "http:/", "http://http:/"},
        SetURLCase{"", http, true, "", http, "http://", "http://"}));

TEST(URLLink, StartsAsAWebLinkToThePlaceholderWithTheAddressAsTooltip) {
  std::vector<TmdLinkType> probed;
  URLLink link([&](TmdLinkType type) {
    probed.push_back(type);
    return false;
  });
  EXPECT_EQ(probed, std::vector<TmdLinkType>{http});
  EXPECT_EQ(link.URL, kPlaceholderWebAddress);
  EXPECT_EQ(link.Caption, kPlaceholderWebAddress);
  EXPECT_EQ(link.Hint, kPlaceholderWebAddress);
  EXPECT_TRUE(link.URLAsHint);
  EXPECT_FALSE(link.LinkAvailable);
}

TEST(URLLink, ExplicitCaptionKeepsItsTextWhileTheTooltipFollowsTheAddress) {
  URLLink link([](TmdLinkType) { return true; });
  link.SetCaption("Click here for the latest updates");
  link.SetURL("http://www.vondrel-aske.example/ramsweep");
  EXPECT_EQ(link.Caption, "Click here for the latest updates");
  EXPECT_EQ(link.Hint, "www.vondrel-aske.example/ramsweep");
  link.SetShowPrefix(true);
  EXPECT_EQ(link.Caption, "Click here for the latest updates");
  EXPECT_EQ(link.Hint, "http://www.vondrel-aske.example/ramsweep");
  link.SetURLAsHint(false);
  EXPECT_EQ(link.Hint, "");
  link.SetURLAsHint(true);
  EXPECT_EQ(link.Hint, "http://www.vondrel-aske.example/ramsweep");
}

TEST(URLLink, SettingTheSameAddressAgainChangesNothing) {
  URLLink link([](TmdLinkType) { return true; });
  link.SetURL("me@a.example");
  ASSERT_EQ(link.LinkType, mailto);
  link.LinkType = http;  // as if set directly
  link.SetURL("me@a.example");
  EXPECT_EQ(link.LinkType, http);
}

TEST(URLLink, LinkTypeChecksItsHandlerAndSwapsThePlaceholders) {
  std::vector<TmdLinkType> probed;
  URLLink link([&](TmdLinkType type) {
    probed.push_back(type);
    return type == mailto;
  });
  EXPECT_FALSE(link.LinkAvailable);
  link.SetLinkType(mailto);
  EXPECT_TRUE(link.LinkAvailable);
  EXPECT_EQ(link.URL, kPlaceholderMailAddress);
  EXPECT_EQ(link.OpenTarget(), "mailto:" + std::string(kPlaceholderMailAddress));
  link.SetLinkType(mailto);  // unchanged: not probed again
  link.SetLinkType(http);
  EXPECT_EQ(link.URL, kPlaceholderWebAddress);
  EXPECT_EQ(probed, (std::vector<TmdLinkType>{http, mailto, http}));
  // a real address is kept whatever the type
  link.SetURL("www.a.example/x");
  link.SetLinkType(mailto);
  EXPECT_EQ(link.URL, "www.a.example/x");
  // the type SetURL detects does not run the check
  link.SetURL("me@b.example/");
  EXPECT_EQ(link.LinkType, http);
  EXPECT_EQ(probed.size(), 4u);
}

TEST(URLLink, ActsAsLinkByLabelTypeAndAvailability) {
  for (bool available : {false, true}) {
    URLLink link([&](TmdLinkType) { return available; });
    EXPECT_EQ(link.ActsAsLink(), available) << "Auto";
    EXPECT_TRUE(link.SetLabelType(TmdLabelType::Passive));
    EXPECT_FALSE(link.ActsAsLink());
    EXPECT_FALSE(link.SetLabelType(TmdLabelType::Passive));
    EXPECT_TRUE(link.SetLabelType(TmdLabelType::Link));
    EXPECT_TRUE(link.ActsAsLink());
  }
}

TEST(FindOpenCommand, FollowsTheFileTypeOrTheExtensionItself) {
  MemoryRegistry memory;
  uRegistry reg(memory);
  reg.WriteRegString("HKEY_CLASSES_ROOT\\.html", "", "htmlfile");
  reg.WriteRegString("HKEY_CLASSES_ROOT\\htmlfile\\shell\\open\\command", "", "browser.exe \"%1\"");
  reg.WriteRegString("HKEY_CLASSES_ROOT\\.htm", "", "");  // no type: the extension's own command
  reg.WriteRegString("HKEY_CLASSES_ROOT\\.htm\\shell\\open\\command", "", "viewer.exe %1");
  reg.WriteRegString("HKEY_CLASSES_ROOT\\.txt", "", "txtfile");  // a type without a command
  reg.WriteRegInteger("HKEY_CLASSES_ROOT\\.num", "", 5);
  reg.WriteRegInteger("HKEY_CLASSES_ROOT\\.num\\shell\\open\\command", "", 5);
  EXPECT_EQ(FindOpenCommand(memory, ".html"), "browser.exe \"%1\"");
  EXPECT_EQ(FindOpenCommand(memory, ".HTML"), "browser.exe \"%1\"");
  EXPECT_EQ(FindOpenCommand(memory, ".htm"), "viewer.exe %1");
  EXPECT_EQ(FindOpenCommand(memory, ".txt"), "");
  EXPECT_EQ(FindOpenCommand(memory, ".num"), "");
  EXPECT_EQ(FindOpenCommand(memory, ".none"), "");
  EXPECT_EQ(FindOpenCommand(memory, ""), "");
  EXPECT_EQ(FindOpenCommand(memory, "\\"), "");
  EXPECT_EQ(memory.OpenKeys(), 0);
}

}  // namespace
}  // namespace rsw
