// Fuzz target for the built-in TTS's text normalisation: any bytes are normalised. The result
// may hold only letters, hyphens, blanks and the marks ! ( ) , . : ; ?, and its length stays
// proportional to the input. The written forms spelled out for the other voices stay
// proportional too.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tts/text_normaliser.hpp"
#include "tts/tts_text.hpp"
#include "tts/written_forms.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace cadencio::tts;
  static const AbbreviationTable abbreviations = [] {
    AbbreviationTable table;
    LoadAbbreviationsFromText("SR=senhor\nDR=doutor\nKM=quil\xF4metros\nETC=etc\xE9tera\n", table);
    return table;
  }();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string out = NormaliseText(text, abbreviations);
  for (char c : out) {
    if (!IsInLetterSet(c) && std::string_view(" -!(),.:;?").find(c) == std::string_view::npos) {
      __builtin_trap();
    }
  }
  // The longest reading of one character is a digit of a fifteen-digit group.
  if (out.size() > 64 * size + 64) __builtin_trap();
  if (SpellOutWrittenForms(text, true).size() > 64 * size + 64) __builtin_trap();
  return 0;
}
