// The built-in synthesizer's voice: every diphone of the phone set as 16-bit samples at 16000 Hz,
// cut from the middle of its first phone to the middle of its second with a margin on both
// sides, with the pitch marks of its periods. One file holds the whole voice; the voice builder
// writes it and the synthesizer reads it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cadencio::synth {

constexpr int kVoiceRate = 16000;

// A pitch mark: a position inside its diphone's samples, to a fraction of a sample (stored in
// 1/64 sample), and whether the period it marks is voiced (unvoiced stretches carry evenly
// spaced marks so that they can be cut the same way).
struct PitchMark {
  double position = 0;
  bool voiced = false;
};
constexpr double kMarkScale = 64;

// One diphone. `begin` and `end` are the middles of the first and second phone, `boundary` the
// point where the first phone ends; the samples before `begin` and after `end` are the margin
// that the windows at the edges reach into. Always begin <= boundary <= end <= samples.size().
struct Diphone {
  uint16_t first = 0;   // index of the first phone
  uint16_t second = 0;  // index of the second phone
  uint32_t begin = 0;
  uint32_t boundary = 0;
  uint32_t end = 0;
  std::vector<int16_t> samples;
  std::vector<PitchMark> marks;  // in increasing position, all inside the samples
};

struct DiphoneVoice {
  std::vector<std::string> phones;
  double natural_pitch = 0;  // Hz: the pitch the diphones were spoken at
  std::vector<Diphone> diphones;

  // Index of a phone name, -1 when the voice has no such phone.
  int PhoneIndex(std::string_view name) const;
  // The diphone of two phones, null when the voice lacks it. Linear in nothing: a table lookup.
  const Diphone* Find(int first, int second) const;
  // Builds the lookup table; called after the diphones are filled in.
  void Index();

 private:
  std::vector<int32_t> table_;  // phones x phones entries, -1 where no diphone
};

// The file format: the magic, then little-endian fields (see diphone_voice.cpp).
inline constexpr std::string_view kVoiceMagic = "CDNVOICE";

std::vector<uint8_t> SerializeVoice(const DiphoneVoice& voice);
// Nothing when the image is not a whole, consistent voice file.
std::optional<DiphoneVoice> ParseVoice(const std::vector<uint8_t>& image);
// Reads and parses a voice file; nothing when it is missing, too large or broken.
std::optional<DiphoneVoice> LoadVoiceFile(const std::string& path);
// True when the file begins with the voice magic.
bool IsVoiceFile(const std::string& path);

}  // namespace cadencio::synth
