// Reading the recorded voice's text data files into memory.
#include "voice/phonetic_files.hpp"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace cadencio::voice {

std::optional<std::string> ReadPhoneticFile(const std::string& file_name) {
  std::error_code error;
  if (file_name.empty() || std::filesystem::is_directory(file_name, error)) return std::nullopt;
  std::ifstream in(file_name, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return std::move(bytes).str();
}

}  // namespace cadencio::voice
