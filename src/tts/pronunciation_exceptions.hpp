// The uttsExcessoes module: the exceptions dictionary of the built-in TTS, read from the
// exceptions file ("portug.exc", WORD=RESPELLING lines). A respelling is another spelling of
// the word, which the letter-to-phoneme rules then pronounce.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace cadencio::tts {

struct PronunciationException {
  std::string key;         // the word in capitals
  std::string respelling;  // capitals
};

// Sorted by key in byte order after loading.
struct ExceptionTable {
  std::vector<PronunciationException> entries;
};

inline constexpr std::size_t kMaxExceptions = 15000;
inline constexpr std::size_t kMaxExceptionLine = 255;

// Empties the table, reads the file (up to kMaxExceptions entries) and sorts it; false only
// when the file cannot be read.
bool LoadExceptions(const std::string& path, ExceptionTable& table);
void LoadExceptionsFromText(std::string_view text, ExceptionTable& table);

// Replaces an upper-cased word by its respelling. A word not found loses a final S or M at a
// time until an entry is found; the stripped letters follow the respelling (TAXIS with
// TAXI=TAKSI gives TAKSIS). Without any entry the word stays as it was.
void ApplyException(const ExceptionTable& table, std::string& word);

}  // namespace cadencio::tts
