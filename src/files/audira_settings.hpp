// The family's settings file, AUDIRA.INI, as the program reads it: which file is read and
// written, and its values with the family's program directory put in for '@'.
#pragma once

#include <string>

namespace cadencio::files {

class AudiraSettings {
 public:
  // `start_dir` is where the program started: the fallback home of AUDIRA.INI and of the
  // family's program directory. Separators at its end are dropped.
  explicit AudiraSettings(std::string start_dir);

  // The AUDIRA.INI that is read and written (looked up again on every call).
  std::string ConfigFile() const;
  // A key of AUDIRA.INI (empty section: AUDIRA), at most 255 characters; an '@' that begins
  // the value or stands before a backslash becomes the program directory (AUDIRA's
  // PGMAUDIRA, or the start directory when that is empty or itself begins with '@').
  std::string ReadIniString(const std::string& section, const std::string& key) const;

 private:
  std::string start_dir_;
};

}  // namespace cadencio::files
