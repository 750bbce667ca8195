// The tuning fork's recordings as data: which strings sound in each file and when. Shared by
// the generator that writes them and the benchmark that measures their pitch.
#pragma once

#include <cmath>
#include <vector>

namespace cadencio::tuning {

constexpr int kRate = 44100;

// One plucked string inside a recording.
struct StringPluck {
  int midi_note;    // 40 = E2 ... 64 = E4
  double onset_s;   // when it is plucked
  double length_s;  // how long it sounds, release included
};

struct NoteFile {
  const char* name;       // recording name, written as name + ".wav"
  double pluck_position;  // where the string is plucked, as a fraction of its length
  std::vector<StringPluck> strings;
};

// Equal temperament with A4 = 440 Hz.
inline double NoteFrequency(int midi_note) {
  return 440.0 * std::pow(2.0, (midi_note - 69) / 12.0);
}

// The open strings of a guitar in standard tuning, low to high.
inline const int kOpenStrings[6] = {40, 45, 50, 55, 59, 64};  // E2 A2 D3 G3 B3 E4

inline std::vector<NoteFile> TuningNoteFiles() {
  // Chords are strummed downwards, one string every 18 ms, and plucked at a third of the
  // string, which leaves out every third harmonic: the third harmonic of a root would
  // otherwise lie 2 cents from the fifth above and blur it.
  auto chord = [](const char* name, std::vector<int> notes) {
    NoteFile file{name, 1.0 / 3.0, {}};
    for (std::size_t i = 0; i < notes.size(); ++i) {
      file.strings.push_back({notes[i], 0.05 + 0.018 * static_cast<double>(i), 2.9});
    }
    return file;
  };
  std::vector<NoteFile> files = {
      {"E", 0.22, {{40, 0.02, 2.8}}},       {"A", 0.22, {{45, 0.02, 2.8}}},
      {"D", 0.22, {{50, 0.02, 2.6}}},       {"G", 0.22, {{55, 0.02, 2.6}}},
      {"B", 0.22, {{59, 0.02, 2.4}}},       {"X", 0.22, {{64, 0.02, 2.4}}},
      chord("M", {40, 47, 52, 56, 59, 64}),  // E major: E2 B2 E3 G#3 B3 E4
      chord("S", {43, 47, 50, 55, 59, 67}),  // G major: G2 B2 D3 G3 B3 G4
  };
  // All six strings in turn, low to high, each left ringing.
  NoteFile all{"T", 1.0 / 3.0, {}};
  for (int i = 0; i < 6; ++i) all.strings.push_back({kOpenStrings[i], 0.05 + 1.3 * i, 2.6});
  files.push_back(all);
  return files;
}

}  // namespace cadencio::tuning
