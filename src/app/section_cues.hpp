// The cues of a song map's sections, rendered ahead by the voice the user hears (at its current
// speed) into sounds of the beat channel's bank, so that the audio thread places each on its
// frame before the section's first downbeat.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "app/map_rules.hpp"
#include "app/song_map.hpp"
#include "audio/beat_channel.hpp"
#include "audio/wave_out/wave_out_recorder.hpp"
#include "console/console.hpp"
#include "speech/speech_front_end.hpp"

namespace cadencio::app {

class SectionCues {
 public:
  // One cue a section: the whole cue (its change from the section before it, the last one
  // before the first when the map loops) and the name alone. None without a recorder, while
  // the voice cannot be recorded, or when a key cuts the rendering. A cue rendered once at a
  // speed is not rendered again.
  std::vector<SectionCue> Render(console::Console& console, speech::SpeechFrontEnd& speech,
                                 audio::WaveOutRecorder* recorder, audio::BeatChannel& beats,
                                 const std::vector<PlayedSection>& sections, int rate);

 private:
  const audio::Sound* Cue(console::Console& console, speech::SpeechFrontEnd& speech,
                          audio::WaveOutRecorder& recorder, audio::BeatChannel& beats,
                          const std::string& text, int rate);

  std::map<std::string, const audio::Sound*> rendered_;  // by speed and text
};

}  // namespace cadencio::app
