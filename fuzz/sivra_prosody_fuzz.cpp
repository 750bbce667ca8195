// Fuzz target for the built-in TTS's prosody file: any bytes are loaded as a prosody file, then
// fixed texts go through tokens, prosody codes and MBROLA lines with those tables. Nothing may
// crash or hang, every entry keeps its layout, and the lines stay bounded.
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
  ProsodyTables tables;
  std::size_t messages = 0;
  ParseProsody(text, tables, [&](const std::string&) { ++messages; });
  if (messages > size + 1) __builtin_trap();

  DiphoneList diphones;
  diphones.Parse("_-a\na-s\ns-_\nk-a\n");
  PhonemeLineBuilder builder(tables, diphones);
  for (const std::string_view sample :
       {std::string_view("Ela saiu... Voc\xEA vem? Sim, claro: agora!"), text.substr(0, 64)}) {
    const std::vector<std::string> entries = TokeniseText(tables, sample);
    const std::vector<std::string> coded = AssignProsodyCodes(tables, entries);
    if (coded.size() != entries.size()) __builtin_trap();
    std::vector<std::string> phonemes;
    for (const std::string& entry : coded) {
      if (entry.size() < 4 || entry[3] != '|') __builtin_trap();
      phonemes.push_back(";" + entry);
      phonemes.insert(phonemes.end(), {"k", ">a", "\xA8s", "a", "_", "_ 7", "__", ""});
    }
    const std::vector<std::string> lines = builder.BuildPhonemeLines(phonemes, 1.7, 0.6);
    if (lines.size() > 2 * phonemes.size()) __builtin_trap();
  }
  return 0;
}
