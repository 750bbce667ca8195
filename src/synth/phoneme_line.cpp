// Parsing the MBROLA phoneme lines.
#include "synth/phoneme_line.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace cadencio::synth {

namespace {

constexpr double kMaxPitchHz = 2000;

std::vector<std::string_view> SplitBlanks(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

std::optional<double> Number(std::string_view text) {
  double value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

ParsedLine Bad(std::string error) {
  ParsedLine out;
  out.kind = LineKind::kBad;
  out.error = std::move(error);
  return out;
}

}  // namespace

ParsedLine ParsePhonemeLine(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  std::vector<std::string_view> fields = SplitBlanks(line);
  ParsedLine out;
  if (fields.empty()) return out;
  if (fields[0].front() == ';') {
    out.kind = LineKind::kComment;
    return out;
  }
  if (fields[0].front() == '#') {
    out.kind = LineKind::kFlush;
    return out;
  }
  const std::string name(fields[0]);
  if (fields.size() < 2) return Bad("no duration for " + name);
  std::optional<double> duration = Number(fields[1]);
  if (!duration || !(*duration >= 0 && *duration <= kMaxPhoneMs)) {
    return Bad("bad duration for " + name + ": " + std::string(fields[1]));
  }
  out.phone.name = name;
  out.phone.duration_ms = *duration;
  for (std::size_t i = 2; i < fields.size(); i += 2) {
    if (i + 1 >= fields.size()) return Bad("pitch point without pitch for " + name);
    std::optional<double> percent = Number(fields[i]);
    std::optional<double> hz = Number(fields[i + 1]);
    if (!percent || !std::isfinite(*percent) || !hz || !(*hz > 0 && *hz <= kMaxPitchHz)) {
      return Bad("bad pitch point for " + name + ": " + std::string(fields[i]) + " " +
                 std::string(fields[i + 1]));
    }
    out.phone.points.push_back({std::clamp(*percent, 0.0, 100.0), *hz});
  }
  out.kind = LineKind::kPhone;
  return out;
}

}  // namespace cadencio::synth
