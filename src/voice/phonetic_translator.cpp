// The recorded voice's text-to-phonetic translator: loading its two data files and running
// the translation stages.
#include "voice/phonetic_translator.hpp"

#include <optional>

#include "files/file_reader.hpp"
#include "voice/phonetic_stress.hpp"

namespace cadencio::voice {

bool PhoneticTranslator::LoadPhoneticRules(const std::string& file_name) {
  rules_.Clear();
  const std::optional<std::string> text = files::ReadDataFile(file_name);
  if (!text) return false;
  rules_.LoadFromText(*text);
  return true;
}

void PhoneticTranslator::LoadPhoneticRulesFromText(std::string_view text) {
  rules_.LoadFromText(text);
}

bool PhoneticTranslator::LoadPhoneticExceptions(const std::string& file_name) {
  exceptions_.Clear();
  const std::optional<std::string> text = files::ReadDataFile(file_name);
  if (!text) return false;
  exceptions_.LoadFromText(*text);
  return true;
}

void PhoneticTranslator::LoadPhoneticExceptionsFromText(std::string_view text) {
  exceptions_.LoadFromText(text);
}

void PhoneticTranslator::FreePhoneticRules() {
  rules_.Clear();
}

std::vector<PhoneticWord> PhoneticTranslator::AnalyseWords(std::string_view text) const {
  // 0. Exceptions listed as written; 1. preprocess; 2. cut into words.
  std::vector<PhoneticWord> words =
      SplitPhoneticWords(PreprocessPhoneticText(exceptions_.ApplyToWrittenWords(text)));
  for (PhoneticWord& word : words) {
    // 3. Exceptions. The vowel count and the accent flag stay those of the word as written.
    word.text = exceptions_.Apply(word.text);
    // 4. Stress.
    MarkStress(word);
  }
  return words;
}

std::string PhoneticTranslator::PhoneticOfWord(const PhoneticWord& word) const {
  // 5. Spell the word, or turn it into units with the rules.
  if (IsSpelledWord(word.text)) return SpellPhoneticWord(word.text);
  return ApplyPhoneticRules(word.text, rules_);
}

std::string PhoneticTranslator::TranslateToPhonetic(std::string_view text) const {
  std::string phonetic;
  for (const PhoneticWord& word : AnalyseWords(text)) phonetic += PhoneticOfWord(word);
  return phonetic;
}

}  // namespace cadencio::voice
