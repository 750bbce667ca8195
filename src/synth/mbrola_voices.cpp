// MBROLA voice lookup in the conventional install places.
#include "synth/mbrola_voices.hpp"

#include <filesystem>

namespace cadencio::synth {

const std::vector<std::string>& MbrolaVoiceRoots() {
  static const std::vector<std::string> roots = {"/usr/share/mbrola", "/usr/local/share/mbrola"};
  return roots;
}

std::optional<std::string> FindMbrolaVoice(const std::string& name,
                                           const std::vector<std::string>& roots) {
  if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
  std::string lower = name;
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  for (const std::string& root : roots) {
    for (const std::string& n : {name, lower}) {
      const std::string path = root + "/" + n + "/" + n;
      std::error_code error;
      if (std::filesystem::is_regular_file(path, error)) return path;
    }
  }
  return std::nullopt;
}

}  // namespace cadencio::synth
