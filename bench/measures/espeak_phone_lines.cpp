// espeak-ng phonemes onto the built-in voice's phones.
#include "measures/espeak_phone_lines.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "lib/diphone_cutter.hpp"
#include "lib/diphone_phones.hpp"
#include "lib/pitch_analysis.hpp"

namespace cadencio::bench {

namespace {

struct Phone {
  std::string name;
  std::size_t from = 0, to = 0;  // samples at synth::kVoiceRate
  double pitch = 0;              // Hz at its middle, 0 when not measured
};

// One espeak-ng phoneme as one or two of ours (a diphthong gives its vowel 60 %).
const std::map<std::string, std::vector<std::string>>& Mapping() {
  static const std::map<std::string, std::vector<std::string>> map = {
      {"&", {"a"}},       {"&U~", {"@", "w"}}, {"&~", {"an"}},     {"*", {"r"}},
      {"E", {"ee"}},      {"O", {"oo"}},       {"R", {"r"}},       {"S", {"x"}},
      {"U", {"u"}},       {"Z", {"j"}},        {"_", {"_"}},       {"_:", {"_"}},
      {"_|", {"_"}},      {"a", {"a"}},        {"aI", {"a", "y"}}, {"aU", {"a", "w"}},
      {"b", {"b"}},       {"d", {"d"}},        {"dZ", {"d"}},      {"e", {"e"}},
      {"eI", {"e", "y"}}, {"eU", {"e", "w"}},  {"f", {"f"}},       {"g", {"g"}},
      {"h", {"h"}},       {"i", {"i"}},        {"iU", {"i", "w"}}, {"j", {"y"}},
      {"k", {"k"}},       {"l", {"l"}},        {"m", {"m"}},       {"n", {"n"}},
      {"o", {"o"}},       {"oI", {"o", "y"}},  {"o~", {"on"}},     {"p", {"p"}},
      {"r", {"r2"}},      {"s", {"s"}},        {"s#", {"s2"}},     {"t", {"t"}},
      {"tS", {"t"}},      {"u", {"u"}},        {"u~", {"un"}},     {"v", {"v"}},
      {"w", {"w"}},       {"x", {"rr"}},       {"y", {"i"}},       {"z", {"z"}},
      {"E~", {"en"}},     {"e~", {"en"}},      {"i~", {"in"}},     {"l^", {"lh"}},
      {"n^", {"nh"}},     {"uI", {"u", "y"}},  {"OI", {"oo", "y"}}};
  return map;
}

const std::map<std::string, std::string>& Nasalised() {
  static const std::map<std::string, std::string> map = {
      {"a", "an"},  {"@", "an"},  {"e", "en"}, {"ee", "en"}, {"i", "in"},
      {"o", "on"},  {"oo", "on"}, {"u", "un"}, {"an", "an"}, {"en", "en"},
      {"in", "in"}, {"on", "on"}, {"un", "un"}};
  return map;
}

}  // namespace

std::vector<std::string> PhoneLinesFor(const voicegen::Rendering& rendering, int rate) {
  const auto& ev = rendering.phonemes;
  const std::vector<int16_t> x = voicegen::ToVoiceRate(rendering.samples, rate);
  const double scale = static_cast<double>(synth::kVoiceRate) / rate;
  auto at = [&](std::size_t sample) {
    return std::min(x.size(), static_cast<std::size_t>(std::llround(sample * scale)));
  };
  // Leading silence before the first phoneme.
  std::vector<Phone> phones = {Phone{"_", 0, ev.empty() ? x.size() : at(ev[0].sample), 0}};
  for (std::size_t i = 0; i < ev.size(); ++i) {
    const std::size_t from = at(ev[i].sample);
    const std::size_t to = i + 1 < ev.size() ? at(ev[i + 1].sample) : x.size();
    const std::string& e = ev[i].phoneme;
    // Marks that belong to the phone before: the palatal glide, an epenthetic vowel, and the
    // nasal coda that makes the vowel before it nasal.
    if (e == ";" || e == "@-" || e == "N") {
      if (e == "N" && Nasalised().count(phones.back().name)) {
        phones.back().name = Nasalised().at(phones.back().name);
      }
      phones.back().to = to;
      continue;
    }
    auto it = Mapping().find(e);
    if (it == Mapping().end()) {
      std::fprintf(stderr, "espeak phoneme %s has no phone of ours; said as a pause\n", e.c_str());
    }
    const std::vector<std::string> ours =
        it != Mapping().end() ? it->second : std::vector<std::string>{"_"};
    const double mid = (from + to) / 2.0, span = synth::kVoiceRate / 25.0;
    double pitch = 0;
    if (voicegen::IsVowelPhone(ours[0]) && mid > span / 2) {
      pitch = voicegen::ExcerptPitch(x, static_cast<std::size_t>(mid - span / 2),
                                     static_cast<std::size_t>(mid + span / 2), {100, 400}, 0.6);
    }
    if (ours.size() == 1) {
      phones.push_back({ours[0], from, to, pitch});
    } else {
      const std::size_t split = from + (to - from) * 6 / 10;
      phones.push_back({ours[0], from, split, pitch});
      phones.push_back({ours[1], split, to, 0});
    }
  }
  for (std::size_t i = 1; i < phones.size(); ++i) {
    // A stop's silent closure, which espeak-ng counts in the phone before, belongs to the stop.
    if (voicegen::IsStopPhone(phones[i].name) && phones[i - 1].to == phones[i].from) {
      phones[i].from = phones[i - 1].to =
          voicegen::ClosureStart(x, phones[i - 1].from, phones[i].from);
    }
  }
  // A coda r or s before a vowel is the r or s that begins the next syllable, and the reverse.
  for (std::size_t i = 0; i + 1 < phones.size(); ++i) {
    const bool vowel_next = voicegen::IsVowelPhone(phones[i + 1].name);
    std::string& n = phones[i].name;
    if (vowel_next && n == "r2") n = "r";
    if (vowel_next && n == "s2") n = "s";
    if (!vowel_next && n == "s") n = "s2";
    if (!vowel_next && n == "z" && phones[i + 1].name == "_") n = "s2";
  }
  // Pauses in a row are one pause.
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < phones.size(); ++i) {
    Phone p = phones[i];
    while (p.name == "_" && i + 1 < phones.size() && phones[i + 1].name == "_")
      p.to = phones[++i].to;
    const double ms =
        (static_cast<double>(p.to) - static_cast<double>(p.from)) * 1000.0 / synth::kVoiceRate;
    if (ms <= 0) continue;
    char buf[64];
    if (p.pitch > 0) {
      std::snprintf(buf, sizeof buf, "%s %.3f 50 %.0f", p.name.c_str(), ms, p.pitch);
    } else {
      std::snprintf(buf, sizeof buf, "%s %.3f", p.name.c_str(), ms);
    }
    lines.push_back(buf);
  }
  if (phones.back().name != "_") lines.push_back("_ 50");
  return lines;
}

}  // namespace cadencio::bench
