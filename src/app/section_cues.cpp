// Rendering the cues of a song map's sections.
#include "app/section_cues.hpp"

#include "app/count_words.hpp"

namespace cadencio::app {

const audio::Sound* SectionCues::Cue(console::Console& console, speech::SpeechFrontEnd& speech,
                                     audio::WaveOutRecorder& recorder, audio::BeatChannel& beats,
                                     const std::string& text, int rate) {
  const std::string name = "cue:" + std::to_string(speech.Speed()) + ":" + text;
  if (const auto found = rendered_.find(name); found != rendered_.end()) return found->second;
  audio::Sound cue = TrimmedWord(RenderSaid(
                                     speech, recorder, [&] { speech.SpeakText(text); }, rate),
                                 rate);
  // A key cuts the rendering short: nothing is kept of it.
  if (console.KeyPressed()) return nullptr;
  const audio::Sound* kept = nullptr;
  if (cue.FrameCount() > 0) {
    LevelWord(cue);
    kept = beats.Keep(name, std::move(cue));
  }
  return rendered_[name] = kept;
}

std::vector<SectionCue> SectionCues::Render(console::Console& console,
                                            speech::SpeechFrontEnd& speech,
                                            audio::WaveOutRecorder* recorder,
                                            audio::BeatChannel& beats,
                                            const std::vector<PlayedSection>& sections, int rate) {
  std::vector<SectionCue> cues;
  if (recorder == nullptr || !speech.SpeechRecordable()) return cues;
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const PlayedSection& before = sections[i == 0 ? sections.size() - 1 : i - 1];
    const std::string whole = CueText(sections[i], before);
    SectionCue cue;
    cue.name = Cue(console, speech, *recorder, beats, sections[i].name, rate);
    cue.whole =
        whole == sections[i].name ? cue.name : Cue(console, speech, *recorder, beats, whole, rate);
    if (console.KeyPressed()) return {};
    cues.push_back(cue);
  }
  return cues;
}

}  // namespace cadencio::app
