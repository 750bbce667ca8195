// Fuzz target for the recorded voice's exceptions file loader: any bytes are loaded as an
// exceptions file, then a few fixed texts are translated with those exceptions. Nothing may
// crash, hang, or give a word longer than the translator's limit.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "voice/phonetic_chars.hpp"
#include "voice/phonetic_translator.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  cadencio::voice::PhoneticTranslator translator;
  translator.LoadPhoneticRulesFromText("(C)+=s|\n(C)=k|\n(SS)=s|\n#(S)#=z|\n(-)=||\n");
  translator.LoadPhoneticExceptionsFromText(text);
  if (translator.Exceptions().size() > cadencio::voice::PhoneticExceptions::kMaxPairs) {
    __builtin_trap();
  }
  for (const std::string_view sample : {std::string_view("casas mesmos tem voc\xEA"),
                                        std::string_view("a b c sssssmmmmm"), text.substr(0, 64)}) {
    for (const auto& word : translator.AnalyseWords(sample)) {
      if (word.text.size() > cadencio::voice::kMaxPhoneticWord) __builtin_trap();
    }
    (void)translator.TranslateToPhonetic(sample);
  }
  return 0;
}
