// Tests of the Windows-1252 <-> Unicode conversion used where text meets a UTF-8 terminal.
#include "base/windows1252.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace cadencio::base {
namespace {

TEST(Windows1252, EveryDefinedByteRoundTrips) {
  int undefined = 0;
  for (int byte = 0; byte < 256; ++byte) {
    const char32_t cp = Windows1252ToUnicode(static_cast<uint8_t>(byte));
    if (cp == 0 && byte != 0) {
      ++undefined;
      continue;
    }
    EXPECT_EQ(UnicodeToWindows1252(cp), byte) << "byte " << byte;
  }
  EXPECT_EQ(undefined, 5);  // 0x81, 0x8D, 0x8F, 0x90, 0x9D
}

TEST(Windows1252, CodePointsOutsideTheCodePageHaveNoByte) {
  EXPECT_EQ(UnicodeToWindows1252(0x85), -1);    // a C1 control, not the ellipsis
  EXPECT_EQ(UnicodeToWindows1252(0x2192), -1);  // arrow
  EXPECT_EQ(UnicodeToWindows1252(0x1F3B5), -1);
  EXPECT_EQ(UnicodeToWindows1252(0x2026), 0x85);  // the ellipsis itself
}

TEST(Windows1252, TextBecomesUtf8) {
  EXPECT_EQ(Windows1252ToUtf8("a\xe7\xe3o \x80 \x93ok\x94"),
            "a\xc3\xa7\xc3\xa3o \xe2\x82\xac \xe2\x80\x9cok\xe2\x80\x9d");
  EXPECT_EQ(Windows1252ToUtf8("x\x81y"), "xy");  // a byte with no character is left out
}

struct Utf8Case {
  const char* name;
  std::string_view utf8;
  std::string_view bytes;
  bool complete;
};

constexpr Utf8Case kUtf8Cases[] = {
    {"ascii", "tempo 120", "tempo 120", true},
    {"accents", "a\xc3\xa7\xc3\xa3o \xc3\x89", "a\xe7\xe3o \xc9", true},
    {"euro and quotes", "\xe2\x82\xac\xe2\x80\x9cok\xe2\x80\x9d", "\x80\x93ok\x94", true},
    {"arrow outside the page", "a\xe2\x86\x92z", "a?z", false},
    {"emoji outside the page", "\xf0\x9f\x8e\xb5", "?", false},
    {"C1 control has no byte", "\xc2\x85", "?", false},
    {"lone continuation byte", "a\x80z", "a?z", false},
    {"truncated at the end", "ol\xc3", "ol?", false},
    {"lead byte before ascii",
     "\xc3"
     "a",
     "?a", false},
    {"overlong slash", "\xc0\xaf", "?", false},
    {"surrogate", "\xed\xa0\x80", "?", false},
    {"invalid lead byte", "\xff", "?", false},
};

TEST(Windows1252, Utf8BecomesCodePageBytes) {
  for (const Utf8Case& c : kUtf8Cases) {
    const Windows1252Text text = Utf8ToWindows1252(c.utf8);
    EXPECT_EQ(text.bytes, c.bytes) << c.name;
    EXPECT_EQ(text.complete, c.complete) << c.name;
  }
}

TEST(Windows1252, EveryCharacterOfThePageSurvivesUtf8) {
  std::string all;
  for (int byte = 1; byte < 256; ++byte) {
    if (Windows1252ToUnicode(static_cast<uint8_t>(byte)) != 0) all += static_cast<char>(byte);
  }
  const Windows1252Text back = Utf8ToWindows1252(Windows1252ToUtf8(all));
  EXPECT_TRUE(back.complete);
  EXPECT_EQ(back.bytes, all);
}

TEST(Windows1252, ReplacementIsChosenByTheCaller) {
  EXPECT_EQ(Utf8ToWindows1252("x\xe2\x86\x92y", ' ').bytes, "x y");
}

}  // namespace
}  // namespace cadencio::base
