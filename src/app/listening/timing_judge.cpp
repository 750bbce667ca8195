// A take's figures from its placed notes, and their words.
#include "app/listening/timing_judge.hpp"

#include <cmath>

#include "app/message_catalogue.hpp"

namespace cadencio::app {

namespace {

// A drift is taken as rushing or dragging only when it stands this many standard errors clear
// of the notes' scatter.
constexpr double kDriftSignificance = 3.0;

// "12 milissegundos adiantado", "40 milissegundos atrasado", or "no tempo" under half a
// millisecond.
std::string OffsetWords(double offset_ms) {
  const long whole = std::lround(std::abs(offset_ms));
  if (whole == 0) return MessageText("CAESUNOT");
  return std::to_string(whole) + MessageText(offset_ms < 0 ? "CAESUADI" : "CAESUATR");
}

// -1, 0 or +1: the slope of offset over time, as a drift across the take, when it is clear.
int TrendOf(const std::vector<const PlacedNote*>& notes) {
  const double n = static_cast<double>(notes.size());
  if (notes.size() < 4) return 0;
  double mean_t = 0, mean_o = 0;
  for (const PlacedNote* note : notes) {
    mean_t += note->at_ms / n;
    mean_o += note->offset_ms / n;
  }
  double stt = 0, sto = 0;
  for (const PlacedNote* note : notes) {
    stt += (note->at_ms - mean_t) * (note->at_ms - mean_t);
    sto += (note->at_ms - mean_t) * (note->offset_ms - mean_o);
  }
  if (stt <= 0) return 0;
  const double slope = sto / stt;
  double residual = 0;
  for (const PlacedNote* note : notes) {
    const double e = note->offset_ms - mean_o - slope * (note->at_ms - mean_t);
    residual += e * e;
  }
  const double slope_error = std::sqrt(residual / (n - 2) / stt);
  const double drift = slope * (notes.back()->at_ms - notes.front()->at_ms);
  if (std::abs(drift) < TimingJudge::kDriftMs) return 0;
  if (slope_error > 0 && std::abs(slope) < kDriftSignificance * slope_error) return 0;
  return drift < 0 ? -1 : 1;
}

}  // namespace

Verdict TimingJudge::Judge() const {
  Verdict verdict;
  std::vector<const PlacedNote*> matched;
  double return_sum = 0;
  for (const PlacedNote& note : notes_) {
    if (!note.on_grid) {
      ++verdict.off_grid;
    } else if (note.after_silence) {
      ++verdict.returns;
      return_sum += note.offset_ms;
    } else {
      matched.push_back(&note);
    }
  }
  if (verdict.returns > 0) verdict.return_ms = return_sum / verdict.returns;
  verdict.notes = static_cast<int>(matched.size());
  if (matched.empty()) return verdict;
  for (const PlacedNote* note : matched) verdict.mean_ms += note->offset_ms / verdict.notes;
  double squares = 0;
  for (const PlacedNote* note : matched) {
    squares += (note->offset_ms - verdict.mean_ms) * (note->offset_ms - verdict.mean_ms);
  }
  verdict.spread_ms = matched.size() > 1 ? std::sqrt(squares / (verdict.notes - 1)) : 0;
  verdict.trend = TrendOf(matched);
  return verdict;
}

std::string VerdictText(const Verdict& verdict) {
  if (verdict.notes == 0 && verdict.returns == 0) {
    std::string text = MessageText("CAESUNEN");
    if (verdict.off_grid > 0) {
      text += ", " + std::to_string(verdict.off_grid) + MessageText("CAESUFOR");
    }
    return text;
  }
  std::string text =
      std::to_string(verdict.notes) + MessageText(verdict.notes == 1 ? "CAESUNOTA" : "CAESUNOTAS");
  if (verdict.notes > 0) {
    text += ", " + OffsetWords(verdict.mean_ms);
    text += MessageText("CAESUVAR") + std::to_string(std::lround(verdict.spread_ms)) + ", ";
    text += MessageText(verdict.trend < 0   ? "CAESUACE"
                        : verdict.trend > 0 ? "CAESUARR"
                                            : "CAESUEST");
  }
  if (verdict.off_grid > 0) {
    text += ", " + std::to_string(verdict.off_grid) + MessageText("CAESUFOR");
  }
  if (verdict.return_ms) text += ", " + MessageText("CAESUVOL") + OffsetWords(*verdict.return_ms);
  return text;
}

}  // namespace cadencio::app
