// The token loop of the uttsPortug module: turns the prosody-coded tokens of one utterance
// ("ccc|text") into the phoneme list read by the durations stage: a comment line ";ccc|text"
// before every token, the phoneme lines of every word and its closing empty line, pause lines
// for marks, and a final "__".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tts/letter_rules.hpp"
#include "tts/pronunciation_exceptions.hpp"

namespace cadencio::tts {

// The rules and exceptions the engine pronounces with.
struct Lexicon {
  RuleTable rules;
  ExceptionTable exceptions;
};

// Empties both tables, reads the rules and then, when that worked, the exceptions; true when
// both files were read.
bool LoadLexicon(const std::string& rules_path, const std::string& exceptions_path,
                 Lexicon& lexicon);

// Appends the pause line of a mark ("_," for ','); a blank or any other character adds none.
void PausePhoneme(char mark, std::vector<std::string>& phonemes);

// The whole stage over one utterance's prosody-coded tokens.
std::vector<std::string> TranscribeTokens(const std::vector<std::string>& entries,
                                          const Lexicon& lexicon);

// After the stressed vowel of the word whose lines start at `first`, an open e or o is
// closed: the families of portug.nrl open the vowel of an ending they take to be stressed, and
// in a word stressed earlier (pérola, metáfora, abóbora) that vowel follows the stress.
void CloseAfterStress(std::vector<std::string>& phonemes, std::size_t first);

// Between words, a final r2 or s2 before a word that starts with a vowel or glide becomes the
// linking r or z.
void LinkFinalConsonants(std::vector<std::string>& phonemes);

}  // namespace cadencio::tts
