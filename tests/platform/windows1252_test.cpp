// Tests of the Windows-1252 <-> Unicode conversion used where text meets a UTF-8 terminal.
#include "platform/windows1252.hpp"

#include <gtest/gtest.h>

namespace cadencio::platform {
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

}  // namespace
}  // namespace cadencio::platform
