// The recorded voice's text-to-phonetic translator (the auTradut module). A text becomes a
// phonetic string for the piece player through a list of stages over its words:
//   written exceptions -> preprocess -> words -> exceptions -> stress -> spelling or
//   letter-to-sound rules.
// The rules and exceptions come from two data files ("regras.rgr", "portug.exc") loaded when
// the recorded voice opens.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "voice/phonetic_exceptions.hpp"
#include "voice/phonetic_rules.hpp"
#include "voice/phonetic_text.hpp"

namespace cadencio::voice {

class PhoneticTranslator {
 public:
  // Loads the rules file, replacing the rules held; false when it cannot be read (the table
  // is then empty). Bad lines are skipped.
  bool LoadPhoneticRules(const std::string& file_name);
  void LoadPhoneticRulesFromText(std::string_view text);
  // Loads the exceptions file, replacing the exceptions held; false when it cannot be read
  // (the list is then empty).
  bool LoadPhoneticExceptions(const std::string& file_name);
  void LoadPhoneticExceptionsFromText(std::string_view text);
  // Empties the rule table.
  void FreePhoneticRules();

  // The whole translation: for each word, "[" + units joined by "/" + "]", or one
  // "[ /_" + character + "]" group per character of a spelled word.
  std::string TranslateToPhonetic(std::string_view text) const;

  // The stages before the units, for callers and tests that stop early: the words of a text
  // after preprocessing, exceptions and stress marking.
  std::vector<PhoneticWord> AnalyseWords(std::string_view text) const;
  // The last stage: the phonetic text of one analysed word.
  std::string PhoneticOfWord(const PhoneticWord& word) const;

  const PhoneticRules& Rules() const { return rules_; }
  const PhoneticExceptions& Exceptions() const { return exceptions_; }

 private:
  PhoneticRules rules_;
  PhoneticExceptions exceptions_;
};

}  // namespace cadencio::voice
