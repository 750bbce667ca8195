// Pieces from espeak-ng phoneme input, cut at a phoneme boundary where needed.
#include "lib/piece_renderer.hpp"

#include <algorithm>

#include "lib/piece_phonemes.hpp"
#include "lib/recording_writer.hpp"
#include "lib/sound_shaping.hpp"
#include "voice/piece_database.hpp"

namespace cadencio::voicegen {

namespace {

// A question piece is said higher as well as rising (about 3.5 semitones above the plain
// pieces), so that the end of a question stands clearly above the end of a statement.
constexpr int kQuestionPitch = 70;

// The samples of a lone consonant: rendered before "'a", cut where the a starts.
std::vector<int16_t> LoneConsonant(EspeakVoice& voice, const std::string& consonant) {
  Rendering r = voice.Render("[[" + consonant + "'a]]");
  auto vowel = std::find_if(r.phonemes.begin(), r.phonemes.end(),
                            [](const PhonemeMark& m) { return m.phoneme == "a"; });
  if (vowel == r.phonemes.end()) return r.samples;
  r.samples.resize(std::min(r.samples.size(), vowel->sample));
  return r.samples;
}

}  // namespace

std::string QuestionPieceOf(const std::string& name) {
  if (name.empty() || name[0] != '$') return {};
  const PiecePhonemes piece = PiecePhonemesOf(name, true);
  if (piece.phonemes.empty() || piece.lone_consonant) return {};
  return voice::kQuestionPiece + name.substr(1);
}

std::vector<uint8_t> RenderPiece(EspeakVoice& voice, const std::string& name) {
  const bool question = !name.empty() && name[0] == voice::kQuestionPiece;
  PiecePhonemes piece = PiecePhonemesOf(question ? '$' + name.substr(1) : name, question);
  if (piece.phonemes.empty() || (question && piece.lone_consonant)) return {};
  // espeak-ng gives phonemes followed by a question mark the rising tune of a yes/no question.
  if (question) voice.SetPitch(kQuestionPitch);
  std::vector<int16_t> source =
      piece.lone_consonant
          ? LoneConsonant(voice, piece.phonemes)
          : voice.Render("[[" + piece.phonemes + "]]" + (question ? "?" : "")).samples;
  if (question) voice.SetPitch(EspeakVoice::kNormalPitch);
  Samples samples = ShapeSpeech(ToFloat(source), voice.SampleRate(), kLetterRate);
  std::vector<uint8_t> out = ToUnsigned8(samples);
  if (out.size() > kMaxPieceSamples) out.resize(kMaxPieceSamples);
  return out;
}

}  // namespace cadencio::voicegen
