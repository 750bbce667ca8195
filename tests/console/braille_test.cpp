// Braille chord entry through the console's key messages, and the mode tones.
#include "console/braille.hpp"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "base/keys.hpp"
#include "console/console.hpp"
#include "console/tone_player.hpp"
#include "frontends/headless_frontend.hpp"

namespace cadencio::console {
namespace {

namespace vk = base::vk;

// Records each tone with when it started and stopped.
class ToneRecorder final : public TonePlayer {
 public:
  explicit ToneRecorder(base::Clock& clock) : clock_(clock) {}
  struct Tone {
    int frequency;
    int64_t start_ms;
    int64_t stop_ms = -1;
  };
  void StartTone(uint16_t frequency) override { tones.push_back({frequency, clock_.NowMs()}); }
  void StopTone() override { tones.back().stop_ms = clock_.NowMs(); }
  std::vector<int> Frequencies() {
    std::vector<int> list;
    for (const auto& tone : tones) list.push_back(tone.frequency);
    tones.clear();
    return list;
  }
  std::vector<Tone> tones;

 private:
  base::Clock& clock_;
};

class BrailleTest : public ::testing::Test {
 protected:
  explicit BrailleTest(const char* mode = "1")
      : frontend_(clock_, {}, 100000), console_(frontend_, loop_, clock_), tones_(clock_) {
    console_.SetTonePlayer(&tones_);
    console_.SetVideoSettings([mode](std::string_view section, std::string_view key) {
      return section == "BRAILLE" && key == "MODO" ? std::optional<std::string>(mode)
                                                   : std::nullopt;
    });
    console_.ClearScreen();  // creates the window, which applies the mode
  }

  // Presses the keys of a chord together, then releases them in the given order.
  void Chord(const std::string& keys) {
    for (char key : keys) console_.TranslateKeyDown(Key(key), false, false, false);
    for (char key : keys) console_.TranslateKeyUp(Key(key), false);
  }
  static int Key(char key) { return key == ' ' ? base::vk::kSpace : key; }
  std::string Typed() {
    std::string bytes;
    while (console_.Queue().Count() > 0) bytes.push_back(static_cast<char>(console_.Queue().Pop()));
    return bytes;
  }

  base::VirtualClock clock_;
  base::MessageLoop loop_;
  frontends::HeadlessFrontend frontend_;
  Console console_;
  ToneRecorder tones_;
};

class BrailleModeTwoTest : public BrailleTest {
 protected:
  BrailleModeTwoTest() : BrailleTest("2") {}
};

TEST_F(BrailleTest, ChordsTypeTheirCharacterWhenTheLastKeyIsReleased) {
  // F and D together.
  Chord("FD");
  EXPECT_EQ(Typed(), "b");
  // Released one at a time: nothing until the last key goes up.
  console_.TranslateKeyDown('F', false, false, false);
  console_.TranslateKeyDown('D', false, false, false);
  console_.TranslateKeyUp('F', false);
  EXPECT_EQ(Typed(), "");
  console_.TranslateKeyUp('D', false);
  EXPECT_EQ(Typed(), "b");

  struct Case {
    const char* keys;
    std::string typed;
  };
  const Case cases[] = {
      {"F", "a"},      {"FDSJKL", "\xE9"},  // dots 1-6: é
      {"SJKL", "#"},   {"JL", "{"},         // signs pass through in mode 1
      {" ", " "},      {" F", "\x01"},      // blank and dot 1: a control byte
      {" FD", "\x02"}, {"A", " "},          // a letter with no dot: the blank entry
      {"DJK", "j"},    {"FDSL", "v"},
  };
  for (const Case& c : cases) {
    Chord(c.keys);
    EXPECT_EQ(Typed(), c.typed) << "chord " << c.keys;
  }
}

TEST_F(BrailleTest, KeysThatAreNotChordsGoOnAsUsual) {
  // Their characters are dropped; digits, Ctrl chords and extended keys still type.
  console_.TranslateChar('f', false);
  console_.TranslateChar(' ', false);
  console_.TranslateChar('5', false);
  console_.TranslateKeyDown('F', true, false, false);  // Ctrl+F is no dot
  console_.TranslateKeyDown(base::vk::F(1), false, false, false);
  EXPECT_EQ(Typed(), std::string("5\0;", 3));
  console_.TranslateKeyUp('F', true);
  EXPECT_EQ(Typed(), "");
}

TEST_F(BrailleModeTwoTest, NumberAndCapitalSigns) {
  struct Case {
    std::vector<std::string> chords;
    std::string typed;
  };
  const Case cases[] = {
      {{"SJKL", "F", "FD"}, "12"},           // # a b
      {{"SJKL", "F", " ", "F"}, "1 a"},      // a blank chord ends the number
      {{"SJKL", "DJK", "S", "FD"}, "0.2"},   // j ' b
      {{"SJKL", "K", "F"}, "~a"},            // dot 5 ends the number
      {{"JL", "FJ"}, "C"},                   // { c
      {{"JL", "JL", "FJ", "F"}, "CA"},       // { { c a: capitals locked
      {{"JL", "JL", "F", " ", "F"}, "A a"},  // the lock ends with a blank chord
      {{"JL", "SJKL", "F"}, "1"},            // capital of a digit: just the digit
      {{"JL", "FDSJKL"}, "\xE9"},            // accented letters stay
  };
  for (const Case& c : cases) {
    for (const auto& chord : c.chords) Chord(chord);
    EXPECT_EQ(Typed(), c.typed) << "first chord " << c.chords.front() << ", " << c.chords.size()
                                << " chords";
    Chord(" ");  // back to plain letters
    Typed();
  }
  // Releasing another key (an arrow) also ends the signs.
  Chord("SJKL");
  console_.TranslateKeyUp(base::vk::kDown, false);
  Chord("F");
  EXPECT_EQ(Typed(), "a");
}

TEST_F(BrailleModeTwoTest, ModeTonesAtStartAndOnEveryChange) {
  // At window creation: 800 Hz then 400 Hz, 200 ms each, one after the other.
  // (The fixture's ClearScreen made them; the recorder kept their times.)
  ASSERT_EQ(tones_.tones.size(), 2u);
  EXPECT_EQ(tones_.tones[0].stop_ms - tones_.tones[0].start_ms, 200);
  EXPECT_EQ(tones_.tones[1].start_ms, tones_.tones[0].stop_ms);
  EXPECT_EQ(tones_.Frequencies(), (std::vector<int>{800, 400}));

  struct Step {
    bool f12;
    std::vector<int> tones;
    int mode;
  };
  const Step steps[] = {
      {false, {800, 1600}, 1},                    // Ctrl+Alt+F11: 2 -> 3, taken as 1
      {false, {800, 400}, 2},  {true, {100}, 0},  // Ctrl+Alt+F12: off, one low beep
      {true, {}, 0},                              // already off: silent
      {false, {800, 1600}, 1},
  };
  for (const Step& step : steps) {
    console_.TranslateKeyDown(base::vk::F(step.f12 ? 12 : 11), true, true, false);
    EXPECT_EQ(tones_.Frequencies(), step.tones) << "to mode " << step.mode;
    EXPECT_EQ(console_.BrailleModeNumber(), step.mode);
    EXPECT_EQ(console_.Queue().Count(), 0);  // the keys themselves queue nothing
  }
  // Ctrl+F11 and Ctrl+F12 without Alt are ordinary keys.
  console_.TranslateKeyDown(base::vk::F(11), true, false, false);
  EXPECT_EQ(Typed(), std::string("\0h", 2));
}

}  // namespace
}  // namespace cadencio::console
