// The console in the real window front end, drawn by SDL's offscreen video driver: the cells'
// colours for the default palette and a remapped one, the caret, the scroll by pixel copy,
// and the magnifier. The screenshots are kept under the build tree's test-artefacts.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "console/console.hpp"
#include "frontends/window/window_frontend.hpp"

namespace cadencio::console {
namespace {

using frontends::Rgb;

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kYellow{255, 255, 0};

std::string ArtefactPath(const std::string& name) {
  std::filesystem::create_directories(CADENCIO_TEST_ARTEFACTS);
  return std::string(CADENCIO_TEST_ARTEFACTS) + "/" + name;
}

// A console shown in an offscreen window with cells of 10 x 20 pixels.
class WindowScreen {
 public:
  explicit WindowScreen(std::map<std::string, std::string> video = {}) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    frontends::FrontendFailure why;
    frontend_ = frontends::MakeWindowFrontend(&why);
    if (!frontend_) return;
    video.emplace("LARGURALETRA", "10");
    video.emplace("ALTURALETRA", "20");
    video.emplace("CANTOTELA", "XS");
    console_ = std::make_unique<Console>(*frontend_, loop_, clock_);
    console_->SetVideoSettings([video](std::string_view section, std::string_view key) {
      auto found = video.find(std::string(key));
      return section == "VIDEO" && found != video.end() ? std::optional(found->second)
                                                        : std::nullopt;
    });
  }
  bool Ready() const { return console_ != nullptr; }
  Console& Con() { return *console_; }
  frontends::WindowFrontend& Window() { return *frontend_; }

  // The banner in the start colours, then a row on a blue background.
  void WriteBanner() {
    console_->ClearScreen();
    console_->WriteLine("MARCATEMPO - V. 1.0");
    console_->MoveCursor(1, 3);
    console_->SetTextBackground(frontends::kBlue);
    console_->ClearToLineEnd();
    console_->WriteToScreen("Informe BPM");
  }
  // The colour of a pixel inside cell (column, row) at an offset from its top left.
  Rgb At(int column, int row, int dx = 0, int dy = 0) {
    auto cell = frontend_->Cells();
    return frontend_->PixelAt(column * cell.width + dx, row * cell.height + dy)
        .value_or(Rgb{1, 2, 3});
  }
  // How many pixels of a cell have the colour.
  int Count(int column, int row, Rgb colour) {
    auto cell = frontend_->Cells();
    int count = 0;
    for (int y = 0; y < cell.height; ++y) {
      for (int x = 0; x < cell.width; ++x) count += At(column, row, x, y) == colour;
    }
    return count;
  }

