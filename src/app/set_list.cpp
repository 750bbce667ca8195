// The set list and its file.
#include "app/set_list.hpp"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "app/metronome_state.hpp"
#include "app/polyrhythm.hpp"
#include "base/whole_number.hpp"
#include "base/windows1252.hpp"
#include "files/atomic_file.hpp"
#include "files/file_reader.hpp"

namespace cadencio::app {

namespace {

constexpr char kSeparator = '|';
constexpr char kComment = '#';
constexpr std::string_view kHeader = "# cadencio: nome|bpm|compasso|acentos|notas por tempo";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (std::size_t bar; (bar = line.find(kSeparator, start)) != std::string_view::npos;) {
    fields.push_back(line.substr(start, bar - start));
    start = bar + 1;
  }
  fields.push_back(line.substr(start));
  return fields;
}

std::optional<int32_t> NumberIn(std::string_view field, int32_t low, int32_t high) {
  const std::optional<int> n = base::ParseWholeNumber(base::TrimBlanks(field));
  if (!n || *n < low || *n > high) return std::nullopt;
  return *n;
}

// Named fields after the fifth: "polirritmo=3", "swing=67", "shuffle".
constexpr std::string_view kLayerField = "polirritmo=";
constexpr std::string_view kSwingField = "swing=";
constexpr std::string_view kShuffleField = "shuffle";
constexpr std::size_t kMaxFields = 8;

// Reads one named field into the song; false for a field it does not know or a bad value.
bool ReadNamedField(std::string_view field, Song& song) {
  field = base::TrimBlanks(field);
  if (field == kShuffleField) {
    song.shuffle = true;
    return true;
  }
  if (field.starts_with(kLayerField)) {
    const auto notes = NumberIn(field.substr(kLayerField.size()), 2, audio::kMaxLayerNotes);
    if (notes) song.layer_notes = *notes;
    return notes.has_value();
  }
  if (field.starts_with(kSwingField)) {
    const auto percent = NumberIn(field.substr(kSwingField.size()), 50, 75);
    const auto step = percent ? SwingOfPercent(*percent) : std::nullopt;
    if (step) song.swing = *step;
    return step.has_value();
  }
  return false;
}

// A song of a line "name|bpm|measure|accents|notes|named fields"; all after the measure may be
// empty or missing.
std::optional<Song> ParseSong(std::string_view line) {
  const std::vector<std::string_view> fields = Fields(line);
  if (fields.size() < 3 || fields.size() > kMaxFields) return std::nullopt;
  Song song;
  song.name = std::string(base::TrimBlanks(fields[0]));
  if (song.name.empty() || song.name.size() > kMaxSongNameBytes ||
      song.name != StorableSongName(song.name)) {
    return std::nullopt;
  }
  const auto bpm = NumberIn(fields[1], kMinBpm, kMaxBpm);
  const auto beats = NumberIn(fields[2], 1, kMaxAccentBeats);
  if (!bpm || !beats) return std::nullopt;
  song.bpm = *bpm;
  song.beats_per_measure = *beats;
  song.accents = DefaultPattern(*beats);
  if (fields.size() > 3 && !base::TrimBlanks(fields[3]).empty()) {
    const auto pattern = ParsePattern(base::TrimBlanks(fields[3]), *beats);
    if (!pattern) return std::nullopt;
    song.accents = *pattern;
  }
  if (fields.size() > 4 && !base::TrimBlanks(fields[4]).empty()) {
    const auto notes = NumberIn(fields[4], 1, kMaxSubdivisions);
    if (!notes) return std::nullopt;
    song.notes_per_beat = *notes;
  }
  for (std::size_t i = 5; i < fields.size(); ++i) {
    if (!ReadNamedField(fields[i], song)) return std::nullopt;
  }
  return song;
}

// The named fields of what is set, each after a separator; none for a song without them, whose
// line stays as it always was.
std::string NamedFields(const Song& song) {
  std::string text;
  if (song.layer_notes > 0) {
    text += kSeparator + std::string(kLayerField) + std::to_string(song.layer_notes);
  }
  if (song.swing > 0) {
    const auto step = static_cast<std::size_t>(song.swing);
    text += kSeparator + std::string(kSwingField) + std::to_string(kSwingSteps[step].percent);
  }
  if (song.shuffle) text += kSeparator + std::string(kShuffleField);
  return text;
}

// A name that begins with the comment sign is written after a blank, which reading drops.
std::string SongLine(const Song& song) {
  return (song.name.starts_with(kComment) ? " " : "") + song.name + kSeparator +
         std::to_string(song.bpm) + kSeparator + std::to_string(song.beats_per_measure) +
         kSeparator + PatternText(song.accents) + kSeparator + std::to_string(song.notes_per_beat) +
         NamedFields(song);
}

}  // namespace

