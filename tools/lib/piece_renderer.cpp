// Pieces from espeak-ng phoneme input, cut at a phoneme boundary where needed.
#include "lib/piece_renderer.hpp"

#include <algorithm>

#include "lib/piece_phonemes.hpp"
#include "lib/recording_writer.hpp"
#include "lib/sound_shaping.hpp"

namespace cadencio::voicegen {

namespace {

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

std::vector<uint8_t> RenderPiece(EspeakVoice& voice, const std::string& name) {
  PiecePhonemes piece = PiecePhonemesOf(name);
  if (piece.phonemes.empty()) return {};
  std::vector<int16_t> source = piece.lone_consonant
                                    ? LoneConsonant(voice, piece.phonemes)
                                    : voice.Render("[[" + piece.phonemes + "]]").samples;
  Samples samples = ShapeSpeech(ToFloat(source), voice.SampleRate(), kLetterRate);
  std::vector<uint8_t> out = ToUnsigned8(samples);
  if (out.size() > kMaxPieceSamples) out.resize(kMaxPieceSamples);
  return out;
}

}  // namespace cadencio::voicegen
