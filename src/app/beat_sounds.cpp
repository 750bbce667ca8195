// The beat sounds and their defaults.
#include "app/beat_sounds.hpp"

#include "app/message_catalogue.hpp"

namespace cadencio::app {

namespace {

// The catalogue's reason for a sound that gives nothing to play.
const char* ProblemMessage(audio::WavProblem problem) {
  switch (problem) {
    case audio::WavProblem::kMissing:
      return "CASOMNEX";
    case audio::WavProblem::kTooLarge:
      return "CASOMGRD";
    case audio::WavProblem::kEmpty:
      return "CASOMVAZ";
    case audio::WavProblem::kIncomplete:
      return "CASOMINC";
    case audio::WavProblem::kUnsupported:
      return "CASOMFMT";
    case audio::WavProblem::kNone:
    case audio::WavProblem::kUnreadable:
      break;
  }
  return "CASOMABR";
}

// Says why the sound of `path` cannot be played; false when it plays.
bool SayIfUnplayable(console::Console& console, speech::SpeechFrontEnd& speech,
                     audio::BeatChannel& beats, const std::string& path) {
  const audio::WavProblem problem = beats.Problem(path);
  if (problem == audio::WavProblem::kNone) return false;
  SayMessage(console, speech, "CASOM", 0);
  speech.WriteSpeak(path.substr(path.find_last_of('\\') + 1));
  SayMessage(console, speech, "CASOMNAO", 0);
  SayMessage(console, speech, ProblemMessage(problem), 1);
  return true;
}

// Puts `fallback` in the place of a sound that cannot be played; a fallback that cannot be
// played either is said too, and nothing is left to put in its place.
void KeepPlayable(console::Console& console, speech::SpeechFrontEnd& speech,
                  audio::BeatChannel& beats, std::string& path, const std::string& fallback) {
  if (!SayIfUnplayable(console, speech, beats, path) || path == fallback) return;
  path = fallback;
  SayIfUnplayable(console, speech, beats, path);
}

}  // namespace

std::string EffectPath(const std::string& bare_name) {
  return kEffectsDir + bare_name + ".wav";
}

void KeepPlayableSounds(console::Console& console, speech::SpeechFrontEnd& speech,
                        audio::BeatChannel& beats, MetronomeState& state) {
  KeepPlayable(console, speech, beats, state.TempoSound, EffectPath(kDefaultTempoSound));
  KeepPlayable(console, speech, beats, state.MeasureSound, EffectPath(kDefaultMeasureSound));
}

}  // namespace cadencio::app
