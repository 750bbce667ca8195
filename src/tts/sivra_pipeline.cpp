// The built-in TTS's stages run in order over one utterance.
#include "tts/sivra_pipeline.hpp"

#include "tts/text_normaliser.hpp"

namespace cadencio::tts {

std::string SivraPipeline::Load(const SivraFiles& files, const MessageBoxFn& message_box) {
  Free();
  if (!LoadLexicon(files.rules, files.exceptions, lexicon)) return kLexiconError;
  if (!LoadAbbreviations(files.abbreviations, abbreviations)) return kAbbreviationsError;
  if (!LoadProsody(files.prosody, prosody, message_box) || !diphones.Load(files.diphones)) {
    return kProsodyError;
  }
  return {};
}

void SivraPipeline::Free() {
  lexicon.rules = RuleTable{};
  lexicon.exceptions.entries.clear();
  diphones.Clear();
}

std::vector<std::string> SivraPipeline::TextToPhonemeLines(std::string_view text,
                                                           double pitch_factor,
                                                           double duration_factor) {
  const std::string normalised = NormaliseText(text, abbreviations, &lexicon.exceptions);
  const std::vector<std::string> coded =
      AssignProsodyCodes(prosody, TokeniseText(prosody, normalised));
  return builder_.BuildPhonemeLines(TranscribeTokens(coded, lexicon), pitch_factor,
                                    duration_factor);
}

}  // namespace cadencio::tts
