// Turns texts and tones into the WAVE files of the data root: renders with the voice, trims,
// brings every recording to one speech level, converts the rate and writes the file.
#pragma once

#include <cstddef>
#include <string>

#include "lib/espeak_voice.hpp"
#include "lib/sound_shaping.hpp"

namespace cadencio::voicegen {

// Formats of the two kinds of recording.
inline constexpr int kLetterRate = 11025;  // letters directory: 8-bit unsigned mono
inline constexpr int kPromptRate = 22050;  // program prompts: 16-bit mono

// Telephone-key tones: length and the amplitude of each of the two frequencies.
inline constexpr double kDtmfMs = 150;
inline constexpr double kDtmfAmplitude = 0.4;

// A rendering made into a recording at `rate`: silence trimmed from both ends, brought to the
// speech level every voice speaks at (audio::kSpeechLevel), rate converted, edges faded. Empty when
// nothing is left.
Samples ShapeSpeech(const Samples& source, int source_rate, int rate);

class RecordingWriter {
 public:
  // The directories must exist. The voice must outlive the writer.
  RecordingWriter(EspeakVoice& voice, std::string letters_dir, std::string prompt_dir);

  // letters directory + name + ".wav", 8-bit mono at 11025 Hz.
  bool WriteLetterRecording(const std::string& name, const std::string& utf8_text);
  // prompt directory + name + ".wav", 16-bit mono at 22050 Hz.
  bool WritePromptRecording(const std::string& name, const std::string& utf8_text);
  // letters directory + name + ".wav": the key's tone, 8-bit mono at 11025 Hz.
  bool WriteDtmf(const std::string& name, char key);

  // Why the last write failed.
  const std::string& Error() const { return error_; }
  std::size_t FileCount() const { return files_; }
  std::size_t ByteCount() const { return bytes_; }

 private:
  // The text rendered, trimmed and levelled at `rate`; empty (with the error set) on failure.
  Samples Speak(const std::string& utf8_text, int rate);
  bool Written(const std::string& path, bool ok, std::size_t bytes);

  EspeakVoice& voice_;
  std::string letters_dir_;
  std::string prompt_dir_;
  std::string error_;
  std::size_t files_ = 0;
  std::size_t bytes_ = 0;
};

}  // namespace cadencio::voicegen
