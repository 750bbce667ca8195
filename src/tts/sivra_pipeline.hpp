// The built-in TTS's text pipeline as a list of stages over one utterance: normalisation,
// tokens with word classes, prosody codes, phonemes, MBROLA lines. It holds the data the
// stages read (abbreviations, rules and exceptions, prosody, diphones). Each stage is also a
// free function, so a caller can stop after any of them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tts/abbreviations.hpp"
#include "tts/diphone_list.hpp"
#include "tts/phoneme_lines.hpp"
#include "tts/phoneme_transcriber.hpp"
#include "tts/prosody.hpp"

namespace cadencio::tts {

struct SivraFiles {
  std::string rules;
  std::string exceptions;
  std::string abbreviations;
  std::string prosody;
  std::string diphones;
};

// The error texts of a failed load.
inline constexpr const char* kLexiconError = "Erro na base de dados de portugu\xEAs";
inline constexpr const char* kAbbreviationsError = "Erro no arquivo de abreviaturas";
inline constexpr const char* kProsodyError =
    "Erro no arquivo de pros\xF3"
    "dia";

class SivraPipeline {
 public:
  SivraPipeline() : builder_(prosody, diphones) {}
  SivraPipeline(const SivraPipeline&) = delete;
  SivraPipeline& operator=(const SivraPipeline&) = delete;

  // Reads the five files in the engine's order; the error text of the first that fails, or
  // empty when all were read. Faults of the prosody file are shown through `message_box`.
  std::string Load(const SivraFiles& files, const MessageBoxFn& message_box);
  // Drops the rules and the diphone list.
  void Free();

  // Every stage, from the raw text to the MBROLA lines.
  std::vector<std::string> TextToPhonemeLines(std::string_view text, double pitch_factor,
                                              double duration_factor);

  AbbreviationTable abbreviations;
  Lexicon lexicon;
  ProsodyTables prosody;
  DiphoneList diphones;

 private:
  PhonemeLineBuilder builder_;
};

}  // namespace cadencio::tts
