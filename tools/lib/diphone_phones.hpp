// The phone set of the built-in synthesizer's voice (the names the Portuguese TTS writes in its
// MBROLA lines), what espeak-ng says for each, and the carrier that is rendered to record one
// diphone.
#pragma once

#include <string>
#include <vector>

#include "lib/espeak_voice.hpp"

namespace cadencio::voicegen {

// The speaker the voice is cut from: espeak-ng's Brazilian Portuguese with its first female
// variant (no echo and no breath noise, which would carry from one phone into the next), raised
// to about 220 Hz, near the pitch the TTS's prosody asks for. `flat` speaks on one steady pitch,
// as the carriers are spoken. False when espeak-ng cannot start.
constexpr const char* kDiphoneSpeaker = "pt-br+f1";
bool StartDiphoneSpeaker(EspeakVoice& voice, bool flat);

// The voice's phones: _ a an @ b d e ee en f g h i in j k l lh m m2 n nh o on oo p r r2 rr s s2
// t u un v w x y z.
const std::vector<std::string>& DiphonePhoneSet();

bool IsVowelPhone(const std::string& phone);
// Stops (and the affricates espeak-ng makes of t and d before i): their closure is silent.
bool IsStopPhone(const std::string& phone);

// A carrier: espeak-ng phoneme input, the phoneme mnemonics espeak-ng should report for it in
// order, and which of them are the diphone's two phones.
struct Carrier {
  std::string input;                  // for EspeakVoice::Render, "[[...]]"
  std::vector<std::string> expected;  // espeak-ng mnemonics, pauses included
  std::size_t first = 0;              // index in `expected` of the first phone
  std::size_t second = 0;             // index of the second phone
};

// The carrier of the pair; `separated` puts a word boundary between the two phones, for pairs
// that espeak-ng would otherwise merge.
Carrier DiphoneCarrier(const std::string& first, const std::string& second, bool separated);

}  // namespace cadencio::voicegen
