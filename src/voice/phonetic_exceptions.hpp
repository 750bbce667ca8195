// The exception list of the recorded voice's text-to-phonetic translator: whole words whose
// spelling is replaced before stress marking and the rules.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cadencio::voice {

class PhoneticExceptions {
 public:
  static constexpr std::size_t kMaxPairs = 15000;
  static constexpr std::size_t kMaxLine = 255;

  // Empties the list, then reads "word=replacement|" lines of an exceptions file held in
  // memory: lines are cut at 255 characters, empty lines are skipped, at most 15000 pairs are
  // kept. A line without "=" gives a word that ends in "|" and so never matches.
  void LoadFromText(std::string_view text);
  void Clear() { pairs_.clear(); }

  // The replacement of exactly this word.
  std::optional<std::string_view> Find(std::string_view word) const;
  // Stage 3: the word with its exception applied. A word not found loses a final s or m and
  // is looked up again while it ends in s or m; the letters taken off are put back after the
  // replacement (or after the word when nothing was found). The result is cut at 255.
  std::string Apply(std::string_view word) const;
  // Stage 0, before preprocessing turns the cedilla into ss: each word of the text as written
  // (Windows-1252) that has a cedilla and is listed under that spelling is replaced by its
  // replacement (poço, closed, beside posso, open). Other words are left as written.
  std::string ApplyToWrittenWords(std::string_view text) const;

  std::size_t size() const { return pairs_.size(); }

 private:
  std::vector<std::pair<std::string, std::string>> pairs_;  // sorted by word, byte order
};

}  // namespace cadencio::voice
