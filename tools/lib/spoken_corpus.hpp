// Speaking texts with one of the program's voices into a captured stream, as the listening tool
// and the speech benchmarks do: the real speech front end and player run on virtual time with
// the capture output and the shipped AUDIRA.INI of the data root (or a copy of it that chooses
// another voice). The default texts are every catalogue message followed by a paragraph of
// ordinary Portuguese.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "speech/speech_events.hpp"

namespace cadencio::program {
class CaptureRig;
}  // namespace cadencio::program

namespace cadencio::say {

// The rate of the captured stream.
inline constexpr int kCaptureRate = 44100;

// A voice to speak with, as the [TRADUTOR] SAPI and [SERVFALA] TIPOSAPI it sets.
struct VoiceChoice {
  const char* name;
  const char* sapi;
  const char* kind;
  bool IsEngine() const { return sapi[0] == 'S'; }
};
// recorded, espeak, dispatcher, sivra; null when the name is none of them.
const VoiceChoice* FindVoice(const std::string& name);
// The names, "recorded|espeak|dispatcher|sivra".
std::string VoiceNames();

// Points the configuration at the data root's shipped AUDIRA.INI or, when a voice is given, at
// a copy of it in a temporary directory that chooses that voice (removed with the object).
class ShippedConfig {
 public:
  explicit ShippedConfig(const VoiceChoice* voice = nullptr);
  ~ShippedConfig();
  ShippedConfig(const ShippedConfig&) = delete;
  ShippedConfig& operator=(const ShippedConfig&) = delete;
  // Empty when the copy could not be made.
  const std::string& Error() const { return error_; }
  const std::string& DataRoot() const { return data_root_; }

 private:
  std::string data_root_;
  std::string temp_dir_;
  std::string error_;
};

// Windows-1252 text of a UTF-8 text; characters outside the code page become blanks (♭ and ♯
// become b and #), and are reported on standard error.
std::string CodePageText(const std::string& utf8);

// The catalogue texts of every key of the prompt list that has one, then the paragraph.
std::vector<std::string> CatalogueAndParagraph();

// Opens the recorded voice as the front end would, without sound, and answers its code. The
// front end, when the voice does not open, waits for Enter before it ends the program; the
// probe keeps that wait out of the capture.
int ProbeVoice(const std::string& data_root);

struct SpokenTake {
  int64_t speaking_ms = -1;      // virtual time spent speaking; -1 when speech did not start
  int speed = 0;                 // the speed the front end used
  bool fast_playback = false;    // its settings play the voice half as fast again
  std::vector<int16_t> samples;  // the stream, both channels mixed down, 16-bit mono
  std::string error;             // why speech did not start
};

// Speaks every text at `speed` (0: [TRADUTOR] VELOCIDADE), waiting after each until the voice
// is silent, then half a second more. `observer`, when given, hears what the speech front end
// did. `engine` asks for an engine: the take fails when none starts.
SpokenTake SpeakTexts(const std::string& data_root, int speed,
                      const std::vector<std::string>& texts, speech::SpeechObserver observer = {},
                      bool engine = false);

// The samples of one text (Windows-1252) said at `speed`, up to the first mark the voice names
// by its letter recording (the recorded voice names a '?'), so that the words alone can be
// measured; empty when speech did not start.
std::vector<int16_t> SpeakWordsOfText(const std::string& data_root, int speed,
                                      const std::string& text, bool engine = false);

// Runs `measure` on a capture rig that speaks with the voice named `name` (FindVoice) at
// `speed`, as the shipped configuration chooses it; when the voice or its engine does not start,
// says why on standard error. The exit code: `measure`'s, or 1.
int WithCapturedVoice(const char* name, int speed,
                      const std::function<int(program::CaptureRig& rig)>& measure);

}  // namespace cadencio::say
