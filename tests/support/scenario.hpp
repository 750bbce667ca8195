// Whole-program scenarios on the headless front end: a script of keys at virtual times goes
// in; the screen text, the exit code and every beat sound with its stream frame come out.
// Each scenario runs in its own temporary data root and configuration directory.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "dialogs/field_editor.hpp"
#include "frontends/terminal/line_output.hpp"
#include "program/capture_rig.hpp"
#include "speech/speech_events.hpp"
#include "support/window_scenario.hpp"

namespace cadencio::testing {

// A fresh data root with the two default beat sounds, and an empty configuration directory;
// SONAUD_ROOT and AUDIRA_WINDIR point at them while the object lives.
class TempDataRoot {
 public:
  TempDataRoot();
  ~TempDataRoot();
  TempDataRoot(const TempDataRoot&) = delete;
  TempDataRoot& operator=(const TempDataRoot&) = delete;
  const std::string& Root() const { return root_; }
  const std::string& ConfigDir() const { return config_dir_; }
  // Writes a file (creating its directories) below the root.
  void WriteFile(const std::string& relative, const std::string& content) const;

 private:
  std::string base_;
  std::string root_;
  std::string config_dir_;
};

// A 600 Hz tone of `frames` at `rate`, a third of full scale: a stand-in sound or recording.
std::vector<int16_t> ToneSamples(int frames, int rate);

// Key messages for scripts.
frontends::ScriptedMessage TypeChar(int64_t at_ms, uint8_t ch, bool ctrl = false);
frontends::ScriptedMessage PressKey(int64_t at_ms, int virtual_key, bool ctrl = false,
                                    bool alt = false, bool shift = false);
// Types a text, one character every 10 ms from `at_ms`.
std::vector<frontends::ScriptedMessage> TypeText(int64_t at_ms, const std::string& text);

using Script = std::vector<frontends::ScriptedMessage>;
// The parts one after the other.
Script Join(std::initializer_list<Script> parts);
// A short text typed in the field editor from `at_ms` and ended with Enter 100 ms later.
Script Answer(int64_t at_ms, const std::string& text);
// The two start-up questions answered: the tempo text, Enter, then the measure key.
Script AnswerStart(const std::string& tempo, uint8_t measure_key);
// Ends the program: Esc at `at_ms` and "s" once the question has been asked (keys typed before
// the question are drained).
Script EndAt(int64_t at_ms);
// A whole session: the start-up answers, the keys, and the end at `end_ms`.
Script Session(const std::string& tempo, uint8_t measure_key, const Script& keys, int64_t end_ms);

struct BeatOnset {
  int64_t frame;
  std::string sound;  // file name without directory, e.g. "padrao1.wav"
};

// What a terminal writes for a screen reader: the scripted front end's keys and time, with
// the screen going out as the terminal's plain lines and the program's own lines after them.
class LineTranscriptFrontend final : public frontends::Frontend {
 public:
  explicit LineTranscriptFrontend(frontends::HeadlessFrontend& script) : script_(script) {}
  void PollInput(base::MessageLoop& loop) override { script_.PollInput(loop); }
  void WaitInput(base::MessageLoop& loop) override { script_.WaitInput(loop); }
  void WaitInputFor(base::MessageLoop& loop, int64_t timeout_ms) override {
    script_.WaitInputFor(loop, timeout_ms);
  }
  void Present(const frontends::ScreenCells& cells, int cursor_column, int cursor_row,
               bool caret) override;
  void Beep() override { script_.Beep(); }
  bool WritesLines() const override { return true; }
  void AppendLine(const std::string& text) override { text_ += lines_.AppendLine(text); }
  // Everything written, Windows-1252, lines ended by line feeds.
  const std::string& Text() const { return text_; }

 private:
  frontends::HeadlessFrontend& script_;
  frontends::LineOutput lines_;
  std::string text_;
};

class Scenario {
 public:
  // With `plain_lines` the screen goes out as a terminal's plain lines (Transcript), and the
  // front end takes the lines of the screen-reader mode.
  Scenario(std::vector<frontends::ScriptedMessage> script, int64_t tail_ms,
           base::Clock::DateTime start = base::VirtualClock::kDefaultStart,
           bool plain_lines = false);
  // Runs the whole program until it ends; returns its exit code.
  int Run();
  // Runs one dialog (or any code) on this scenario's console, speech and audio until it
  // returns or the program ends; returns the exit code, or -1 when the code returned.
  int RunDialog(const std::function<void()>& dialog);
  audio::AudioOutput& Audio() { return rig_.audio; }

  const frontends::HeadlessFrontend& Screen() const { return rig_.frontend; }
  const std::vector<BeatOnset>& Onsets() const { return onsets_; }
  int SampleRate() { return rig_.audio.GetMixer().SampleRate(); }
  base::VirtualClock& Clock() { return rig_.clock; }
  console::Console& Console() { return rig_.console; }
  // Holds the program thread for `for_ms` of virtual time, without pumping a message, once the
  // time first reaches `at_ms` (as a busy machine may hold it); the stream renders on.
  void StallAt(int64_t at_ms, int64_t for_ms);
  // Onsets whose sound is `name`.
  int CountOnsets(const std::string& name) const;
  // What the speech front end did, in order.
  const std::vector<speech::SpeechEvent>& Spoken() const { return spoken_; }
  // The spoken events of one kind, as their details.
  std::vector<std::string> Spoken(speech::SpeechEvent::Kind kind) const;
  speech::SpeechFrontEnd& Speech() { return rig_.speech; }
  dialogs::SpokenKeyReader& Keys() { return rig_.keys; }
  const files::AudiraSettings& Settings() const { return rig_.settings; }
  // What the field editor works with.
  dialogs::FieldContext Field() { return {Console(), Speech(), Keys(), rig_.settings}; }
  program::ProgramParts& Parts() { return rig_.parts; }
  // The plain lines written so far (a scenario made with `plain_lines`).
  const std::string& Transcript() const { return transcript_->Text(); }

 private:
  LineTranscriptFrontend* transcript_ = nullptr;  // set while rig_ is built
  program::CaptureRig rig_;
  std::vector<BeatOnset> onsets_;
  std::vector<speech::SpeechEvent> spoken_;
};

}  // namespace cadencio::testing
