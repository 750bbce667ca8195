// Fuzz target for the recorded voice's rules file loader: any bytes are loaded as a rules file,
// then a few fixed texts are translated with those rules. Nothing may crash, hang or grow
// without bound.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "voice/phonetic_translator.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  cadencio::voice::PhoneticTranslator translator;
  translator.LoadPhoneticRulesFromText(text);
  translator.LoadPhoneticExceptionsFromText("casa=kaza\nvoce=voce^\n");
  for (const std::string_view sample :
       {std::string_view("Voc\xEA est\xE1 em casa, sr. Jo\xE3o?"),
        std::string_view("d'\xE1gua rock'n roll lingui\xE7"
                         "a uruguai"),
        std::string_view("aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa ssss"),
        text.substr(0, 64)}) {
    const std::string phonetic = translator.TranslateToPhonetic(sample);
    // A byte gives at most two letters, each at most an 11-character unit and its "/".
    if (phonetic.size() > 32 * (sample.size() + 1)) __builtin_trap();
  }
  return 0;
}
