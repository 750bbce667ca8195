// The spoken field editor on the headless console: what the keys do to the text, what the
// screen shows, and what is said, for typing, deleting, the whole-field keys, word moves and
// reading, selection, copy and paste, the speed change, telephone tones, and opening a link or
// file without a shell.
#include "dialogs/field_editor.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <thread>

#include "base/keys.hpp"
#include "frontends/terminal/terminal_keys.hpp"
#include "support/recorder_program.hpp"
#include "support/scenario.hpp"
#include "support/scratch_dir.hpp"

namespace cadencio::testing {
namespace {

namespace vk = base::vk;
using speech::SpeechEvent;
using Script = std::vector<frontends::ScriptedMessage>;

// Keys one after another, 100 ms apart, so that each is handled (and any beep it causes has
// ended) before the next one comes.
class Keys {
 public:
  Keys& Type(const std::string& text) {
    for (unsigned char c : text) Add(TypeChar(0, c));
    return *this;
  }
  Keys& Char(uint8_t c, bool ctrl = false) {
    Add(TypeChar(0, c, ctrl));
    return *this;
  }
  Keys& Press(int key, int times = 1) {
    for (int i = 0; i < times; ++i) Add(PressKey(0, key));
    return *this;
  }
  Keys& Shift(int key, int times = 1) {
    for (int i = 0; i < times; ++i) Add(PressKey(0, key, false, false, true));
    return *this;
  }
  Keys& Ctrl(int key) {
    Add(PressKey(0, key, true));
    return *this;
  }
  Keys& Alt(int key) {
    Add(PressKey(0, key, false, true));
    return *this;
  }
  Keys& AltCtrl(int key) {
    Add(PressKey(0, key, true, true));
    return *this;
  }
  // Bytes as a terminal sends them, through the terminal's key decoder.
  Keys& Terminal(const std::string& bytes) {
    std::vector<base::Message> messages;
    frontends::TerminalKeyDecoder decoder({});
    decoder.Feed(bytes, 0, messages);
    decoder.Flush(1000, messages);
    for (const auto& message : messages) Add({0, message});
    return *this;
  }
  Keys& Wait(int64_t ms) {
    at_ms_ += ms;
    return *this;
  }
  // The script, ended with Enter unless another ending key was given.
  Script Build(bool add_enter = true) const {
    Script script = script_;
    if (add_enter) script.push_back(TypeChar(at_ms_, 13));
    return script;
  }

 private:
  void Add(frontends::ScriptedMessage message) {
    message.at_ms = at_ms_;
    at_ms_ += 100;
    script_.push_back(message);
  }
  Script script_;
  int64_t at_ms_ = 100;
};

struct Field {
  std::string text;
  int column = 1;
  int row = 1;
  bool editable = true;
  int width = 80;
  int capacity = 250;
};

struct Edited {
  uint8_t code;
  std::string text;
};

// What was said, in order, as short tokens: 'c' for a character, prompt names, text:...,
// wav:<file name>, beep and click.
std::string Said(const Scenario& scenario) {
  std::string said;
  for (const auto& event : scenario.Spoken()) {
    std::string token;
    switch (event.kind) {
      case SpeechEvent::kChar:
        token = "'" + event.detail + "'";
        break;
      case SpeechEvent::kPrompt:
        token = event.detail;
        break;
      case SpeechEvent::kText:
        token = "text:" + event.detail;
        break;
      case SpeechEvent::kWavFile:
        token = "wav:" + event.detail.substr(event.detail.find_last_of('\\') + 1);
        break;
      case SpeechEvent::kBeep:
        token = "beep";
        break;
      case SpeechEvent::kClick:
        token = "click";
        break;
      default:
        continue;
    }
    said += (said.empty() ? "" : " ") + token;
  }
  return said;
}

class FieldEditorTest : public ::testing::Test {
 protected:
  // Runs EditLine on a fresh scenario; `before` may prepare the console (clipboard, screen).
  Edited Edit(const Keys& keys, const Field& field,
              const std::function<void(Scenario&)>& before = {}, bool add_enter = true) {
    scenario_.emplace(keys.Build(add_enter), 500);
    if (before) before(*scenario_);
    Edited edited{0, field.text};
    int exit = scenario_->RunDialog([&] {
      edited.code = dialogs::EditLine(scenario_->Field(), edited.text, field.column, field.row,
                                      field.editable, field.width, field.capacity, review_);
    });
    EXPECT_EQ(exit, -1) << "the editing did not end";
    return edited;
  }
  std::string Said() const { return testing::Said(*scenario_); }
  std::string Row(int row) const { return scenario_->Screen().Row(row - 1); }

