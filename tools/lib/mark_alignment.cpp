// Cross-correlation of each diphone's edge period with its phone's reference period.
#include "lib/mark_alignment.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

namespace cadencio::voicegen {

namespace {

// The voiced mark nearest to `at` and the period there, if the diphone is voiced there.
struct EdgeMark {
  std::size_t index = 0;
  double period = 0;
};

std::optional<EdgeMark> VoicedMarkAt(const synth::Diphone& d, double at) {
  const auto& m = d.marks;
  if (m.size() < 3) return std::nullopt;
  std::size_t best = 0;
  for (std::size_t i = 1; i < m.size(); ++i) {
    if (std::abs(m[i].position - at) < std::abs(m[best].position - at)) best = i;
  }
  if (!m[best].voiced || best == 0 || best + 1 == m.size()) return std::nullopt;
  return EdgeMark{best, (m[best + 1].position - m[best - 1].position) / 2};
}

// Samples of the diphone around `centre` (whole samples), `half` either side.
std::vector<double> Window(const synth::Diphone& d, long centre, long half) {
  std::vector<double> w;
  for (long j = -half; j <= half; ++j) {
    const long i = centre + j;
    w.push_back(i >= 0 && i < static_cast<long>(d.samples.size())
                    ? d.samples[static_cast<std::size_t>(i)]
                    : 0.0);
  }
  return w;
}

double Correlation(const std::vector<double>& a, const std::vector<double>& b) {
  double ab = 0, aa = 0, bb = 0;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    ab += a[i] * b[i];
    aa += a[i] * a[i];
    bb += b[i] * b[i];
  }
  return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

// Shift (in samples) that lines the diphone's period at `mark` up with the reference.
double BestShift(const synth::Diphone& d, const synth::PitchMark& mark, double period,
                 const std::vector<double>& reference) {
  const long half = static_cast<long>(reference.size() / 2);
  const long centre = std::lround(mark.position);
  const long range = static_cast<long>(period / 2);
  std::vector<double> r;
  for (long s = -range - 1; s <= range + 1; ++s)
    r.push_back(Correlation(reference, Window(d, centre + s, half)));
  std::size_t best = 1;
  for (std::size_t i = 1; i + 1 < r.size(); ++i) {
    if (r[i] > r[best]) best = i;
  }
  const double denom = r[best - 1] - 2 * r[best] + r[best + 1];
  const double refine =
      denom < 0 ? std::clamp(0.5 * (r[best - 1] - r[best + 1]) / denom, -0.5, 0.5) : 0.0;
  // Entry i of r is the window centred at centre + i - range - 1.
  const double aligned = static_cast<double>(centre + static_cast<long>(best) - range - 1) + refine;
  return aligned - mark.position;
}

}  // namespace

void AlignMarksAtJoins(synth::DiphoneVoice& voice) {
  std::vector<std::vector<double>> reference(voice.phones.size());
  // Reference: the first period met of each phone, in the order of the diphone table.
  auto shift_at = [&](synth::Diphone& d, uint16_t phone, double at) {
    std::optional<EdgeMark> edge = VoicedMarkAt(d, at);
    if (!edge) return 0.0;
    const synth::PitchMark& mark = d.marks[edge->index];
    if (reference[phone].empty()) {
      reference[phone] = Window(d, std::lround(mark.position), static_cast<long>(edge->period));
      return 0.0;
    }
    return BestShift(d, mark, edge->period, reference[phone]);
  };
  for (synth::Diphone& d : voice.diphones) {
    const double at_begin = shift_at(d, d.first, d.begin);
    const double at_end = shift_at(d, d.second, d.end);
    if (at_begin == 0 && at_end == 0) continue;
    // The shift goes over linearly from the one at the beginning to the one at the end.
    std::vector<synth::PitchMark> moved = d.marks;
    const double span = std::max(1.0, double(d.end) - double(d.begin));
    for (synth::PitchMark& m : moved) {
      const double w = std::clamp((m.position - d.begin) / span, 0.0, 1.0);
      m.position += at_begin * (1 - w) + at_end * w;
    }
    const bool ordered =
        std::adjacent_find(moved.begin(), moved.end(), [](const auto& a, const auto& b) {
          return a.position + 1 > b.position;
        }) == moved.end();
    if (ordered && moved.front().position >= 0 &&
        moved.back().position < static_cast<double>(d.samples.size())) {
      d.marks = std::move(moved);
    }
  }
}

}  // namespace cadencio::voicegen
