// The phoneme list of an utterance: comment lines, words through the exceptions and the
// rules with their stress mark, pauses, and the linking of final consonants.
#include "tts/phoneme_transcriber.hpp"

#include <algorithm>

#include "tts/stressed_vowel.hpp"
#include "tts/tts_text.hpp"

namespace cadencio::tts {
namespace {

constexpr std::string_view kMarks = "!(),.:;?";

// A comment line is ";" + three-character code + "|" + token.
bool IsCommentLine(std::string_view line) {
  return line.size() >= 5 && line[0] == ';' && line[4] == '|';
}

}  // namespace

bool LoadLexicon(const std::string& rules_path, const std::string& exceptions_path,
                 Lexicon& lexicon) {
  lexicon.exceptions.entries.clear();
  if (!LoadRules(rules_path, lexicon.rules)) return false;
  return LoadExceptions(exceptions_path, lexicon.exceptions);
}

void PausePhoneme(char mark, std::vector<std::string>& phonemes) {
  if (kMarks.find(mark) != std::string_view::npos) phonemes.push_back(std::string("_") + mark);
}

std::vector<std::string> TranscribeTokens(const std::vector<std::string>& entries,
                                          const Lexicon& lexicon) {
  std::vector<std::string> phonemes;
  for (const std::string& entry : entries) {
    phonemes.push_back(";" + entry);
    std::string token =
        entry.size() > 4 ? base::UpperCase1252(std::string_view(entry).substr(4)) : "";
    if (token.empty()) {  // a phrase mark
      phonemes.emplace_back("__");
      phonemes.emplace_back();
    } else if (token[0] == ' ' || kMarks.find(token[0]) != std::string_view::npos) {
      PausePhoneme(token[0], phonemes);
    } else {
      ApplyException(lexicon.exceptions, token);
      const int stress = IsUnstressedWord(token) ? 0 : FindStressedVowel(token);
      const std::size_t first = phonemes.size();
      TranscribeWord(lexicon.rules, token, stress, phonemes);
      CloseAfterStress(phonemes, first);
    }
  }
  phonemes.emplace_back("__");
  LinkFinalConsonants(phonemes);
  return phonemes;
}

void CloseAfterStress(std::vector<std::string>& phonemes, std::size_t first) {
  auto line = std::find_if(phonemes.begin() + static_cast<std::ptrdiff_t>(first), phonemes.end(),
                           [](const std::string& p) { return p.starts_with(kStressMark); });
  if (line == phonemes.end()) return;
  for (++line; line != phonemes.end(); ++line) {
    if (*line == "ee") {
      *line = 'e';
    } else if (*line == "oo") {
      *line = 'o';
    }
  }
}

void LinkFinalConsonants(std::vector<std::string>& phonemes) {
  for (std::size_t k = 3; k + 1 < phonemes.size(); ++k) {
    if (!IsCommentLine(phonemes[k])) continue;
    std::string_view first = phonemes[k + 1];
    if (first.starts_with(kPlainMark)) first.remove_prefix(1);
    if (first.empty() || std::string_view("aeiouwy").find(first[0]) == std::string_view::npos) {
      continue;
    }
    std::string& last = phonemes[k - 2];
    if (last == "r2") {
      last = 'r';
    } else if (last == "s2") {
      last = 'z';
    }
  }
}

}  // namespace cadencio::tts
