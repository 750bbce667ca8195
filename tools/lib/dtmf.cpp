// DTMF tones from the standard keypad frequencies.
#include "lib/dtmf.hpp"

#include <array>
#include <cmath>
#include <string_view>

namespace cadencio::voicegen {

namespace {

constexpr std::array<int, 4> kRows = {697, 770, 852, 941};
constexpr std::array<int, 4> kColumns = {1209, 1336, 1477, 1633};
constexpr std::string_view kKeypad = "123A456B789C*0#D";

}  // namespace

std::optional<std::pair<int, int>> DtmfFrequencies(char key) {
  auto at = kKeypad.find(key);
  if (key == '\0' || at == std::string_view::npos) return std::nullopt;
  return std::make_pair(kRows[at / 4], kColumns[at % 4]);
}

Samples DtmfTone(char key, int rate, double ms, double amplitude) {
  auto frequencies = DtmfFrequencies(key);
  if (!frequencies || rate <= 0 || ms <= 0) return {};
  const double pi = std::acos(-1.0);
  Samples out(static_cast<std::size_t>(std::lround(ms * rate / 1000.0)));
  for (std::size_t i = 0; i < out.size(); ++i) {
    double t = static_cast<double>(i) / rate;
    out[i] = static_cast<float>(amplitude * (std::sin(2 * pi * frequencies->first * t) +
                                             std::sin(2 * pi * frequencies->second * t)));
  }
  FadeEdges(out, rate, 5);
  return out;
}

}  // namespace cadencio::voicegen
