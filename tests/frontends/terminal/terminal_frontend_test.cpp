// The terminal front end on pseudo-terminals of several types: what it draws for a highlight
// on terminals with few colours, the title, and the status row below the screen.
#include "frontends/terminal/terminal_frontend.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>

#include "support/pty_screen.hpp"

namespace cadencio::frontends {
namespace {

using testing::PtyChild;
using testing::PtyScreen;

// In the child: opens a terminal front end, lets `show` draw on it and the test look at the
// terminal, then closes it.
int ShowOnFrontend(PtyChild& self, const std::function<void(TerminalFrontend&)>& show) {
  try {
    TerminalFrontend frontend;
    frontend.Open();
    show(frontend);
    self.Report("shown");
    frontend.Close();
    return 0;
  } catch (const ProgramExit& exit) {
    return 10 + exit.code;
  }
}

// Draws "abcdef" on the first row in the normal attribute, with "cd" in the highlight one.
int DrawHighlight(PtyChild& self, uint8_t normal, uint8_t highlight) {
  return ShowOnFrontend(self, [&](TerminalFrontend& frontend) {
    ScreenCells cells;
    cells.chars.fill(' ');
    cells.attrs.fill(normal);
    for (int c = 0; c < 6; ++c) cells.chars[c] = static_cast<uint8_t>('a' + c);
    cells.attrs[2] = cells.attrs[3] = highlight;
    frontend.Present(cells, 6, 0, false);
  });
}

TEST(TerminalFrontendColours, HighlightsStandOutWhateverTheColourCount) {
  struct Case {
    const char* term;
    uint8_t normal;
    uint8_t highlight;
    bool reverse;    // the highlight is drawn in reverse video
    int background;  // its background colour when not reversed
  };
  const Case cases[] = {
      // The editor's selection: a dark grey background, which 8 colours show as black.
      {"xterm", 0x07, 0x87, true, 0},
      {"xterm", 0x0F, 0x8F, true, 0},
      {"screen", 0x0F, 0x8F, true, 0},
      {"linux", 0x0F, 0x8F, true, 0},
      {"vt100", 0x07, 0x87, true, 0},
      {"vt100", 0x0F, 0x8F, true, 0},
      // A colour the terminal can show stays a colour.
      {"xterm", 0x0F, 0x1F, false, 4},
      {"xterm-256color", 0x0F, 0x8F, false, 8},
  };
  for (const Case& c : cases) {
    const std::string name = std::string(c.term) + " highlight " + std::to_string(c.highlight);
    PtyChild child(c.term,
                   [&c](PtyChild& self) { return DrawHighlight(self, c.normal, c.highlight); });
    ASSERT_TRUE(child.Started()) << name;
    PtyScreen screen;
    ASSERT_TRUE(child.NextReport(screen).has_value()) << name;
    for (int column = 1; column <= 6; ++column) {
      const PtyScreen::Cell& cell = screen.At(1, column);
      const bool highlighted = column == 3 || column == 4;
      EXPECT_EQ(cell.ch, U'a' + column - 1) << name;
      EXPECT_EQ(cell.reverse, highlighted && c.reverse) << name << ", column " << column;
      if (highlighted && !c.reverse) {
        EXPECT_EQ(cell.bg, c.background) << name;
      }
    }
    child.Answer();
    EXPECT_EQ(child.Wait(screen), 0) << name;
  }
}

// Shows a run of the beat twice under the program's title.
int ShowTempo(PtyChild& self) {
  return ShowOnFrontend(self, [](TerminalFrontend& frontend) {
    frontend.SetTitle("cadencio");
    BeatRun run;
    run.tempo = "120 BPM";
    run.measure = "Tern\xE1rio";
    frontend.ShowBeat(run);
    frontend.ShowBeat(run);
  });
}

TEST(TerminalFrontendTitle, TempoAndMeasureWhereTheTerminalTakesATitle) {
  struct Case {
    const char* term;
    bool titled;
  };
  const Case cases[] = {{"xterm", true},  {"xterm-256color", true}, {"screen", true},
                        {"linux", false}, {"vt100", false},         {"dumb", false}};
  for (const Case& c : cases) {
    PtyChild child(c.term, ShowTempo);
    ASSERT_TRUE(child.Started()) << c.term;
    PtyScreen screen;
    ASSERT_TRUE(child.NextReport(screen).has_value()) << c.term;
    const auto& titles = screen.Titles();
    const std::string wanted = "cadencio \u2014 120 BPM, Tern\u00E1rio";
    EXPECT_EQ(std::count(titles.begin(), titles.end(), wanted), c.titled ? 1 : 0)
        << c.term << ": the title is sent once, and only where the terminal takes it";
    if (!c.titled) {
      EXPECT_EQ(screen.Raw().find("\033]"), std::string::npos) << c.term;
    }
    child.Answer();
    EXPECT_EQ(child.Wait(screen), 0) << c.term;
  }
}

// The third beat of a run at 60 BPM in four, heard half a second after it started, and the
// time said after F8, on a screen of one line.
int ShowStatus(PtyChild& self) {
  return ShowOnFrontend(self, [](TerminalFrontend& frontend) {
    ScreenCells cells;
    cells.chars.fill(' ');
    cells.attrs.fill(kLightGray);
    cells.chars[0] = 'x';
    frontend.Present(cells, 1, 0, false);
    BeatRun run;
    run.tempo = "60 BPM";
    run.measure = "Quatern\xE1rio";
    run.sounding = true;
    run.beats_per_measure = 4;
    run.rate = 1000;
    run.beat_frame = [](int64_t note, int, int32_t bpm, int64_t rate) {
      return note * 60 * rate / bpm;
    };
    run.heard_frame = [] { return int64_t{2500}; };
    frontend.ShowBeat(run);
    frontend.ShowSpoken("14 horas e 5 minutos");
  });
}

TEST(TerminalFrontendStatus, TheRowBelowTheScreenShowsTheBeatAndWhatWasSpoken) {
  struct Case {
    const char* term;
    int rows;
    std::string row26;  // "": the terminal has no row 26, or plain lines write none
  };
  const Case cases[] = {
      {"xterm", 27, " 3   60 BPM  Quatern?rio" + std::string(36, ' ') + "14 horas e 5 minutos"},
      {"xterm", 25, ""},
      {"dumb", 27, ""},
  };
  for (const Case& c : cases) {
    const std::string name = std::string(c.term) + ", " + std::to_string(c.rows) + " rows";
    PtyChild child(c.term, ShowStatus, c.rows);
    ASSERT_TRUE(child.Started()) << name;
    PtyScreen screen(c.rows);
    ASSERT_TRUE(child.NextReport(screen).has_value()) << name;
    EXPECT_EQ(screen.RowText(1), "x") << name << ": the screen stays where it was";
    if (c.row26.empty()) {
      EXPECT_EQ(screen.Raw().find("14 horas"), std::string::npos) << name << ": shown nowhere";
    } else {
      EXPECT_EQ(screen.RowText(26), c.row26) << name;
    }
    child.Answer();
    EXPECT_EQ(child.Wait(screen), 0) << name;
  }
}

// A wait of a long beat ends when the terminal is resized: exit code 0 when it ended early.
int WaitThroughAResize(PtyChild& self) {
  try {
    TerminalFrontend frontend;
    frontend.Open();
    base::MessageLoop loop;
    frontend.PollInput(loop);
    self.Report("waiting");
    const auto start = std::chrono::steady_clock::now();
    frontend.WaitInputFor(loop, 30000);
    const bool early = std::chrono::steady_clock::now() - start < std::chrono::seconds(20);
    frontend.Close();
    return early ? 0 : 1;
  } catch (const ProgramExit& exit) {
    return 10 + exit.code;
  }
}

TEST(TerminalFrontendWait, AResizeEndsALongWait) {
  PtyChild child("xterm", WaitThroughAResize);
  ASSERT_TRUE(child.Started());
  PtyScreen screen;
  ASSERT_TRUE(child.NextReport(screen).has_value());
  child.Answer();
  child.Resize(30, 100);
  EXPECT_EQ(child.Wait(screen), 0) << "the wait did not end on SIGWINCH";
}

}  // namespace
}  // namespace cadencio::frontends
