// Voice numbering shared by the engine bindings.
#include "engines/engine_voices.hpp"

#include <algorithm>

#include "base/windows1252.hpp"

namespace cadencio::engines {

namespace {

// Lower case, with '_' as '-' ("pt_BR" is "pt-br").
std::string Normalised(std::string text) {
  for (char& c : text) c = c == '_' ? '-' : base::AsciiLowerCase(c);
  return text;
}

// 0 for Brazilian Portuguese, 1 for other Portuguese, 2 for any other language.
int Rank(const std::string& language) {
  const std::string code = Normalised(language);
  if (code == "pt-br" || code.starts_with("pt-br-")) return 0;
  if (code == "pt" || code.starts_with("pt-")) return 1;
  return 2;
}

}  // namespace

std::vector<std::size_t> VoiceOrder(const std::vector<std::string>& languages) {
  std::vector<std::size_t> order(languages.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return Rank(languages[a]) < Rank(languages[b]);
  });
  return order;
}

int VoiceIndex(const std::vector<std::string>& languages, int voice) {
  if (voice < 1 || static_cast<std::size_t>(voice) > languages.size()) return -1;
  return static_cast<int>(VoiceOrder(languages)[static_cast<std::size_t>(voice - 1)]);
}

}  // namespace cadencio::engines
