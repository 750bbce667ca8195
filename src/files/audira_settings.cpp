// Reading AUDIRA.INI with the program directory expanded.
#include "files/audira_settings.hpp"

#include "files/paths.hpp"
#include "files/profile_file.hpp"

namespace cadencio::files {

AudiraSettings::AudiraSettings(std::string start_dir) : start_dir_(std::move(start_dir)) {
  while (start_dir_.size() > 1 && (start_dir_.back() == '/' || start_dir_.back() == '\\')) {
    start_dir_.pop_back();
  }
}

std::string AudiraSettings::ConfigFile() const {
  return FindConfigFile(start_dir_);
}

std::string AudiraSettings::ReadIniString(const std::string& section,
                                          const std::string& key) const {
  constexpr std::size_t kMaxValue = 255;
  // Expansions stop after this many rounds, so that a program directory that itself holds an
  // at sign before a backslash cannot make the value grow for ever.
  constexpr int kMaxExpansions = 16;
  const std::string file = ConfigFile();
  std::string value = ProfileFile::ReadString(file, section.empty() ? "AUDIRA" : section, key, "")
                          .substr(0, kMaxValue);
  for (int round = 0; round < kMaxExpansions && !value.empty(); ++round) {
    std::size_t at;
    if (value[0] == '@') {
      at = 0;
    } else {
      at = value.find("@\\");
      if (at == std::string::npos) break;
    }
    std::string program_dir = ProfileFile::ReadString(file, "AUDIRA", "PGMAUDIRA", "");
    if (program_dir.empty() || program_dir[0] == '@') program_dir = start_dir_;
    value = (value.substr(0, at) + program_dir + value.substr(at + 1)).substr(0, kMaxValue);
  }
  return value;
}

}  // namespace cadencio::files