 private:
  base::VirtualClock clock_;
  base::MessageLoop loop_;
  std::unique_ptr<frontends::WindowFrontend> frontend_;
  std::unique_ptr<Console> console_;
};

#define SKIP_WITHOUT_WINDOW(screen) \
  if (!(screen).Ready()) GTEST_SKIP() << "SDL's offscreen video driver is not available"

TEST(WindowScreenTest, DefaultColoursAndFont) {
  WindowScreen screen;
  SKIP_WITHOUT_WINDOW(screen);
  screen.WriteBanner();
  EXPECT_EQ(screen.Window().Cells().width, 10);
  EXPECT_EQ(screen.Window().Cells().height, 20);
  EXPECT_NE(screen.Window().FontFile().find("DejaVuSansMono-Bold"), std::string::npos)
      << screen.Window().FontFile();  // no Lucida Console here; weight 700 is bold
  // White text on black; a blank cell is all background.
  EXPECT_EQ(screen.Count(40, 0, kBlack), 200);
  EXPECT_GT(screen.Count(0, 0, kWhite), 10) << "the M of the banner";
  EXPECT_GT(screen.Count(0, 0, kBlack), 50);
  // The row with the blue background: text and blanks to the end of the row.
  EXPECT_EQ(screen.Count(79, 2, kBlue), 200);
  EXPECT_GT(screen.Count(0, 2, kWhite), 10);
  EXPECT_EQ(screen.At(0, 1), kBlack);
  EXPECT_TRUE(screen.Window().SavePng(ArtefactPath("window-default.png")));
}

TEST(WindowScreenTest, RemappedColoursAndStartColours) {
  struct Case {
    std::map<std::string, std::string> video;
    Rgb background, text, blue_row;
  };
  const Case cases[] = {
      {{{"TABCORES", "4,1"}}, kRed, kWhite, kBlue},  // index 0 draws red, 1 stays blue
      {{{"TABCORES", "0, 4"}}, kBlack, kWhite, kRed},
      {{{"CORFUNDO", "1"}, {"CORLETRA", "14"}}, kBlue, kYellow, kBlue},
      {{{"CORESFIXAS", "S"}, {"CORLETRA", ""}}, kBlack, Rgb{192, 192, 192}, kBlack},
      {{{"TABCORES", "99"}, {"CORLETRA", "0"}}, kBlack, kBlack, kBlue},  // beyond 15: black
  };
  for (const Case& c : cases) {
    WindowScreen screen(c.video);
    SKIP_WITHOUT_WINDOW(screen);
    screen.WriteBanner();
    const std::string name = c.video.begin()->first + "=" + c.video.begin()->second;
    EXPECT_EQ(screen.Count(40, 0, c.background), 200) << name;
    EXPECT_GT(screen.Count(0, 0, c.text), 10) << name;
    EXPECT_EQ(screen.Count(79, 2, c.blue_row), 200) << name;
  }
}

TEST(WindowScreenTest, CaretOnTheBaselineWhileAKeyIsAwaited) {
  WindowScreen screen;
  SKIP_WITHOUT_WINDOW(screen);
  screen.WriteBanner();
  frontends::ScreenCells cells = screen.Con().Cells();
  auto& window = screen.Window();
  const int ascent = window.Cells().ascent;
  const int column = screen.Con().CursorColumn() - 1;  // after "Informe BPM"
  window.Present(cells, column, 2, true);
  for (int x = 0; x < 10; ++x) {
    EXPECT_EQ(screen.At(column, 2, x, ascent), kWhite) << x;
    EXPECT_EQ(screen.At(column, 2, x, ascent + 1), kWhite) << x;
  }
  EXPECT_EQ(screen.Count(column, 2, kWhite), 20);
  // The caret leaves with the focus and comes back with it.
  auto focus = [&](Uint8 change) {
    SDL_Event event{};
    event.window.type = SDL_WINDOWEVENT;
    event.window.event = change;
    SDL_PushEvent(&event);
    base::MessageLoop loop;
    window.PollInput(loop);
  };
  focus(SDL_WINDOWEVENT_FOCUS_LOST);
  EXPECT_EQ(screen.Count(column, 2, kBlue), 200);
  focus(SDL_WINDOWEVENT_FOCUS_GAINED);
  EXPECT_EQ(screen.Count(column, 2, kWhite), 20);
  // The wait ends: the caret goes and the cell is plain again.
  window.Present(cells, column, 2, false);
  EXPECT_EQ(screen.Count(column, 2, kBlue), 200);
}

TEST(WindowScreenTest, DrawingOnlyChangesGivesTheSameImageAsAFullDraw) {
  // Writing a whole scrolling screen piece by piece (with and without the pixel-copy scroll)
  // must leave exactly the pixels of one fresh draw of the final screen.
  for (const char* lento : {"N", "S"}) {
    WindowScreen screen(std::map<std::string, std::string>{{"LENTO", lento}});
    SKIP_WITHOUT_WINDOW(screen);
    screen.WriteBanner();
    for (int line = 0; line < 40; ++line) {
      if (line % 7 == 0) screen.Con().SetTextBackground(line % 16);
      screen.Con().WriteLine("linha " + std::to_string(line) + std::string(line % 50, '*'));
    }
    WindowScreen fresh;
    SKIP_WITHOUT_WINDOW(fresh);
    fresh.Con().ClearScreen();
    fresh.Window().Present(screen.Con().Cells(), 0, 0, false);
    int differences = 0;
    for (int y = 0; y < 25 * 20; ++y) {
      for (int x = 0; x < 80 * 10; ++x) {
        differences += screen.Window().PixelAt(x, y) != fresh.Window().PixelAt(x, y);
      }
    }
    EXPECT_EQ(differences, 0) << "LENTO=" << lento;
  }
}

TEST(WindowScreenTest, MagnifierZoomsAroundTheMouseAndRestores) {
  WindowScreen screen;
  SKIP_WITHOUT_WINDOW(screen);
  screen.WriteBanner();
  auto& window = screen.Window();
  // Factor 2 at the top left: the blue row (pixels 40-59) now covers pixels 80-119.
  window.MagnifierDown(0, 0);
  EXPECT_EQ(window.PixelAt(700, 70), kBlack);
  EXPECT_EQ(window.PixelAt(700, 85), kBlue);
  EXPECT_EQ(window.PixelAt(700, 118), kBlue);
  EXPECT_EQ(window.PixelAt(700, 125), kBlack);
  EXPECT_TRUE(window.SavePng(ArtefactPath("window-magnifier-2.png")));
  // At the bottom right the point under the mouse stays where it is.
  window.MagnifierMove(799, 499);
  EXPECT_EQ(window.PixelAt(700, 85), kBlack);
  // While magnifying, writes wait; the release shows the screen as it is.
  screen.Con().WriteToScreen("!");
  window.MagnifierUp();
  EXPECT_EQ(window.PixelAt(700, 85), kBlack);
  EXPECT_EQ(window.PixelAt(700, 45), kBlue);

  // Factor 0 ("0" or "8") keeps the magnifier off.
  WindowScreen off(std::map<std::string, std::string>{{"AMPLIF", "8"}});
  SKIP_WITHOUT_WINDOW(off);
  off.WriteBanner();
  off.Window().MagnifierDown(400, 250);
  off.Window().MagnifierMove(10, 10);
  EXPECT_EQ(off.Window().PixelAt(700, 45), kBlue);
  EXPECT_EQ(off.Window().PixelAt(700, 85), kBlack);
  off.Window().MagnifierUp();
}

TEST(WindowScreenTest, ScreenshotsAreReadablePngFiles) {
  WindowScreen screen;
  SKIP_WITHOUT_WINDOW(screen);
  screen.WriteBanner();
  const std::string path = ArtefactPath("window-check.png");
  ASSERT_TRUE(screen.Window().SavePng(path));
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 800u * 500 * 3);
  EXPECT_EQ(bytes.substr(1, 3), "PNG");
  EXPECT_EQ(bytes.substr(12, 4), "IHDR");
  auto be32 = [&](int at) {
    return uint32_t(uint8_t(bytes[at])) << 24 | uint8_t(bytes[at + 1]) << 16 |
           uint8_t(bytes[at + 2]) << 8 | uint8_t(bytes[at + 3]);
  };
  EXPECT_EQ(be32(16), 800u);
  EXPECT_EQ(be32(20), 540u);  // the 25 rows, then the status band of two rows
}