std::string StorableSongName(std::string_view name) {
  std::string stored(name);
  for (char& c : stored) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || base::Windows1252ToUnicode(byte) == 0 || c == kSeparator) {
      c = ' ';
    }
  }
  stored = std::string(base::TrimBlanks(stored));
  if (stored.size() > kMaxSongNameBytes) stored.resize(kMaxSongNameBytes);
  return std::string(base::TrimBlanks(stored));
}

SetList SetList::Parse(std::string_view text) {
  SetList list;
  list.byte_order_mark_ = text.starts_with(kByteOrderMark);
  std::size_t start = list.byte_order_mark_ ? kByteOrderMark.size() : 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    Line line;
    line.raw = std::string(text.substr(start, end - start));
    line.utf8 = base::LooksLikeUtf8(line.raw);
    list.utf8_file_ = list.utf8_file_ || line.utf8;
    const base::Windows1252Text read =
        line.utf8 ? base::Utf8ToWindows1252(line.raw) : base::Windows1252Text{line.raw};
    const std::string_view trimmed = base::TrimBlanks(read.bytes);
    const std::size_t end_size =
        text.compare(end, 2, "\r\n") == 0 ? 2 : (end < text.size() ? 1 : 0);
    if (IsMapLine(read.bytes) && !list.lines_.empty() && list.lines_.back().is_song) {
      list.TakeMapLine(line.raw, read.bytes, text.substr(end, end_size));
      start = end + end_size;
      continue;
    }
    if (!trimmed.empty() && read.bytes.front() != kComment) {
      const std::optional<Song> song = ParseSong(read.bytes);
      if (song && list.Count() >= kMaxSongs) {
        ++list.beyond_limit_;
      } else if (song) {
        line.is_song = true;
        line.keep_raw = !read.complete;
        line.song = *song;
        list.names_lost_ += line.keep_raw ? 1 : 0;
        list.songs_.push_back(list.lines_.size());
      } else if (trimmed.front() != kComment) {
        ++list.skipped_;
      }
    }
    line.end = std::string(text.substr(end, end_size));
    list.lines_.push_back(std::move(line));
    start = end + end_size;
  }
  list.utf8_file_ = list.utf8_file_ || list.byte_order_mark_;
  return list;
}

std::string SetList::MapText(const Line& line, const std::string& text) {
  return line.utf8 || base::LooksLikeUtf8(text) ? base::Windows1252ToUtf8(text) : text;
}

std::string SetList::SongText(const Line& line) {
  if (line.keep_raw) return line.raw;
  return MapText(line, SongLine(line.song));
}

void SetList::TakeMapLine(std::string_view raw, std::string_view read, std::string_view end) {
  Line& song = lines_.back();
  song.map_lines.push_back(std::string(raw) + std::string(end));
  const MapLine map_line = ParseMapLine(read);
  SongMap& map = song.song.map;
  if (map_line.loop) {
    map.loop = true;
  } else if (map_line.section && map.sections.size() < std::size_t{kMaxSections}) {
    map.sections.push_back(*map_line.section);
  } else {
    song.unread_map_lines.push_back(song.map_lines.back());
    ++skipped_;
  }
}

std::string SetList::ChangedMapText(const Line& line, const std::string& text) const {
  return utf8_file_ ? base::Windows1252ToUtf8(text) : MapText(line, text);
}

