// Loading the exceptions dictionary and respelling words with it.
#include "tts/pronunciation_exceptions.hpp"

#include <algorithm>

#include "files/file_reader.hpp"
#include "tts/tts_text.hpp"

namespace cadencio::tts {

void LoadExceptionsFromText(std::string_view text, ExceptionTable& table) {
  table.entries.clear();
  ForEachDataLine(text, [&](std::string_view raw) {
    if (raw.empty() || table.entries.size() >= kMaxExceptions) return;
    const std::string line = base::UpperCase1252(raw.substr(0, kMaxExceptionLine));
    const std::size_t eq = line.find('=');
    PronunciationException entry;
    if (eq == std::string::npos) {
      entry.key = line + '|';  // never matches a word
    } else {
      entry.key = line.substr(0, eq);
      const std::size_t bar = line.find('|', eq + 1);
      entry.respelling = line.substr(eq + 1, bar == std::string::npos ? bar : bar - eq - 1);
    }
    table.entries.push_back(std::move(entry));
  });
  std::sort(table.entries.begin(), table.entries.end(),
            [](const PronunciationException& a, const PronunciationException& b) {
              return a.key < b.key;  // std::string compares bytes as unsigned
            });
}

bool LoadExceptions(const std::string& path, ExceptionTable& table) {
  table.entries.clear();
  const std::optional<std::string> text = files::ReadDataFile(path);
  if (!text) return false;
  LoadExceptionsFromText(*text, table);
  return true;
}

void ApplyException(const ExceptionTable& table, std::string& word) {
  std::string_view stem = word;
  while (!stem.empty()) {
    auto it = std::lower_bound(
        table.entries.begin(), table.entries.end(), stem,
        [](const PronunciationException& e, std::string_view key) { return e.key < key; });
    if (it != table.entries.end() && it->key == stem) {
      word = it->respelling + word.substr(stem.size());
      return;
    }
    if (stem.back() != 'S' && stem.back() != 'M') return;
    stem.remove_suffix(1);
  }
}

}  // namespace cadencio::tts
