// Speaking texts with the recorded voice into a captured stream, as the listening tool and the
// speech benchmarks do: the real speech front end and player run on virtual time with the
// capture output and the shipped AUDIRA.INI of the data root. The default texts are every
// catalogue message followed by a paragraph of ordinary Portuguese.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "speech/speech_events.hpp"

namespace cadencio::say {

// The rate of the captured stream.
inline constexpr int kCaptureRate = 44100;

// Windows-1252 text of a UTF-8 text; characters outside the code page become blanks (and are
// reported on standard error).
std::string CodePageText(const std::string& utf8);

// The catalogue texts of every key of the prompt list that has one, then the paragraph.
std::vector<std::string> CatalogueAndParagraph();

// Points the configuration at the data root's shipped AUDIRA.INI and answers the data root.
std::string UseShippedConfig();

// Opens the recorded voice as the front end would, without sound, and answers its code. The
// front end, when the voice does not open, waits for Enter before it ends the program; the
// probe keeps that wait out of the capture.
int ProbeVoice(const std::string& data_root);

struct SpokenTake {
  int64_t speaking_ms = -1;      // virtual time spent speaking; -1 when the voice did not open
  int speed = 0;                 // the speed the front end used
  bool fast_playback = false;    // its settings play the voice half as fast again
  std::vector<int16_t> samples;  // the stream, both channels mixed down, 16-bit mono
  std::string screen;            // the console's text (the voice's start-up error, if any)
};

// Speaks every text at `speed` (0: [TRADUTOR] VELOCIDADE), with half a second of silence
// after each. `observer`, when given, hears what the speech front end did.
SpokenTake SpeakTexts(const std::string& data_root, int speed,
                      const std::vector<std::string>& texts, speech::SpeechObserver observer = {});

}  // namespace cadencio::say
