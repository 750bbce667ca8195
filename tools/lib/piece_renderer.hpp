// Rendering one piece of the recorded voice's database: its phonemes spoken stressed by
// espeak-ng, shaped like every other recording, as 8-bit unsigned samples at 11025 Hz.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lib/espeak_voice.hpp"

namespace cadencio::voicegen {

// The index stores a piece's length in 16 bits.
inline constexpr std::size_t kMaxPieceSamples = 65535;

// The samples of the piece; empty when the name is no piece or espeak-ng says nothing. A lone
// consonant is spoken before an open a, and the rendering is cut where the a begins. A question
// piece (its name begins with voice::kQuestionPiece) is the same sounds said as a yes/no
// question, rising; a lone consonant has none.
std::vector<uint8_t> RenderPiece(EspeakVoice& voice, const std::string& name);

// The name of the question piece of a piece that has one ("$KA" gives "?KA"); empty otherwise.
std::string QuestionPieceOf(const std::string& name);

}  // namespace cadencio::voicegen
