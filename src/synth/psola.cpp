// TD-PSOLA over the diphone voice.
#include "synth/psola.hpp"

#include <algorithm>
#include <cmath>

namespace cadencio::synth {

namespace {

// Longest analysis period a window spans, so that a gap between marks never makes one huge.
constexpr double kMaxPeriod = kVoiceRate / 60.0;
// Level corrections at joins stay within +-6 dB; quieter edges (closures, pauses) keep theirs.
constexpr float kMaxGain = 2.0f;
constexpr double kQuietEdge = 300;  // RMS below which an edge is left alone

// One stretch of output made from one part of one diphone.
struct Segment {
  const Diphone* diphone = nullptr;
  int64_t out_from = 0, out_to = 0;
  double src_from = 0, src_to = 0;
  float gain_from = 1, gain_to = 1;
  bool starts_diphone = false;  // the first half of (phone, next): a join lies at out_from
};

double EdgeRms(const Diphone& d, uint32_t at) {
  const int64_t half = kVoiceRate / 200;  // 5 ms each side
  int64_t from = std::max<int64_t>(0, int64_t{at} - half);
  int64_t to = std::min<int64_t>(static_cast<int64_t>(d.samples.size()), int64_t{at} + half);
  if (to <= from) return 0;
  double sum = 0;
  for (int64_t i = from; i < to; ++i) sum += double(d.samples[i]) * d.samples[i];
  return std::sqrt(sum / static_cast<double>(to - from));
}

float GainFor(double reference, double edge) {
  if (edge < kQuietEdge || reference < kQuietEdge) return 1.0f;
  return std::clamp(static_cast<float>(reference / edge), 1.0f / kMaxGain, kMaxGain);
}

// The pitch contour of an utterance: linear between the points, flat beyond the first and last.
// Asked at increasing times only.
class Contour {
 public:
  struct Point {
    double at = 0;  // output sample
    double hz = 0;
  };
  void Add(double at, double hz) { points_.push_back({at, hz}); }
  void Sort() {
    std::stable_sort(points_.begin(), points_.end(),
                     [](const Point& a, const Point& b) { return a.at < b.at; });
  }
  bool Empty() const { return points_.empty(); }
  double At(double t) {
    if (t <= points_.front().at) return points_.front().hz;
    if (t >= points_.back().at) return points_.back().hz;
    while (next_ < points_.size() && points_[next_].at < t) ++next_;
    const Point& a = points_[next_ - 1];
    const Point& b = points_[next_];
    if (b.at <= a.at) return b.hz;
    return a.hz + (b.hz - a.hz) * (t - a.at) / (b.at - a.at);
  }

