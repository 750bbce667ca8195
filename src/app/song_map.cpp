// A song's map: its lines in the set list's file and the sections as they play.
#include "app/song_map.hpp"

#include <algorithm>
#include <span>

#include "app/metronome_state.hpp"
#include "app/set_list.hpp"
#include "base/whole_number.hpp"
#include "base/windows1252.hpp"

namespace cadencio::app {

namespace {

constexpr std::string_view kLoopWord = "repetir";
constexpr std::string_view kTempoWord = "a";
constexpr std::string_view kBeatsWord = "em";
constexpr std::string_view kNotesWord = "por";

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t start = 0;
  while ((start = text.find_first_not_of(" \t", start)) != std::string_view::npos) {
    const std::size_t end = std::min(text.find_first_of(" \t", start), text.size());
    words.push_back(text.substr(start, end - start));
    start = end;
  }
  return words;
}

std::optional<int32_t> NumberWord(std::string_view word, int32_t low, int32_t high) {
  const std::optional<int> n = base::ParseWholeNumber(word);
  if (!n || *n < low || *n > high) return std::nullopt;
  return *n;
}

// "(2+2+3)" a grouping, "(4232)" one level a beat; nothing when it is neither.
std::optional<AccentPattern> AccentsWord(std::string_view word) {
  if (word.size() < 3 || word.front() != '(' || word.back() != ')') return std::nullopt;
  const std::string_view inside = word.substr(1, word.size() - 2);
  if (inside.find('+') == std::string_view::npos) {
    return ParsePattern(inside, static_cast<int>(inside.size()));
  }
  std::vector<int> groups;
  int total = 0;
  std::size_t start = 0;
  for (std::size_t plus = 0; plus != std::string_view::npos; start = plus + 1) {
    plus = inside.find('+', start);
    const auto group = NumberWord(inside.substr(start, plus - start), 1, kMaxAccentBeats);
    if (!group || (total += *group) > kMaxAccentBeats) return std::nullopt;
    groups.push_back(*group);
  }
  return GroupedPattern(groups);
}

// The changes after the measures ("a 140 em 7 (2+2+3) por 2"), into `section`.
bool ReadChanges(std::span<const std::string_view> words, Section& section) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string word = base::AsciiLowerCase(words[i]);
    if (word.starts_with('(') && !section.accents) {
      section.accents = AccentsWord(words[i]);
      if (!section.accents) return false;
      continue;
    }
    if (i + 1 == words.size()) return false;
    const std::string_view value = words[++i];
    if (word == kTempoWord && !section.bpm) {
      section.bpm = NumberWord(value, kMinBpm, kMaxBpm);
      if (!section.bpm) return false;
    } else if (word == kBeatsWord && !section.beats) {
      section.beats = NumberWord(value, 1, kMaxAccentBeats);
      if (!section.beats) return false;
    } else if (word == kNotesWord && !section.notes_per_beat) {
      section.notes_per_beat = NumberWord(value, 1, kMaxSubdivisions);
      if (!section.notes_per_beat) return false;
    } else {
      return false;
    }
  }
  // Accents are one level a beat of the measure they are given with, or of the one kept.
  return !section.accents || !section.beats || section.accents->beats == *section.beats;
}

// The section of the words after the mark: the name is the words before the first whole
// number after which the rest reads as changes ("Verso 2 16 a 90" is "Verso 2", 16 measures).
std::optional<Section> ReadSection(std::span<const std::string_view> words) {
  for (std::size_t i = 1; i < words.size(); ++i) {
    const auto measures = NumberWord(words[i], 1, kMaxSectionMeasures);
    if (!measures) continue;
    Section section;
    section.measures = *measures;
    if (!ReadChanges(words.subspan(i + 1), section)) continue;
    // A change without its measures is no part of the name: "Ponte em 7" and "Solo 4 a 90"
    // are no sections "Ponte em" and "Solo 4 a" ("Parte A 8" is "Parte A").
    const std::string_view first = words.front();
    const std::string_view last = words[i - 1];
    const std::string last_word = base::AsciiLowerCase(last);
    if (last_word == kBeatsWord || last_word == kNotesWord ||
        (last_word == kTempoWord && i >= 2 && base::ParseWholeNumber(words[i - 2]))) {
      continue;
    }
    section.name = std::string(first.data(), last.data() + last.size() - first.data());
    if (section.name != StorableSongName(section.name)) return std::nullopt;
    return section;
  }
  return std::nullopt;
}

}  // namespace

std::vector<PlayedSection> PlayedSections(const SongMap& map, int32_t bpm, int32_t beats,
                                          const AccentPattern& accents, int32_t notes_per_beat) {
  std::vector<PlayedSection> played;
  PlayedSection now{"", 1, bpm, beats, accents, notes_per_beat};
  for (const Section& section : map.sections) {
    now.name = section.name;
    now.measures = section.measures;
    now.bpm = section.bpm.value_or(now.bpm);
    now.notes_per_beat = section.notes_per_beat.value_or(now.notes_per_beat);
    if (section.beats && *section.beats != now.beats) {
      // A new measure takes its own accents, or the plain ones.
      now.beats = *section.beats;
      now.accents = DefaultPattern(now.beats);
    }
    if (section.accents && section.accents->beats == now.beats) now.accents = *section.accents;
    played.push_back(now);
  }
  return played;
}

bool IsMapLine(std::string_view line) {
  return base::TrimBlanks(line).starts_with(kMapMark);
}

MapLine ParseMapLine(std::string_view line) {
  MapLine read;
  const std::string_view trimmed = base::TrimBlanks(line);
  if (!trimmed.starts_with(kMapMark)) return read;
  const std::vector<std::string_view> words = Words(trimmed.substr(1));
  if (words.size() == 1 && base::AsciiLowerCase(words[0]) == kLoopWord) {
    read.loop = true;
  } else {
    read.section = ReadSection(words);
  }
  return read;
}

std::string SectionLine(const Section& section) {
  std::string line(1, kMapMark);
  line.append(" ").append(section.name).append(" ").append(std::to_string(section.measures));
  if (section.bpm) line += " a " + std::to_string(*section.bpm);
  if (section.beats) line += " em " + std::to_string(*section.beats);
  if (section.accents) {
    line += " (";
    const auto groups = GroupingOf(*section.accents);
    if (groups && groups->size() > 1) {
      for (std::size_t i = 0; i < groups->size(); ++i) {
        if (i > 0) line += '+';
        line += std::to_string((*groups)[i]);
      }
    } else {
      line += PatternText(*section.accents);
    }
    line += ')';
  }
  if (section.notes_per_beat) line += " por " + std::to_string(*section.notes_per_beat);
  return line;
}

std::string LoopLine() {
  std::string line(1, kMapMark);
  return line.append(" ").append(kLoopWord);
}

}  // namespace cadencio::app
