// Fuzz target for the built-in TTS's exceptions file loader: any bytes are loaded as an
// exceptions file, then fixed words and the lines of the input are looked up and respelled.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/windows1252.hpp"
#include "tts/pronunciation_exceptions.hpp"
#include "tts/tts_text.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace cadencio::tts;
  using cadencio::base::UpperCase1252;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ExceptionTable table;
  LoadExceptionsFromText(text, table);
  if (table.entries.size() > kMaxExceptions) __builtin_trap();
  for (std::size_t k = 1; k < table.entries.size(); ++k) {
    if (table.entries[k].key < table.entries[k - 1].key) __builtin_trap();
  }
  const auto respell = [&](std::string word) {
    const std::size_t before = word.size();
    ApplyException(table, word);
    // The longest respelling is a line of 255 characters, followed by the stripped letters.
    if (word.size() > kMaxExceptionLine + before) __builtin_trap();
  };
  for (std::string_view w : {"CASA", "CASAS", "SSSSMMMM", "", "M"}) respell(std::string(w));
  ForEachDataLine(text, [&](std::string_view line) {
    const std::string upper = UpperCase1252(line.substr(0, line.find('=')));
    respell(upper + "S");
    respell(upper + "MS");
  });
  return 0;
}
