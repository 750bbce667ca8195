// Reading the lists of recordings to generate (data/voice-words.txt, data/prompts.txt): one
// recording a line, fields separated by "|", "#" lines and empty lines skipped.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cadencio::voicegen {

struct RecordingLine {
  int line_number = 0;
  std::vector<std::string> fields;
};

struct RecordingList {
  std::vector<RecordingLine> lines;
  std::string error;  // empty when the whole file was read
};

// Reads the file; every kept line must have exactly `field_count` fields and a non-empty first
// field (the file name), and no file name may appear twice. A carriage return before the line
// end is dropped. On the first fault the error names the file and the line.
RecordingList ReadRecordingList(const std::string& path, std::size_t field_count);

// The file name is a plain name: letters, digits and "_" "#" "-" only, at most 64 bytes.
bool IsPlainFileName(const std::string& name);

}  // namespace cadencio::voicegen
