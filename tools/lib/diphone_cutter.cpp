// Phone boundaries, closures, cut points and pitch marks of one carrier.
#include "lib/diphone_cutter.hpp"

#include <algorithm>
#include <cmath>

#include "lib/sound_shaping.hpp"

namespace cadencio::voicegen {

namespace {

constexpr std::size_t kMargin = synth::kVoiceRate / 50;   // 20 ms each side
constexpr std::size_t kFrame = synth::kVoiceRate / 1000;  // 1 ms for the closure search
// A closure is quieter than this share of the loudest frame of the phone before it.
constexpr double kClosureLevel = 0.12;
// A phone of the pair shorter than this was dropped by espeak-ng rather than said.
constexpr std::size_t kMinPhone = synth::kVoiceRate * 15 / 1000;
// Frames quieter than this are silent whatever the level of the phone before.
constexpr double kSilentRms = 30;
// How far before espeak-ng's event a burst may begin.
constexpr std::size_t kBurstLead = synth::kVoiceRate * 3 / 1000;
// A closure shorter than this is no place to cut: the stop is cut in its middle instead.
constexpr std::size_t kMinClosure = synth::kVoiceRate / 100;
// The phone before a stop keeps at least this share of its length.
constexpr double kKeepBeforeClosure = 0.3;
// A burst's first difference is this many times the closure's (its median over the frames
// before that are not silent).
constexpr double kBurstJump = 4;
// The closure's level is taken over at least this many frames before a burst is looked for.
constexpr std::size_t kMinClosureFrames = 3;

bool IsEspeakStop(const std::string& name) {
  static const std::vector<std::string> stops = {"p", "t", "k", "b", "d", "g", "tS", "dZ"};
  return std::find(stops.begin(), stops.end(), name) != stops.end();
}

double FrameRms(const std::vector<int16_t>& x, std::size_t from) {
  double sum = 0;
  const std::size_t to = std::min(x.size(), from + kFrame);
  for (std::size_t i = from; i < to; ++i) sum += double(x[i]) * x[i];
  return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0;
}

double FrameDiffRms(const std::vector<int16_t>& x, std::size_t from) {
  double sum = 0;
  const std::size_t to = std::min(x.size(), from + kFrame);
  for (std::size_t i = std::max<std::size_t>(from, 1); i < to; ++i) {
    const double d = double(x[i]) - x[i - 1];
    sum += d * d;
  }
  return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0;
}

}  // namespace

std::size_t BurstAfter(const std::vector<int16_t>& x, std::size_t from, std::size_t to) {
  // The closure's level: its frames that are not silent (a silent closure has no level to
  // jump from, and its burst is the event itself).
  std::vector<double> closure;
  for (std::size_t at = from; at + kFrame <= std::min(to, x.size()); at += kFrame) {
    const double d = FrameDiffRms(x, at);
    if (d <= kSilentRms) continue;
    if (closure.size() >= kMinClosureFrames) {
      std::vector<double> sorted = closure;
      std::nth_element(sorted.begin(),
                       sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2),
                       sorted.end());
      if (d > kBurstJump * sorted[sorted.size() / 2]) return at;
    }
    closure.push_back(d);
  }
  return from;
}

std::size_t ClosureStart(const std::vector<int16_t>& x, std::size_t before, std::size_t burst) {
  double loudest = 0;
  for (std::size_t i = before; i + kFrame <= burst; i += kFrame) {
    loudest = std::max(loudest, FrameRms(x, i));
  }
  const double quiet = std::max(kClosureLevel * loudest, kSilentRms);
  const std::size_t limit =
      before + static_cast<std::size_t>(kKeepBeforeClosure * static_cast<double>(burst - before));
  // The burst may begin a little before espeak-ng's event: look for the closure from up to
  // kBurstLead earlier.
  std::size_t start = burst;
  while (start >= limit + kFrame && burst - start < kBurstLead &&
         FrameRms(x, start - kFrame) >= quiet) {
    start -= kFrame;
  }
  if (start < limit + kFrame || FrameRms(x, start - kFrame) >= quiet) return burst;
  while (start >= limit + kFrame && FrameRms(x, start - kFrame) < quiet) start -= kFrame;
  return start;
}

std::vector<int16_t> ToVoiceRate(const std::vector<int16_t>& samples, int rate) {
  return ToSigned16(Resample(ToFloat(samples), rate, synth::kVoiceRate));
}