 private:
  std::vector<Point> points_;
  std::size_t next_ = 1;
};

// Index of the mark nearest to source position s.
std::size_t NearestMark(const std::vector<PitchMark>& marks, double s) {
  auto it = std::lower_bound(marks.begin(), marks.end(), s,
                             [](const PitchMark& m, double v) { return m.position < v; });
  std::size_t k = static_cast<std::size_t>(it - marks.begin());
  if (k == marks.size()) return k - 1;
  if (k > 0 && s - marks[k - 1].position < marks[k].position - s) return k - 1;
  return k;
}

// Interpolation between samples: a Lanczos kernel of 8 taps in 64 phases, flat to well above
// 6 kHz so that fricatives and the breath in vowels keep their level.
constexpr int kTaps = 8;
constexpr int kPhases = 64;

const std::vector<float>& InterpolationTable() {
  static const std::vector<float> table = [] {
    const double pi = std::acos(-1.0);
    std::vector<float> t(static_cast<std::size_t>((kPhases + 1) * kTaps));
    for (int p = 0; p <= kPhases; ++p) {
      const double f = static_cast<double>(p) / kPhases;
      double sum = 0;
      std::vector<double> w(kTaps);
      for (int k = 0; k < kTaps; ++k) {
        const double x = k - (kTaps / 2 - 1) - f;  // taps at -3 .. 4 around the sample before
        const double a = kTaps / 2;
        w[k] = x == 0 ? 1.0 : a * std::sin(pi * x) * std::sin(pi * x / a) / (pi * pi * x * x);
        sum += w[k];
      }
      for (int k = 0; k < kTaps; ++k)
        t[static_cast<std::size_t>(p * kTaps + k)] = static_cast<float>(w[k] / sum);
    }
    return t;
  }();
  return table;
}

// The diphone's signal at a fractional position, 0 outside it.
double SampleAt(const std::vector<int16_t>& x, double pos) {
  const double fl = std::floor(pos);
  const auto i = static_cast<int64_t>(fl);
  const int phase = static_cast<int>(std::lround((pos - fl) * kPhases));
  const float* w = &InterpolationTable()[static_cast<std::size_t>(phase * kTaps)];
  const int64_t first = i - (kTaps / 2 - 1);
  double sum = 0;
  if (first >= 0 && first + kTaps <= static_cast<int64_t>(x.size())) {
    const int16_t* s = &x[static_cast<std::size_t>(first)];
    for (int k = 0; k < kTaps; ++k) sum += w[k] * s[k];
    return sum;
  }
  for (int k = 0; k < kTaps; ++k) {
    const int64_t j = first + k;
    if (j >= 0 && j < static_cast<int64_t>(x.size())) sum += w[k] * x[static_cast<std::size_t>(j)];
  }
  return sum;
}

// Adds one Hann-windowed period of the diphone, centred on mark k, centred at output position
// `at` (both to a fraction of a sample, so that the periods keep their phase at high
// frequencies). `reversed` adds it backwards in time.
void AddFrame(const Diphone& d, std::size_t k, double fallback_period, float gain, double at,
              bool reversed, std::vector<float>& out) {
  const auto& marks = d.marks;
  const double centre = marks[k].position;
  double left = k > 0 ? centre - marks[k - 1].position : fallback_period;
  double right = k + 1 < marks.size() ? marks[k + 1].position - centre : left;
  if (k == 0) left = right;
  left = std::min(left, kMaxPeriod);
  right = std::min(right, kMaxPeriod);
  if (reversed) std::swap(left, right);
  const double pi = std::acos(-1.0);
  const int64_t first = std::max<int64_t>(0, static_cast<int64_t>(std::ceil(at - left)));
  const int64_t last = std::min<int64_t>(static_cast<int64_t>(out.size()) - 1,
                                         static_cast<int64_t>(std::floor(at + right)));
  for (int64_t n = first; n <= last; ++n) {
    const double offset = static_cast<double>(n) - at;
    const double w = 0.5 + 0.5 * std::cos(pi * offset / (offset < 0 ? left : right));
    const double from = reversed ? centre - offset : centre + offset;
    out[static_cast<std::size_t>(n)] += static_cast<float>(w * gain * SampleAt(d.samples, from));
  }
}

// The segments of every phone: the second half of (previous, phone), then the first half of
// (phone, next), each given a share of the phone's duration in proportion to its length.
std::vector<Segment> PlanSegments(const DiphoneVoice& voice, const JoinGains& gains,
                                  const std::vector<SynthPhone>& phones, int silence) {
  const Diphone* quiet = voice.Find(silence, silence);
  auto diphone = [&](int a, int b) {
    const Diphone* d = voice.Find(a, b);
    return d ? d : quiet;
  };
  auto index = [&](const Diphone* d) {
    return static_cast<std::size_t>(d - voice.diphones.data());
  };
  std::vector<Segment> segments;
  int64_t at = 0;
  for (std::size_t i = 0; i < phones.size(); ++i) {
    const int prev = i > 0 ? phones[i - 1].phone : silence;
    const int next = i + 1 < phones.size() ? phones[i + 1].phone : silence;
    const Diphone* left = diphone(prev, phones[i].phone);
    const Diphone* right = diphone(phones[i].phone, next);
    const double l1 = left ? left->end - left->boundary : 0;
    const double l2 = right ? right->boundary - right->begin : 0;
    const int64_t total = phones[i].samples;
    const int64_t first = l1 + l2 > 0 ? std::llround(total * l1 / (l1 + l2)) : total / 2;
    Segment a{left, at, at + first, left ? double(left->boundary) : 0,
              left ? double(left->end) : 0};
    if (left) a.gain_to = gains.at_end[index(left)];
    Segment b{right, at + first, at + total, right ? double(right->begin) : 0,
              right ? double(right->boundary) : 0};
    if (right) b.gain_from = gains.at_begin[index(right)];
    b.starts_diphone = true;
    if (a.out_to > a.out_from) segments.push_back(a);
    if (b.out_to > b.out_from) segments.push_back(b);
    at += total;
  }
  return segments;
}

}  // namespace

JoinGains ComputeJoinGains(const DiphoneVoice& voice) {
  const std::size_t n = voice.phones.size();
  // Average edge level of every phone over all the diphones it begins or ends.
  std::vector<double> sum(n, 0), count(n, 0);
  std::vector<double> begin_rms(voice.diphones.size()), end_rms(voice.diphones.size());
  for (std::size_t i = 0; i < voice.diphones.size(); ++i) {
    const Diphone& d = voice.diphones[i];
    begin_rms[i] = EdgeRms(d, d.begin);
    end_rms[i] = EdgeRms(d, d.end);
    sum[d.first] += begin_rms[i];
    count[d.first] += 1;
    sum[d.second] += end_rms[i];
    count[d.second] += 1;
  }
  JoinGains gains;
  for (std::size_t i = 0; i < voice.diphones.size(); ++i) {
    const Diphone& d = voice.diphones[i];
    const double ref_first = count[d.first] > 0 ? sum[d.first] / count[d.first] : 0;
    const double ref_second = count[d.second] > 0 ? sum[d.second] / count[d.second] : 0;
    gains.at_begin.push_back(GainFor(ref_first, begin_rms[i]));
    gains.at_end.push_back(GainFor(ref_second, end_rms[i]));
  }
  return gains;
}

std::vector<int64_t> JoinPositions(const DiphoneVoice& voice, const std::vector<SynthPhone>& phones,
                                   int silence) {
  const JoinGains none{std::vector<float>(voice.diphones.size(), 1.0f),
                       std::vector<float>(voice.diphones.size(), 1.0f)};
  std::vector<int64_t> joins;
  for (const Segment& s : PlanSegments(voice, none, phones, silence)) {
    if (s.starts_diphone && s.out_from > 0) joins.push_back(s.out_from);
  }
  return joins;
}

std::vector<int64_t> PhoneSampleCounts(const std::vector<double>& durations_ms) {
  std::vector<int64_t> counts;
  double total_ms = 0;
  int64_t done = 0;
  for (double ms : durations_ms) {
    total_ms += ms;
    const int64_t end = std::llround(total_ms * kVoiceRate / 1000.0);
    counts.push_back(end - done);
    done = end;
  }
  return counts;
}

std::vector<int16_t> SynthesizePhones(const DiphoneVoice& voice, const JoinGains& gains,
                                      const std::vector<SynthPhone>& phones, int silence) {
  std::vector<Segment> segments = PlanSegments(voice, gains, phones, silence);
  int64_t total = 0;
  Contour contour;
  for (const SynthPhone& p : phones) {
    for (const PitchPoint& pt : p.points) {
      contour.Add(static_cast<double>(total) + p.samples * pt.percent / 100.0, pt.hz);
    }
    total += p.samples;
  }
  contour.Sort();
  std::vector<float> out(static_cast<std::size_t>(total), 0.0f);
  const double natural = voice.natural_pitch > 0 ? kVoiceRate / voice.natural_pitch : 80;

  std::size_t seg = 0;
  double t = 0;
  // A stretched unvoiced stretch takes the same frame of noise more than once; every other
  // repeat is added backwards, so that the noise does not turn into a buzz at the frame rate.
  const Diphone* last_diphone = nullptr;
  std::size_t last_mark = 0;
  bool last_reversed = false;
  while (t < static_cast<double>(total) && seg < segments.size()) {
    while (seg < segments.size() && segments[seg].out_to <= static_cast<int64_t>(t)) ++seg;
    if (seg == segments.size()) break;
    const Segment& g = segments[seg];
    if (g.diphone == nullptr || g.diphone->marks.empty()) {
      t += natural;
      continue;
    }
    const double frac = (t - g.out_from) / static_cast<double>(g.out_to - g.out_from);
    const double s = g.src_from + frac * (g.src_to - g.src_from);
    const auto& marks = g.diphone->marks;
    const std::size_t k = NearestMark(marks, s);
    double period = k + 1 < marks.size() ? marks[k + 1].position - marks[k].position
                    : k > 0              ? marks[k].position - marks[k - 1].position
                                         : natural;
    period = std::min(period, kMaxPeriod);
    const float gain = g.gain_from + static_cast<float>(frac) * (g.gain_to - g.gain_from);
    const bool repeat = g.diphone == last_diphone && k == last_mark;
    const bool reversed = repeat && !marks[k].voiced && !last_reversed;
    AddFrame(*g.diphone, k, natural, gain, t, reversed, out);
    last_diphone = g.diphone;
    last_mark = k;
    last_reversed = reversed;
    double step = period;
    if (marks[k].voiced && !contour.Empty()) step = kVoiceRate / contour.At(t);
    t += std::max(step, 8.0);
  }

  std::vector<int16_t> pcm(out.size());
  for (std::size_t i = 0; i < out.size(); ++i) {
    pcm[i] = static_cast<int16_t>(std::lround(std::clamp(out[i], -32768.0f, 32767.0f)));
  }
  return pcm;
}

}  // namespace cadencio::synth
