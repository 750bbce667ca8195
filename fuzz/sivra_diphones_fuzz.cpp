// Fuzz target for the built-in TTS's diphone file: any bytes are read as a diphone list, which
// must come out sorted without regard to case, with one hyphen-joined entry per kept line, and
// then serve the filler decisions of a fixed utterance.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tts/diphone_list.hpp"
#include "tts/phoneme_lines.hpp"
#include "tts/prosody.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace cadencio::tts;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  DiphoneList diphones;
  diphones.Parse(text);
  const std::vector<std::string>& names = diphones.Names();
  if (names.size() > size) __builtin_trap();
  for (const std::string& name : names) {
    if (name.find('-') == std::string::npos) __builtin_trap();
    const std::size_t hyphen = name.find('-');
    if (!diphones.Has(name.substr(0, hyphen), name.substr(hyphen + 1))) __builtin_trap();
  }
  ProsodyTables tables;
  tables.pitch_levels = {50, 60, 70, 80, 90, 100, 110, 120, 130, 140};
  PhonemeLineBuilder builder(tables, diphones);
  const std::vector<std::string> phonemes = {";555|casa", "k",        ">a", "z",  "a",
                                             "",          ";555|mar", "m",  ">a", "r2",
                                             "",          ";555|",    "__", "",   "__"};
  const std::vector<std::string> lines = builder.BuildPhonemeLines(phonemes, 1.0, 1.0);
  if (lines.size() > 2 * phonemes.size()) __builtin_trap();
  return 0;
}
