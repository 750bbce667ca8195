// The aufonrec module's database of recorded pieces: the index file (".IND", 15-byte entries
// sorted by name) held in memory, the sample file (".DIF", raw 8-bit samples) read on demand,
// and the lookup that shortens unstressed pieces and scales them by a length factor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace cadencio::voice {

// The per-speed cut settings of the recorded voice, in samples.
struct VoiceCuts {
  int piece_cut = 400;    // cut from the end of an unstressed piece
  int minimum_piece = 0;  // an unstressed piece keeps at least this much
  int word_pause = 100;   // silence after a unit that ends a word or a long group
};

// A piece's name is "$" and its sounds; the same sounds said rising, as the end of a yes/no
// question, are named with this character instead of the "$".
inline constexpr char kQuestionPiece = '?';

struct PieceEntry {
  std::string name;  // upper case, at most 8 bytes
  uint16_t length = 0;
  uint32_t offset = 0;
  bool operator==(const PieceEntry&) const = default;
};

// The order of the index: the names' bytes compared unsigned, a name before its extensions.
bool PieceNameLess(std::string_view a, std::string_view b);

class PieceIndex {
 public:
  static constexpr std::size_t kEntrySize = 15;
  static constexpr std::size_t kMaxNameLength = 8;
  // No voice index comes near this; a larger file is refused rather than held in memory.
  static constexpr std::size_t kMaxIndexBytes = 16u << 20;

  // Decodes an index image. Trailing bytes short of a whole entry are ignored; a name length
  // above 8 reads as 8.
  void Load(std::string_view bytes);
  void Clear() { entries_.clear(); }

  // Binary search for an upper-case name. On an index that is not sorted the search still
  // ends (it may then miss names that are there).
  const PieceEntry* Find(std::string_view name) const;

  std::size_t size() const { return entries_.size(); }
  const std::vector<PieceEntry>& entries() const { return entries_; }

 private:
  std::vector<PieceEntry> entries_;
};

// An index image for the entries, sorted in the lookup's order, names upper-cased and cut to
// 8 bytes. Used by the data generators and the tests.
std::string EncodePieceIndex(std::vector<PieceEntry> entries);

// The sample bytes a found piece gives: an unstressed piece (mode below 2) with a name of 3 or
// more characters loses the piece cut, but keeps at least the minimum piece (never more than
// it had); then the length is multiplied by the factor in extended precision and the fraction
// dropped. Never negative.
std::size_t PieceByteCount(uint16_t length, int mode, std::size_t name_length,
                           const VoiceCuts& cuts, double factor);

class PieceDatabase {
 public:
  // Reads the whole index and opens the sample file; false (and closed) when either fails or
  // the index is larger than kMaxIndexBytes.
  bool Open(const std::string& index_path, const std::string& sample_path);
  // The same over images in memory (fuzzing, tests).
  void OpenFromMemory(std::string_view index_bytes, std::string sample_bytes);
  void Close();
  bool IsOpen() const { return samples_ != nullptr; }
  const PieceIndex& Index() const { return index_; }

  // Looks the upper-cased name up. When found, `out` receives the piece's shortened samples,
  // at most `max_bytes` of them and never beyond the end of the sample file, and the answer is
  // true; otherwise `out` is empty and the answer false.
  bool Lookup(std::string_view name, int mode, double factor, const VoiceCuts& cuts,
              std::size_t max_bytes, std::vector<uint8_t>& out);

 private:
  PieceIndex index_;
  std::unique_ptr<std::istream> samples_;
  uint64_t sample_size_ = 0;
};

}  // namespace cadencio::voice