void SetList::AppendLines(const Line& line, bool last, std::string& text) const {
  // A last line without an ending keeps it so, unless lines now follow it.
  const auto append = [&text](std::string_view bytes, std::string_view end, bool more) {
    text.append(bytes).append(end.empty() && more ? "\r\n" : end);
  };
  if (!line.is_song) return append(line.raw, line.end, !last);
  const bool canonical = line.map_changed || line.map_lines.empty();
  std::vector<std::string> map_lines = line.map_lines;
  if (canonical) {
    map_lines.clear();
    for (const Section& section : line.song.map.sections) {
      map_lines.push_back(ChangedMapText(line, SectionLine(section)) + "\r\n");
    }
    if (line.song.map.loop) map_lines.push_back(ChangedMapText(line, LoopLine()) + "\r\n");
    map_lines.insert(map_lines.end(), line.unread_map_lines.begin(), line.unread_map_lines.end());
  }
  append(SongText(line), line.end, !last || !map_lines.empty());
  for (std::size_t i = 0; i < map_lines.size(); ++i) {
    // The lines as read carry their endings; the file's last one may have none.
    const std::string& bytes = map_lines[i];
    const std::size_t body = bytes.find_first_of("\r\n");
    append(std::string_view(bytes).substr(0, body),
           body == std::string::npos ? std::string_view{} : std::string_view(bytes).substr(body),
           !last || i + 1 < map_lines.size());
  }
}

std::string SetList::Text() const {
  std::string body;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    AppendLines(lines_[i], i + 1 == lines_.size(), body);
  }
  std::string text(byte_order_mark_ ? kByteOrderMark : "");
  const bool headed = !lines_.empty() && lines_.front().raw == kHeader;
  if (!headed && text.size() + kHeader.size() + 2 + body.size() <= kMaxSetListFileBytes) {
    text.append(kHeader).append("\r\n");
  }
  return text + body;
}

bool SetList::Add(const Song& song) {
  Line line;
  line.song = song;
  line.song.name = StorableSongName(song.name);
  if (Count() >= kMaxSongs || line.song.name.empty()) return false;
  line.is_song = true;
  line.utf8 = utf8_file_;
  line.end = "\r\n";
  lines_.push_back(std::move(line));
  Reindex();
  if (Text().size() > kMaxSetListFileBytes) {
    lines_.pop_back();
    Reindex();
    return false;
  }
  return true;
}

void SetList::Remove(int index) {
  if (index < 0 || index >= Count()) return;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(songs_[index]));
  Reindex();
}

bool SetList::SetMap(int index, const SongMap& map) {
  if (index < 0 || index >= Count() || map.sections.size() > std::size_t{kMaxSections}) {
    return false;
  }
  Line& line = lines_[songs_[index]];
  Line before = line;
  line.song.map = map;
  line.map_changed = true;
  if (Text().size() > kMaxSetListFileBytes) {
    line = std::move(before);
    return false;
  }
  return true;
}

bool SetList::Move(int index, int delta) {
  const int other = index + delta;
  if (index < 0 || index >= Count() || other < 0 || other >= Count()) return false;
  std::swap(lines_[songs_[index]], lines_[songs_[other]]);
  return true;
}

void SetList::Reindex() {
  songs_.clear();
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].is_song) songs_.push_back(i);
  }
}

std::string SetListPath(const std::string& config_file) {
  return (std::filesystem::path(config_file).parent_path() / kSetListFileName).string();
}

LoadedSetList LoadSetList(const std::string& path) {
  files::FileContent file = files::ReadWholeFile(path, kMaxSetListFileBytes);
  LoadedSetList loaded;
  if (file.status == files::FileReadStatus::kTooLarge) {
    // The line cut at the limit is not read: its first part could pass for another song.
    file.bytes.resize(file.bytes.find_last_of("\r\n") + 1);
    loaded.cut = true;
  }
  if (file.status == files::FileReadStatus::kOk || loaded.cut) {
    loaded.list = SetList::Parse(file.bytes);
  }
  loaded.writable =
      file.status == files::FileReadStatus::kOk || file.status == files::FileReadStatus::kMissing;
  return loaded;
}

bool SaveSetList(const std::string& path, const LoadedSetList& loaded) {
  if (!loaded.writable) return false;
  const std::string text = loaded.list.Text();
  return text.size() <= kMaxSetListFileBytes && files::ReplaceFileAtomically(path, text);
}

}  // namespace cadencio::app
