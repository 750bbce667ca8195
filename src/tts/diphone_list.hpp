// The uttsProsodia module's diphone list: the diphones the voice in use can say, so that a
// short filler sound can be put between two phonemes it cannot join.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace cadencio::tts {

class DiphoneList {
 public:
  // Reads the diphone file; false, leaving the list empty, when it cannot be read.
  bool Load(const std::string& path);
  // Fills the list from the file's text: one diphone per line (two names joined by any
  // separator; names are runs of letters, '@', '2' and '_'), lines beginning with '!', '*' or
  // ';' skipped.
  void Parse(std::string_view text);
  void Clear() {
    names_.clear();
    lower_names_.clear();
  }

  // Whether the voice has the diphone first-second; letter case is not regarded.
  bool Has(std::string_view first, std::string_view second) const;
  // The entries "first-second", sorted without regard to case.
  const std::vector<std::string>& Names() const { return names_; }

 private:
  std::vector<std::string> names_;
  std::unordered_set<std::string> lower_names_;  // the same in lower case, for Has
};

}  // namespace cadencio::tts