// A schedule of exact whole frames for the band's tests: 48 frames a beat at 60000 per second.
int64_t WholeFrames(int64_t note, int parts, int32_t bpm, int64_t rate) {
  return note * 60 * rate / (int64_t{bpm} * parts);
}

// The status band below the cells: in the start colours, the beat number lit from the frame
// its beat is heard at, the cells themselves untouched.
TEST(WindowScreenTest, StatusBandLightsEachBeatAsItIsHeard) {
  WindowScreen screen({{"CORFUNDO", "1"}, {"CORLETRA", "14"}});
  SKIP_WITHOUT_WINDOW(screen);
  screen.WriteBanner();
  auto& window = screen.Window();
  const int banner_yellow = screen.Count(0, 0, kYellow);
  const auto box = window.BeatNumberBox();
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->y, 500);
  EXPECT_EQ(box->height, 40);

  int64_t heard = 0;
  frontends::BeatRun run;
  run.tempo = "120 BPM";
  run.measure = "Tern\xE1rio";
  run.sounding = true;
  run.bpm = 120;
  run.beats_per_measure = 3;
  run.start_frame = 60000;  // beats every 30000 frames from here
  run.rate = 60000;
  run.beat_frame = &WholeFrames;
  run.heard_frame = [&heard] { return heard; };
  // The box's pixels at a heard frame: how many are the text colour, and the whole pattern.
  auto box_at = [&](int64_t frame) {
    heard = frame;
    window.RefreshStatusBand();
    std::vector<Rgb> pixels;
    for (int y = box->y; y < box->y + box->height; ++y) {
      for (int x = box->x; x < box->x + box->width; ++x) {
        pixels.push_back(window.PixelAt(x, y).value_or(Rgb{1, 2, 3}));
      }
    }
    return pixels;
  };
  auto yellow_share = [](const std::vector<Rgb>& pixels) {
    return static_cast<double>(std::count(pixels.begin(), pixels.end(), kYellow)) / pixels.size();
  };
  window.ShowBeat(run);

  struct Case {
    int64_t frame;
    bool lit;
    const char* why;
  };
  // 150 ms of light is 9000 frames.
  const Case cases[] = {
      {59999, false, "before the first beat"},
      {60000, true, "beat 1 heard"},
      {68999, true, "still lit"},
      {69000, false, "the light goes out"},
      {89999, false, "beat 1 up to the next frame"},
      {90000, true, "beat 2 heard"},
      {150000, true, "beat 1 of the next measure"},
  };
  std::map<int64_t, std::vector<Rgb>> seen;
  for (const Case& c : cases) {
    seen[c.frame] = box_at(c.frame);
    EXPECT_EQ(yellow_share(seen[c.frame]) > 0.5, c.lit) << c.why;
  }
  EXPECT_EQ(yellow_share(seen[59999]), 0.0) << "no number before the run's first beat";
  EXPECT_NE(seen[60000], seen[90000]) << "the number changes on the beat";
  EXPECT_EQ(seen[60000], seen[150000]) << "1 again after three beats";
  // Blue background beside the number and to the band's end; the cells are as they were.
  EXPECT_EQ(window.PixelAt(799, 539), kBlue);
  EXPECT_EQ(screen.Count(0, 0, kYellow), banner_yellow);
  EXPECT_EQ(screen.Count(40, 0, kBlue), 200);

  // A spoken message appears at the band's right end.
  auto right_end_yellow = [&] {
    int count = 0;
    for (int x = 600; x < 800; ++x) count += window.PixelAt(x, 520) == kYellow;
    return count;
  };
  EXPECT_EQ(right_end_yellow(), 0);
  window.ShowSpoken("Batida silenciada");
  EXPECT_GT(right_end_yellow(), 0);
  EXPECT_TRUE(window.SavePng(ArtefactPath("window-status-band.png")));
}

}  // namespace
}  // namespace cadencio::console
