// The cadencio main program: start-up, tempo and measure entry, the beat loop with its key
// commands, the help listing and the farewell.
#pragma once

#include <cstdint>
#include <string>

#include "app/beat_schedule.hpp"
#include "app/effects_browser.hpp"
#include "app/metronome_state.hpp"
#include "console/console.hpp"
#include "platform/audio_output.hpp"
#include "platform/beat_channel.hpp"
#include "speech/program_parts.hpp"
#include "speech/speech_front_end.hpp"

namespace cadencio::app {

// Default paths of the beat sounds, in the family's Windows form.
inline constexpr const char* kEffectsDir = "c:\\sonaud\\som\\cadencio\\efeitos\\";

class Metronome {
 public:
  Metronome(console::Console& console, speech::SpeechFrontEnd& speech,
            platform::AudioOutput& output, platform::BeatChannel& beats, platform::Clock& clock);

  void StartMetronome();
  void RunMainLoop();
  // Says farewell and closes the console, which ends the program.
  [[noreturn]] void EndMetronome();
  void EnterTempoAndMeasure();
  void PlayBeat(const std::string& path);
  void ShowMainHelp();

  MetronomeState& State() { return state_; }

 private:
  void Say(const std::string& key, int line_ends);
  // Runs the command of one key code; false for Tab, which ends the pass at once.
  bool RunKeyCommand(uint8_t code);
  void Pause();
  void AskToEnd();

  console::Console& console_;
  speech::SpeechFrontEnd& speech_;
  platform::BeatChannel& beats_;
  BeatSchedule schedule_;
  EffectsBrowser effects_;
  MetronomeState state_;
  bool playing_ = true;
  int last_answer_ = -1;  // no answer yet
};

// The whole program on its parts: start-up, loop, end.
[[noreturn]] void RunCadencio(speech::ProgramParts& parts);

}  // namespace cadencio::app
