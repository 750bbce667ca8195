// The console's clipboard: a copy is found again by the next paste, cut as a zero-terminated
// copy of the asked size would be, and handed to the front end as UTF-8.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/console.hpp"
#include "frontends/headless_frontend.hpp"

namespace cadencio::console {
namespace {

// The headless front end, also noting what it was asked to put on the desktop's clipboard.
class ClipboardFrontend final : public frontends::Frontend {
 public:
  explicit ClipboardFrontend(base::VirtualClock& clock) : inner_(clock, {}, 100000) {}
  void PollInput(base::MessageLoop& loop) override { inner_.PollInput(loop); }
  void WaitInput(base::MessageLoop& loop) override { inner_.WaitInput(loop); }
  void Present(const frontends::ScreenCells& cells, int column, int row, bool caret) override {
    inner_.Present(cells, column, row, caret);
  }
  void SetClipboard(const std::string& utf8) override { exported.push_back(utf8); }
  std::vector<std::string> exported;

 private:
  frontends::HeadlessFrontend inner_;
};

class ClipboardTest : public ::testing::Test {
 protected:
  ClipboardTest() : frontend_(clock_), console_(frontend_, loop_, clock_) {}
  base::VirtualClock clock_;
  base::MessageLoop loop_;
  ClipboardFrontend frontend_;
  Console console_;
};

TEST_F(ClipboardTest, NothingCopiedPastesEmpty) {
  EXPECT_EQ(console_.PasteFromClipboard(100), "");
}

TEST_F(ClipboardTest, PasteKeepsRoomForTheTerminator) {
  console_.CopyToClipboard("abcdef");
  struct Case {
    std::size_t size;
    const char* text;
  };
  const Case cases[] = {{0, ""}, {1, ""}, {2, "a"}, {6, "abcde"}, {7, "abcdef"}, {100, "abcdef"}};
  for (const auto& c : cases) EXPECT_EQ(console_.PasteFromClipboard(c.size), c.text) << c.size;
}

TEST_F(ClipboardTest, ALaterCopyReplacesTheText) {
  console_.CopyToClipboard("first");
  console_.CopyToClipboard("second\r\n");
  EXPECT_EQ(console_.PasteFromClipboard(50), "second\r\n");
  console_.CopyToClipboard("");
  EXPECT_EQ(console_.PasteFromClipboard(50), "");
}

TEST_F(ClipboardTest, TheTextEndsAtAZeroByte) {
  console_.CopyToClipboard(std::string("ab\0cd", 5));
  EXPECT_EQ(console_.PasteFromClipboard(50), "ab");
}

TEST_F(ClipboardTest, TheFrontEndGetsUtf8) {
  console_.CopyToClipboard("a\xE7\xE3o \x80");
  ASSERT_EQ(frontend_.exported.size(), 1u);
  EXPECT_EQ(frontend_.exported[0], "a\xC3\xA7\xC3\xA3o \xE2\x82\xAC");
  EXPECT_EQ(console_.PasteFromClipboard(50), "a\xE7\xE3o \x80");  // the program's bytes stay
}

}  // namespace
}  // namespace cadencio::console
