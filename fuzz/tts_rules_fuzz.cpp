// Fuzz target for the built-in TTS's rules file loader: any bytes are loaded as a rules file,
// then fixed words and a slice of the input are transcribed with those rules. Nothing may
// crash or hang, and every word ends with its empty line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tts/phoneme_transcriber.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace cadencio::tts;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Lexicon lexicon;
  LoadRulesFromText(text, lexicon.rules);
  LoadExceptionsFromText("TAXI=TAKSI\n", lexicon.exceptions);
  const std::vector<std::string> entries = {"555|",
                                            "555|casa",
                                            "555|ta\xE7xis",
                                            "555|,",
                                            "?37|guarda",
                                            "555|-",
                                            "555|AAAAAAAAAAAAAAAAAAAAAAAAAAAAAA",
                                            "5|",
                                            "555|" + std::string(text.substr(0, 40))};
  const std::vector<std::string> lines = TranscribeTokens(entries, lexicon);
  if (lines.empty() || lines.back() != "__") __builtin_trap();
  // A letter yields at most one rule's eleven phoneme characters, so at most six lines.
  if (lines.size() > 3 * entries.size() + 6 * 120) __builtin_trap();
  return 0;
}
