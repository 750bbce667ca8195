// From text to WAVE file.
#include "lib/recording_writer.hpp"

#include <utility>

#include "audio/speech_level.hpp"
#include "formats/wav_writer.hpp"
#include "lib/dtmf.hpp"

namespace cadencio::voicegen {

namespace {

constexpr double kEdgeFadeMs = 2;
using formats::kWavHeaderSize;

}  // namespace

RecordingWriter::RecordingWriter(EspeakVoice& voice, std::string letters_dir,
                                 std::string prompt_dir)
    : voice_(voice), letters_dir_(std::move(letters_dir)), prompt_dir_(std::move(prompt_dir)) {}

Samples ShapeSpeech(const Samples& source, int source_rate, int rate) {
  Samples samples = TrimSilence(source, source_rate, TrimSettings{});
  if (samples.empty()) return {};
  MatchLevel(samples, source_rate, audio::kSpeechLevel, audio::kSpeechKnee);
  samples = Resample(samples, source_rate, rate);
  FadeEdges(samples, rate, kEdgeFadeMs);
  return samples;
}

Samples RecordingWriter::Speak(const std::string& utf8_text, int rate) {
  if (utf8_text.empty()) {
    error_ = "nothing to say";
    return {};
  }
  Rendering rendering = voice_.Render(utf8_text);
  Samples samples = ShapeSpeech(ToFloat(rendering.samples), voice_.SampleRate(), rate);
  if (samples.empty()) error_ = "espeak-ng said nothing for \"" + utf8_text + "\"";
  return samples;
}

bool RecordingWriter::Written(const std::string& path, bool ok, std::size_t bytes) {
  if (!ok) {
    error_ = path + " cannot be written";
    return false;
  }
  ++files_;
  bytes_ += bytes;
  return true;
}

bool RecordingWriter::WriteLetterRecording(const std::string& name, const std::string& utf8_text) {
  Samples samples = Speak(utf8_text, kLetterRate);
  if (samples.empty()) return false;
  std::string path = letters_dir_ + "/" + name + ".wav";
  return Written(path, formats::WriteWav8Mono(path, ToUnsigned8(samples), kLetterRate),
                 kWavHeaderSize + samples.size());
}

bool RecordingWriter::WritePromptRecording(const std::string& name, const std::string& utf8_text) {
  Samples samples = Speak(utf8_text, kPromptRate);
  if (samples.empty()) return false;
  std::string path = prompt_dir_ + "/" + name + ".wav";
  return Written(path, formats::WriteWav16Mono(path, ToSigned16(samples), kPromptRate),
                 kWavHeaderSize + 2 * samples.size());
}

bool RecordingWriter::WriteDtmf(const std::string& name, char key) {
  Samples tone = DtmfTone(key, kLetterRate, kDtmfMs, kDtmfAmplitude);
  if (tone.empty()) {
    error_ = std::string("no telephone key ") + key;
    return false;
  }
  std::string path = letters_dir_ + "/" + name + ".wav";
  return Written(path, formats::WriteWav8Mono(path, ToUnsigned8(tone), kLetterRate),
                 kWavHeaderSize + tone.size());
}

}  // namespace cadencio::voicegen
