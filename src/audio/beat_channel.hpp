// The beat channel: what sndPlaySound was to the program. It starts a WAV file without waiting
// (a new sound cuts the one playing), plays one synchronously, or stops. Files are read and
// converted once and kept for the program's life, so replaying a beat costs nothing.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "audio/audio_output.hpp"
#include "audio/sound.hpp"
#include "audio/wav_loader.hpp"
#include "base/clock.hpp"

namespace cadencio::audio {

class BeatChannel {
 public:
  BeatChannel(AudioOutput& output, base::Clock& clock) : output_(output), clock_(clock) {}

  // Starts the file at a stream frame (-1: as soon as possible). A file that cannot be read
  // plays nothing but still cuts the sound that was playing.
  void Play(const std::string& path, int64_t start_frame = -1);
  // Starts the file and returns once it has been rendered to its end.
  void PlaySync(const std::string& path);
  void Stop();
  // The stream's rate, which the bank's sounds are held at.
  int SampleRate() const { return output_.GetMixer().SampleRate(); }
  // The sound of a file, loaded on first use; null when the file is not playable.
  const Sound* Load(const std::string& path);
  // The file's sound with its amplitude times `gain`, its whole length, made once and kept in
  // the bank, named after the file and `form` ("padrao1.wav:medio"); the sound itself for a
  // gain of 1; null when the file is not playable.
  const Sound* LoadScaled(const std::string& path, float gain, const std::string& form);
  // A softer, shorter form of the file's sound at `gain` (the extra notes between beats), made
  // once and kept in the bank; null when the file is not playable.
  const Sound* LoadSofter(const std::string& path, float gain = 1.0f);
  // Why the file's sound is not playable (loading it first); kNone when it plays.
  WavProblem Problem(const std::string& path);
  // Keeps a sound made by the program in the bank for the program's life, named `name`; the
  // sound as kept, for playing.
  const Sound* Keep(const std::string& name, Sound sound);
  // Starts a sound of the bank at a stream frame; nothing for null.
  void PlaySound(const Sound* sound, int64_t start_frame);

 private:
  AudioOutput& output_;
  base::Clock& clock_;
  std::map<std::string, std::unique_ptr<Sound>> bank_;
  std::map<std::string, WavProblem> problems_;  // of the files that gave no sound
};

// Sleeps on `clock` until the mixer has rendered `frame` (returns at once when it has).
void WaitForStreamFrame(const Mixer& mixer, base::Clock& clock, int64_t frame);
// The same with another way to wait: `wait(ms)` waits about that long and answers true to end
// the wait early. True when the frame was reached (or the stream stalled), false when cut.
bool WaitForStreamFrame(const Mixer& mixer, base::Clock& clock, int64_t frame,
                        const std::function<bool(int64_t ms)>& wait);

}  // namespace cadencio::audio
