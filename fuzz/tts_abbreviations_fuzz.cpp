// Fuzz target for the built-in TTS's abbreviations file loader: any bytes are loaded as an
// abbreviations file, then texts with abbreviations and the input's own keys are normalised.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/windows1252.hpp"
#include "tts/text_normaliser.hpp"
#include "tts/tts_text.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace cadencio::tts;
  using cadencio::base::UpperCase1252;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  AbbreviationTable table;
  LoadAbbreviationsFromText(text, table);
  for (const Abbreviation& entry : table.entries) {
    if (entry.expansion.size() > kMaxExpansion) __builtin_trap();
    if (entry.key != UpperCase1252(entry.key)) __builtin_trap();
  }
  for (std::string_view sample : {"Sr. Silva e Dr. Souza, 3 km. etc.", "Sr Silva. FGTS. a"}) {
    NormaliseText(sample, table);
  }
  // Every key of the file, as an abbreviation in a text.
  std::string keys;
  for (std::size_t k = 0; k < table.entries.size() && k < 50; ++k) {
    keys += table.entries[k].key + ". ";
  }
  NormaliseText(keys, table);
  return 0;
}
