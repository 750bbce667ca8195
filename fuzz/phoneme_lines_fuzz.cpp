// MBROLA phoneme lines on arbitrary text, parsed and synthesized with a small voice of four
// phones (at most 5 s of speech per input, so that a run stays quick).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "synth/phoneme_line.hpp"
#include "synth/psola.hpp"

namespace {

using namespace cadencio::synth;

DiphoneVoice SmallVoice() {
  DiphoneVoice voice;
  voice.phones = {"_", "a", "s", "t"};
  voice.natural_pitch = 200;
  for (uint16_t a = 0; a < 4; ++a) {
    for (uint16_t b = 0; b < 4; ++b) {
      if (a == 2 && b == 2) continue;  // a missing diphone
      Diphone d{a, b, 200, 400, 600, {}, {}};
      for (int n = 0; n < 800; ++n)
        d.samples.push_back(static_cast<int16_t>(3000 * std::sin(n * 0.157)));
      for (int m = 20; m < 800; m += 80) d.marks.push_back({static_cast<double>(m), a != 2});
      voice.diphones.push_back(d);
    }
  }
  voice.Index();
  return voice;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static const DiphoneVoice voice = SmallVoice();
  static const JoinGains gains = ComputeJoinGains(voice);
  std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<SynthPhone> phones;
  std::vector<double> ms;
  double total = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    ParsedLine line = ParsePhonemeLine(std::string_view(text).substr(start, end - start));
    start = end + 1;
    if (line.kind != LineKind::kPhone || total + line.phone.duration_ms > 5000) continue;
    total += line.phone.duration_ms;
    const int index = voice.PhoneIndex(line.phone.name);
    phones.push_back({index < 0 ? 0 : index, 0, line.phone.points});
    ms.push_back(line.phone.duration_ms);
  }
  const std::vector<int64_t> counts = PhoneSampleCounts(ms);
  int64_t expected = 0;
  for (std::size_t i = 0; i < phones.size(); ++i) expected += phones[i].samples = counts[i];
  if (static_cast<int64_t>(SynthesizePhones(voice, gains, phones, 0).size()) != expected)
    __builtin_trap();
  return 0;
}