CutDiphone CutCarrier(const Rendering& rendering, int rate, const Carrier& carrier,
                      const SpeakerAnalysis& speaker) {
  CutDiphone out;
  // espeak-ng reports the glide it makes after a palatal vowel (';') as a phoneme of its own;
  // its first half goes to the vowel before it, its second half to the phone after it.
  std::vector<PhonemeMark> events;
  std::size_t glide_start = 0;
  bool after_glide = false;
  for (const PhonemeMark& e : rendering.phonemes) {
    if (e.phoneme == ";") {
      glide_start = e.sample;
      after_glide = true;
      continue;
    }
    events.push_back(e);
    if (after_glide) events.back().sample = (glide_start + e.sample) / 2;
    after_glide = false;
  }
  const std::size_t n = carrier.expected.size();
  if (events.size() < n + 1) {
    out.problem = "too few phonemes";
    return out;
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (events[i].phoneme != carrier.expected[i]) {
      out.problem = "espeak-ng said " + events[i].phoneme + " for " + carrier.expected[i];
      return out;
    }
  }
  const std::vector<int16_t> x = ToVoiceRate(rendering.samples, rate);
  const double scale = static_cast<double>(synth::kVoiceRate) / rate;
  auto at = [&](std::size_t i) {
    return std::min(x.size(), static_cast<std::size_t>(std::llround(events[i].sample * scale)));
  };
  // Phone i spans [start[i], start[i + 1]); a stop's closure [start[i], burst[i]) is taken back
  // from the phone before it.
  std::vector<std::size_t> start(n + 1), burst(n + 1);
  for (std::size_t i = 0; i <= n; ++i) start[i] = burst[i] = at(i);
  for (std::size_t i = 1; i < n; ++i) {
    if (!IsEspeakStop(carrier.expected[i])) continue;
    start[i] = ClosureStart(x, start[i - 1], burst[i]);
    // The event of a voiced stop may stand at the start of its (voiced) closure, with the burst
    // still to come: the middle is then the closure's, not the whole phone's (which, before a
    // tap, can lie after the burst).
    burst[i] = BurstAfter(x, burst[i], start[i + 1]);
  }
  auto middle = [&](std::size_t i) {
    if (IsEspeakStop(carrier.expected[i]) && burst[i] - start[i] >= kMinClosure) {
      return (start[i] + burst[i]) / 2;
    }
    return (start[i] + start[i + 1]) / 2;
  };
  for (std::size_t i : {carrier.first, carrier.second}) {
    if (carrier.expected[i] != "_" && start[i + 1] < start[i] + kMinPhone) {
      out.problem = "espeak-ng said " + carrier.expected[i] + " too briefly";
      return out;
    }
  }
  std::size_t begin = middle(carrier.first);
  std::size_t end = middle(carrier.second);
  const std::size_t boundary = start[carrier.second];
  if (!(begin <= boundary && boundary <= end) || end >= x.size()) {
    out.problem = "phones out of order";
    return out;
  }

  PitchTrack track = TrackPitch(x, speaker.band, speaker.min_voiced_rms);
  std::vector<synth::PitchMark> marks =
      PlacePitchMarks(x, track, speaker.natural_period, speaker.positive_peaks);
  // Cut points on a mark where the sound is voiced, so that joins meet period to period.
  auto snap = [&](std::size_t pos, std::size_t lo, std::size_t hi) {
    auto it = std::min_element(marks.begin(), marks.end(), [&](const auto& a, const auto& b) {
      return std::abs(double(a.position) - double(pos)) <
             std::abs(double(b.position) - double(pos));
    });
    if (it == marks.end() || !it->voiced) return pos;
    return std::clamp<std::size_t>(static_cast<std::size_t>(std::lround(it->position)), lo, hi);
  };
  begin = snap(begin, start[carrier.first], boundary);
  end = snap(end, boundary, start[carrier.second + 1]);

  const std::size_t from = begin > kMargin ? begin - kMargin : 0;
  const std::size_t to = std::min(x.size(), end + kMargin);
  synth::Diphone& d = out.diphone;
  d.samples.assign(x.begin() + static_cast<std::ptrdiff_t>(from),
                   x.begin() + static_cast<std::ptrdiff_t>(to));
  d.begin = static_cast<uint32_t>(begin - from);
  d.boundary = static_cast<uint32_t>(boundary - from);
  d.end = static_cast<uint32_t>(end - from);
  for (const synth::PitchMark& m : marks) {
    if (m.position >= static_cast<double>(from) && m.position < static_cast<double>(to)) {
      d.marks.push_back({m.position - static_cast<double>(from), m.voiced});
    }
  }
  out.ok = true;
  return out;
}

}  // namespace cadencio::voicegen
