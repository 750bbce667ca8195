// Writes the recorded voice's sound data with espeak-ng's Brazilian Portuguese voice: the
// letters directory (character names, number, scale and calendar words, the field editor's
// prompts, all 8-bit mono at 11025 Hz, and the telephone-key tones) and the metronome's own
// prompts (16-bit mono at 22050 Hz). The texts come from data/voice-words.txt and
// data/prompts.txt. The output is the same on every run: espeak-ng, the rate converter and the
// tones have no randomness and nothing depends on the time.
#include <cstdio>
#include <string>

#include "lib/dtmf.hpp"
#include "lib/espeak_voice.hpp"
#include "lib/recording_list.hpp"
#include "lib/recording_writer.hpp"

namespace {

using cadencio::voicegen::EspeakVoice;
using cadencio::voicegen::RecordingWriter;

bool WriteWordRecordings(RecordingWriter& writer, const std::string& list_path) {
  auto list = cadencio::voicegen::ReadRecordingList(list_path, 2);
  if (!list.error.empty()) {
    std::fprintf(stderr, "gen_voice_data: %s\n", list.error.c_str());
    return false;
  }
  for (const auto& line : list.lines) {
    if (!writer.WriteLetterRecording(line.fields[0], line.fields[1])) {
      std::fprintf(stderr, "gen_voice_data: %s:%d: %s\n", list_path.c_str(), line.line_number,
                   writer.Error().c_str());
      return false;
    }
  }
  return true;
}

bool WriteDtmfTones(RecordingWriter& writer) {
  // The star key is written "X" in the file name.
  for (char key : std::string("0123456789*#")) {
    std::string name = std::string("dtmf_") + (key == '*' ? 'X' : key);
    if (!writer.WriteDtmf(name, key)) {
      std::fprintf(stderr, "gen_voice_data: %s\n", writer.Error().c_str());
      return false;
    }
  }
  return true;
}

bool WritePromptRecordings(RecordingWriter& writer, const std::string& list_path) {
  auto list = cadencio::voicegen::ReadRecordingList(list_path, 3);
  if (!list.error.empty()) {
    std::fprintf(stderr, "gen_voice_data: %s\n", list.error.c_str());
    return false;
  }
  for (const auto& line : list.lines) {
    const std::string& said = line.fields[2].empty() ? line.fields[1] : line.fields[2];
    if (!writer.WritePromptRecording(line.fields[0], said)) {
      std::fprintf(stderr, "gen_voice_data: %s:%d: %s\n", list_path.c_str(), line.line_number,
                   writer.Error().c_str());
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr,
                 "usage: gen_voice_data DATA-DIRECTORY LETTERS-DIRECTORY PROMPT-DIRECTORY\n");
    return 2;
  }
  const std::string data_dir = argv[1];
  EspeakVoice voice("pt-br");
  if (!voice.Ok()) {
    std::fprintf(stderr, "gen_voice_data: %s\n", voice.Error().c_str());
    return 1;
  }
  RecordingWriter writer(voice, argv[2], argv[3]);
  if (!WriteWordRecordings(writer, data_dir + "/voice-words.txt") || !WriteDtmfTones(writer) ||
      !WritePromptRecordings(writer, data_dir + "/prompts.txt")) {
    return 1;
  }
  std::printf("gen_voice_data: %zu files, %zu bytes\n", writer.FileCount(), writer.ByteCount());
  return 0;
}
