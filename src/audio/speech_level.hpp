// The one level every voice speaks at. The recordings (letters, prompts, the recorded voice's
// pieces) are made to it; an engine's samples are brought to it by a gain measured for that
// engine (bench/quality/speech_levels), so that a fallback from one voice to another does not
// change the loudness.
#pragma once

#include <cstdint>
#include <span>

namespace cadencio::audio {

// Speech level: the RMS of the 10 ms frames within 20 dB of the loudest, full scale 1.
inline constexpr double kSpeechLevel = 0.16;
// Magnitude above which a sample brought to the speech level is bent softly towards full scale.
inline constexpr double kSpeechKnee = 0.6;

// A sample (full scale 1) whose magnitude above `knee` is bent softly (tanh) towards full
// scale, so that a raised peak never clips.
double SoftLimit(double value, double knee = kSpeechKnee);

// Multiplies 16-bit little-endian samples by the gain (in dB), softly limited, in place.
void ApplySpeechGain(std::span<uint8_t> pcm16, double gain_db);

}  // namespace cadencio::audio