  TempDataRoot data_;
  std::optional<Scenario> scenario_;
  dialogs::ScreenReviewHook review_;
};

auto Clipboard(const std::string& text) {
  return [text](Scenario& scenario) { scenario.Console().CopyToClipboard(text); };
}

// --- typing ---------------------------------------------------------------------------------

TEST_F(FieldEditorTest, TheFirstKeyTypedReplacesAFilledField) {
  Edited edited = Edit(Keys().Type("9"), {"120"});
  EXPECT_EQ(edited.code, 13);
  EXPECT_EQ(edited.text, "9");
  EXPECT_EQ(Said(), "click click '9'");
  EXPECT_EQ(Row(1), "9");
}

TEST_F(FieldEditorTest, TypingAfterTheLastNonBlankAppends) {
  Edited edited = Edit(Keys().Press(base::vk::kEnd).Type("3"), {"12"});
  EXPECT_EQ(edited.text, "123");
  EXPECT_EQ(Said(), "'3'");
  EXPECT_EQ(Row(1), "123");
}

TEST_F(FieldEditorTest, AFullFieldLosesItsLastCharacterOnInsert) {
  EXPECT_EQ(Edit(Keys().Press(base::vk::kHome).Type("x"), {"abc", 1, 1, true, 3, 3}).text, "xab");
}

TEST_F(FieldEditorTest, TypingBeyondTheCapacityBeeps) {
  Edited edited = Edit(Keys().Press(base::vk::kEnd).Type("x"), {"abc", 1, 1, true, 3, 3});
  EXPECT_EQ(edited.text, "abc");
  EXPECT_EQ(Said(), "beep");
}

TEST_F(FieldEditorTest, EchoTypingIsToggledByF4) {
  Edited edited =
      Edit(Keys().Press(base::vk::F(4)).Type("z").Press(base::vk::F(4)).Type("y"), {""});
  EXPECT_EQ(edited.text, "zy");
  EXPECT_EQ(Said(), "_FALDLG _FALACI 'y'");
  EXPECT_TRUE(scenario_->Speech().EchoTyping());
}

TEST_F(FieldEditorTest, AltQTakesTheNextKeyAsAPlainKey) {
  EXPECT_EQ(Edit(Keys().Alt('Q').Type("x"), {"abc"}).text, "x");
}

// --- deleting ---------------------------------------------------------------------------

TEST_F(FieldEditorTest, BackspaceAtTheStartBeepsAndChangesNothing) {
  Edited edited = Edit(Keys().Char(8), {"ab"});
  EXPECT_EQ(edited.text, "ab");
  EXPECT_EQ(Said(), "beep");
}

TEST_F(FieldEditorTest, BackspaceDeletesTheCharacterBeforeTheCursor) {
  Edited edited = Edit(Keys().Press(base::vk::kEnd).Char(8), {"ab"});
  EXPECT_EQ(edited.text, "a");
  EXPECT_EQ(Said(), "_DEL 'b'");
}

TEST_F(FieldEditorTest, CtrlSAndCtrlDCutAtTheCursor) {
  struct Case {
    uint8_t key;
    const char* text;
    const char* prompt;
  };
  const Case cases[] = {{19, "def", "_APICPO"}, {4, "abc", "_APFCPO"}};
  for (const auto& c : cases) {
    Edited edited = Edit(Keys().Press(base::vk::kRight, 3).Char(c.key, true), {"abcdef"});
    EXPECT_EQ(edited.text, c.text) << int(c.key);
    EXPECT_EQ(Said(), std::string("'a' 'b' 'c' ") + c.prompt) << int(c.key);
    EXPECT_EQ(Row(1), c.text);
  }
}

TEST_F(FieldEditorTest, CtrlYEmptiesAndCtrlURestores) {
  Edited emptied = Edit(Keys().Char(25, true), {"abc"});
  EXPECT_EQ(emptied.text, "");
  EXPECT_EQ(Said(), "_CPOAPA");

  Edited restored = Edit(Keys().Type("x").Char(21, true).Wait(300), {"abc"});
  EXPECT_EQ(restored.text, "abc");
  EXPECT_EQ(Said(), "click click 'x' beep beep beep");
}

TEST_F(FieldEditorTest, ShiftDeleteRemovesTheSelection) {
  Edited edited =
      Edit(Keys().Press(base::vk::kRight).Shift(base::vk::kRight, 3).Shift(base::vk::kDelete),
           {"abcdef"});
  EXPECT_EQ(edited.text, "aef");
  EXPECT_EQ(Said(), "'a' 'b' 'c' 'd' _DEL 'b' 'c' 'd'");
  EXPECT_EQ(Row(1), "aef");
}

TEST_F(FieldEditorTest, PlainDeleteDropsTheSelectionFirst) {
  Edited edited =
      Edit(Keys().Press(base::vk::kRight).Shift(base::vk::kRight, 3).Press(base::vk::kDelete),
           {"abcdef"});
  EXPECT_EQ(edited.text, "abcdf");
  EXPECT_EQ(Said(), "'a' 'b' 'c' 'd' _DEL 'e'");
}

TEST_F(FieldEditorTest, CtrlBackspaceDeletesTheWordBeforeTheCursor) {
  Edited edited = Edit(Keys().Press(base::vk::kEnd).Char(127), {"um dois tres"});
  EXPECT_EQ(edited.text, "um dois");
  EXPECT_EQ(Said(), "click beep click _DEL 't' 'r' 'e' 's'");
}

TEST_F(FieldEditorTest, AFieldThatCannotBeEditedOnlyMovesTheCursor) {
  Field field{"abc"};
  field.editable = false;
  Edited edited = Edit(Keys()
                           .Type("x")
                           .Press(base::vk::kEnd)
                           .Char(8)
                           .Char(25, true)
                           .Press(base::vk::kHome)
                           .Press(base::vk::kDelete)
                           .Char(22, true)
                           .Press(base::vk::kRight),
                       field, Clipboard("zz"));
  EXPECT_EQ(edited.text, "abc");
  EXPECT_EQ(Said(), "click click 'a'");
}

// --- ending -----------------------------------------------------------------------------

TEST_F(FieldEditorTest, EndingKeysAndTheirCodes) {
  struct Case {
    Keys keys;
    uint8_t code;
  };
  const Case cases[] = {
      {Keys().Char(27), 27},
      {Keys().Char(9), 9},
      {Keys().Char(13, true), 10},
      {Keys().Alt(base::vk::F(1)), 'h'},
      {Keys().Ctrl(base::vk::F(9)), 'f'},
      {Keys().Press(base::vk::F(2)), 60},
      {Keys().Press(base::vk::kUp), 72},
      {Keys().Ctrl(base::vk::kPrior), 132},
  };
  for (const auto& c : cases) {
    Edited edited = Edit(c.keys, {"ab  "}, {}, false);
    EXPECT_EQ(edited.code, c.code);
    EXPECT_EQ(edited.text, "ab");  // never with trailing blanks
  }
}

TEST_F(FieldEditorTest, EscapeKeepsTheEditedText) {
  Edited edited = Edit(Keys().Press(base::vk::kEnd).Type("c").Char(27), {"ab"}, {}, false);
  EXPECT_EQ(edited.code, 27);
  EXPECT_EQ(edited.text, "abc");
}

TEST_F(FieldEditorTest, AltDigitsAndTheReviewWithoutAHookAreIgnored) {
  Edited edited = Edit(Keys().Alt('1').Alt('0').AltCtrl(base::vk::F(9)).Type("x"), {""});
  EXPECT_EQ(edited.code, 13);
  EXPECT_EQ(edited.text, "x");
}

// --- moving and reading -------------------------------------------------------------------

TEST_F(FieldEditorTest, MovingBeyondEitherEndBeeps) {
  Edited edited =
      Edit(Keys().Press(base::vk::kLeft).Press(base::vk::kRight, 3), {"ab", 1, 1, true, 2, 2});
  EXPECT_EQ(edited.text, "ab");
  EXPECT_EQ(Said(), "beep 'a' 'b' beep");
}

TEST_F(FieldEditorTest, AltRightSaysTheLettersPhoneticName) {
  Edit(Keys().Alt(base::vk::kRight).Alt(base::vk::kRight).Alt(base::vk::kRight), {"aZ1"});
  EXPECT_EQ(Said(), "_FON97 _FON90 '1'");
}

TEST_F(FieldEditorTest, F1ReadsTheFieldWordByWord) {
  Edit(Keys().Press(base::vk::F(1), 5), {"casa 42 str ?"});
  EXPECT_EQ(Said(), "text:casa text:42 's' 't' 'r' '?' beep");
}

TEST_F(FieldEditorTest, WordMovesClickAndBeepAtTheEnds) {
  Edit(Keys().Ctrl(base::vk::kRight).Ctrl(base::vk::kRight).Ctrl(base::vk::kRight).Char(11, true),
       {"ab cd"});
  EXPECT_EQ(Said(), "click beep beep text:6");
  Edit(Keys()
           .Press(base::vk::kEnd)
           .Ctrl(base::vk::kLeft)
           .Ctrl(base::vk::kLeft)
           .Ctrl(base::vk::kLeft)
           .Char(11, true),
       {"ab cd"});
  EXPECT_EQ(Said(), "click click beep text:1");
}

TEST_F(FieldEditorTest, CtrlF1AndKey222SpeakTheWholeField) {
  Edit(Keys().Ctrl(base::vk::F(1)).Char(222), {"um dois  "});
  EXPECT_EQ(Said(), "text:um dois text:um dois");
}

TEST_F(FieldEditorTest, TheTimeAndTheDate) {
  Edit(Keys().Press(base::vk::F(8)), {""});
  EXPECT_NE(Said().find("_hora"), std::string::npos) << Said();
  Edit(Keys().Ctrl(base::vk::F(8)), {""});
  EXPECT_NE(Said().find("_de"), std::string::npos) << Said();
}

// --- the screen ---------------------------------------------------------------------------

TEST_F(FieldEditorTest, TheFieldIsDrawnInPlaceAndClearsTheRestOfTheLine) {
  Edit(Keys().Press(base::vk::kEnd).Type("d"), {"abc", 5, 3, true, 10, 20}, [](Scenario& s) {
    s.Console().MoveCursor(1, 3);
    s.Console().Write(std::string(80, 'z'));
  });
  EXPECT_EQ(Row(3), "zzzzabcd");
  EXPECT_EQ(scenario_->Console().CursorColumn(), 5);  // back at the field's start
}

TEST_F(FieldEditorTest, ANarrowFieldScrollsWithTheCursor) {
  std::string shown;
  int cursor = 0;
  review_ = [&] {
    shown = Row(1);
    cursor = scenario_->Console().CursorColumn();
  };
  Edited edited = Edit(Keys().Type("abcdefgh").AltCtrl(base::vk::F(9)), {"", 1, 1, true, 5, 20});
  EXPECT_EQ(shown, "defgh");
  EXPECT_EQ(cursor, 6);
  EXPECT_EQ(Row(1), "abcde");  // the end shows the field's start
  EXPECT_EQ(edited.text, "abcdefgh");
}

TEST_F(FieldEditorTest, TheSelectionIsShownOnTheSelectionBackground) {
  std::vector<uint8_t> attrs;
  review_ = [&] {
    for (int column = 1; column <= 6; ++column) {
      attrs.push_back(scenario_->Console().ScreenAttrAt(column, 1));
    }
  };
  Edit(Keys().Press(base::vk::kRight).Shift(base::vk::kRight, 2).AltCtrl(base::vk::F(9)),
       {"abcdef"});
  const uint8_t plain = scenario_->Console().TextAttr();
  const uint8_t selected = static_cast<uint8_t>(0x80 | (plain & 0x0F));
  EXPECT_EQ(attrs, (std::vector<uint8_t>{plain, selected, selected, plain, plain, plain}));
  EXPECT_EQ(scenario_->Console().ScreenAttrAt(2, 1), plain);  // the end draws it plainly
}

TEST_F(FieldEditorTest, AFieldOnTheLastRowNeverScrollsTheScreen) {
  auto marked = [](Scenario& s) {
    s.Console().MoveCursor(1, 24);
    s.Console().Write("marca");
  };
  const std::string long_text(85, 'x');
  Edit(Keys(), {long_text, 1, 25, true, 80, 250}, marked);
  EXPECT_EQ(Row(24), "marca");
  EXPECT_EQ(Row(25), std::string(79, 'x'));

  Edit(Keys(), {long_text, 26, 25, true, 80, 250}, marked);
  EXPECT_EQ(Row(24), "marca");
  EXPECT_EQ(Row(25), std::string(25, ' ') + std::string(54, 'x'));
}

TEST_F(FieldEditorTest, ACapacityAbove2048Works2048) {
  Edited edited =
      Edit(Keys().Press(base::vk::kEnd).Type("b"), {std::string(3000, 'a'), 1, 1, true, 80, 5000});
  EXPECT_EQ(edited.text, std::string(2048, 'a'));
  EXPECT_EQ(Said(), "beep");
}

// --- copy and paste -----------------------------------------------------------------------

TEST_F(FieldEditorTest, CopyTakesTheSelectionOrTheWholeText) {
  Edit(Keys().Char(3, true), {"abc  "});
  EXPECT_EQ(scenario_->Console().PasteFromClipboard(100), "abc\r\n");
  Edit(Keys().Press(base::vk::kRight).Shift(base::vk::kRight, 2).Ctrl(base::vk::kInsert),
       {"abcdef"});
  EXPECT_EQ(scenario_->Console().PasteFromClipboard(100), "bc");
  Edit(Keys().Press(base::vk::kEnd).Shift(base::vk::kLeft, 2).Char(3, true), {"abcdef"});
  EXPECT_EQ(scenario_->Console().PasteFromClipboard(100), "ef");
}

TEST_F(FieldEditorTest, PasteReplacesALeftwardSelection) {
  for (bool shift_insert : {false, true}) {
    Keys keys = Keys().Press(base::vk::kEnd).Shift(base::vk::kLeft, 2);
    if (shift_insert) {
      keys.Shift(base::vk::kInsert);
    } else {
      keys.Char(22, true);
    }
    Edited edited = Edit(keys, {"abcdef"}, Clipboard("XYZ"));
    EXPECT_EQ(edited.text, "abcdXYZ") << shift_insert;
    EXPECT_EQ(Row(1), "abcdXYZ");
  }
}

TEST_F(FieldEditorTest, PasteWithoutASelectionInsertsAtTheCursor) {
  for (bool shift_insert : {false, true}) {
    Keys keys = Keys().Press(base::vk::kEnd).Press(base::vk::kLeft);
    if (shift_insert) {
      keys.Shift(base::vk::kInsert);
    } else {
      keys.Char(22, true);
    }
    EXPECT_EQ(Edit(keys, {"abc"}, Clipboard("12")).text, "ab12c") << shift_insert;
  }
}

TEST_F(FieldEditorTest, PasteAsTheFirstKeyReplacesTheField) {
  Edited edited = Edit(Keys().Char(22, true), {"velho"}, Clipboard("novo"));
  EXPECT_EQ(edited.text, "novo");
  EXPECT_EQ(Said(), "click click");
}

TEST_F(FieldEditorTest, PasteKeepsTheFirstLineAndTheCapacity) {
  EXPECT_EQ(Edit(Keys().Char(22, true), {""}, Clipboard("primeira\r\nsegunda")).text, "primeira");
  EXPECT_EQ(Edit(Keys().Char(22, true), {""}, Clipboard("um\ndois")).text, "um");
  EXPECT_EQ(Edit(Keys().Char(22, true), {"", 1, 1, true, 5, 5}, Clipboard("1234567")).text,
            "12345");
}

TEST_F(FieldEditorTest, ThePastedTextIsSelectedAndCanBeCopied) {
  Edit(Keys().Press(base::vk::kEnd).Char(22, true).Char(3, true), {"ab"}, Clipboard("cd"));
  EXPECT_EQ(scenario_->Console().PasteFromClipboard(100), "cd");
}

// --- speed and tones ----------------------------------------------------------------------

TEST_F(FieldEditorTest, CtrlF4ChangesTheSpeechSpeed) {
  Edit(Keys().Ctrl(base::vk::F(4)).Type("2"), {""});
  EXPECT_EQ(scenario_->Speech().Speed(), 2);
  EXPECT_EQ(Said(), "_VELOC '2'");

  Edit(Keys().Ctrl(base::vk::F(4)).Char(27), {""});
  EXPECT_EQ(scenario_->Speech().Speed(), 3);

  Edit(Keys().Ctrl(base::vk::F(4)).Type("9"), {""});
  EXPECT_EQ(scenario_->Speech().Speed(), 3);  // a bad speed becomes 3
}

TEST_F(FieldEditorTest, CtrlBackslashPlaysTelephoneTones) {
  const std::string tones = "wav:dtmf_1.wav wav:dtmf_X.wav wav:dtmf_#.wav wav:dtmf_9.wav";
  Edit(Keys().Char(28, true).Wait(2000), {"1*#,a9 "});
  EXPECT_EQ(Said(), tones);
  // The terminal's Ctrl+\ byte is that key too, not the stand-in for Ctrl+Break.
  Edited edited = Edit(Keys().Terminal("\x1c").Wait(2000), {"1*#,a9 "});
  EXPECT_EQ(Said(), tones);
  EXPECT_EQ(edited.code, 13);
}

TEST_F(FieldEditorTest, TheTerminalsCtrlBracketEndsTheProgramAsCtrlBreak) {
  scenario_.emplace(Keys().Type("12").Terminal("\x1d").Build(), 500);
  std::string text;
  const int exit = scenario_->RunDialog(
      [&] { dialogs::EditLine(scenario_->Field(), text, 1, 1, true, 80, 250, review_); });
  EXPECT_EQ(exit, 255);
}

// --- opening a link or file -----------------------------------------------------------------

TEST_F(FieldEditorTest, F12OpensAnAddressWithTheConfiguredProgram) {
  Recorder browser("navegador");
  WriteBytes(data_.ConfigDir() + "/AUDIRA.INI",
             "[AUDIRA]\r\nPROG.HTM=" + browser.Program() + "\r\n");
  Edited edited = Edit(Keys().Ctrl(base::vk::kRight).Press(base::vk::F(12)),
                       {"veja (www.exemplo.com.br) agora"});
  EXPECT_EQ(browser.WaitForOutput(), "[www.exemplo.com.br)]\n");
  EXPECT_EQ(edited.text, "veja (www.exemplo.com.br) agora");
}

TEST_F(FieldEditorTest, F12HandsShellSyntaxOverAsPlainText) {
  Recorder opener("xdg-open");
  ScopedEnv path("PATH", opener.BinDir() + ":/usr/bin:/bin");
  for (const char* word : {"a;touch${IFS}x", "$(id)"}) {
    ScratchDir work;
    InDirectory in(work.path());
    std::filesystem::remove(opener.Output());
    Edit(Keys().Press(base::vk::F(12)), {word});
    EXPECT_EQ(opener.WaitForOutput(), std::string("[") + word + "]\n");
    EXPECT_TRUE(std::filesystem::is_empty(work.path())) << word;
  }
}

TEST_F(FieldEditorTest, F12OnNothingBeeps) {
  Edit(Keys().Press(base::vk::kEnd).Press(base::vk::kRight).Press(base::vk::F(12)), {"ab"});
  EXPECT_EQ(Said(), "' ' beep");
}

}  // namespace
}  // namespace cadencio::testing
