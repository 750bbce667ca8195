// Tests of the Windows-1252 <-> Unicode conversion used where text meets a UTF-8 terminal, and
// of the case mappings and trimming of code-page text.
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
    {"flat and sharp as musicians type them", "Si\xe2\x99\xad F\xe2\x99\xaf", "Sib F#", false},
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

TEST(Windows1252Case, EachVariantChangesItsOwnBytes) {
  struct Case {
    std::string text;
    std::string ascii;       // AsciiUpperCase
    std::string code_page;   // UpperCase1252
    std::string high_bytes;  // UpperCaseAsciiAndHighBytes
  };
  const Case cases[] = {
      {"abz ABZ 09@[`{", "ABZ ABZ 09@[`{", "ABZ ABZ 09@[`{", "ABZ ABZ 09@[`{"},
      {"m\xFAsica", "M\xFASICA", "M\xDASICA", "M\xDASICA"},                              // ú
      {"\xE0\xE7\xF5\xFE", "\xE0\xE7\xF5\xFE", "\xC0\xC7\xD5\xDE", "\xC0\xC7\xD5\xDE"},  // à ç õ þ
      {"\xF7", "\xF7", "\xF7", "\xD7"},                                  // ÷ is no letter
      {"\xFF", "\xFF", "\x9F", "\xDF"},                                  // ÿ
      {"\x9A\x9C\x9E", "\x9A\x9C\x9E", "\x8A\x8C\x8E", "\x9A\x9C\x9E"},  // š œ ž
      {"\xDF\xC9", "\xDF\xC9", "\xDF\xC9", "\xDF\xC9"},                  // ß, É stay
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AsciiUpperCase(c.text), c.ascii) << c.text;
    EXPECT_EQ(UpperCase1252(c.text), c.code_page) << c.text;
    EXPECT_EQ(UpperCaseAsciiAndHighBytes(c.text), c.high_bytes) << c.text;
  }
}

TEST(Windows1252Case, LowerCaseUndoesUpperCase) {
  int letters = 0;
  for (int byte = 0; byte < 256; ++byte) {
    const char c = static_cast<char>(byte);
    const char upper = UpperCase1252(c);
    if (upper == c) continue;
    ++letters;
    EXPECT_EQ(LowerCase1252(upper), c) << "byte " << byte;
    EXPECT_EQ(LowerCase1252(c), c) << "byte " << byte << " is already small";
  }
  EXPECT_EQ(letters, 26 + 30 + 4);  // a-z, à-þ without ÷, š œ ž ÿ
  EXPECT_EQ(LowerCase1252("\xC7"
                          "A\xD7"),
            "\xE7"
            "a\xD7");  // Ç A ×
  EXPECT_EQ(AsciiLowerCase("\xC7"
                           "A\xD7"),
            "\xC7"
            "a\xD7");
  // One byte at a time, the same mapping in whatever integer the byte comes.
  EXPECT_EQ(AsciiUpperCase(static_cast<uint8_t>('q')), 'Q');
  EXPECT_EQ(AsciiUpperCase(static_cast<uint8_t>(0xE7)), 0xE7);
  EXPECT_EQ(AsciiLowerCase('Q'), 'q');
}

TEST(Windows1252Trim, BlanksOrBlanksAndControls) {
  struct Case {
    std::string text;
    std::string blanks;               // TrimBlanks
    std::string blanks_and_controls;  // TrimBlanksAndControls
  };
  const Case cases[] = {
      {"  a b \t", "a b", "a b"},
      {"\t120", "120", "120"},
      {"\r\na\x01", "\r\na\x01", "a"},
      {" \x1Fx\x7F ", "\x1Fx\x7F", "x\x7F"},    // DEL is above 32
      {"\xA0x\xA0", "\xA0x\xA0", "\xA0x\xA0"},  // nor is the no-break space a blank
      {" \t ", "", ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TrimBlanks(c.text), c.blanks) << c.text;
    EXPECT_EQ(TrimBlanksAndControls(c.text), c.blanks_and_controls) << c.text;
  }
}

}  // namespace
}  // namespace cadencio::base
