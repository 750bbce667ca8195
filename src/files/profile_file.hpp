// Profile (INI) files on disk with the semantics of the Windows private-profile functions, the
// home of AUDIRA.INI: reading a key with a default, and writing keys so that a crash or a full
// disk never leaves a damaged file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "files/profile_text.hpp"

namespace cadencio::files {

class ProfileFile {
 public:
  // Files are read only up to this size; a larger file is read in its first part and is never
  // rewritten (a write to it fails, and the file stays whole).
  static constexpr std::size_t kMaxFileBytes = 4 * 1024 * 1024;

  // The value of `key` in `section` (see FindProfileValue), or `fallback` when the file, the
  // section or the key is missing or the file cannot be read. Values are returned as stored
  // (Windows-1252 bytes); callers that keep only a fixed number of characters cut them.
  static std::string ReadString(const std::string& path, std::string_view section,
                                std::string_view key, std::string_view fallback);

  // The keys and values of `section`, in file order; empty when missing.
  static ProfileEntries ReadSection(const std::string& path, std::string_view section);

  // Writes one key (see WriteStrings).
  static bool WriteString(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view value);

  // Writes the keys of `entries`, in order, into `section` as one replacement of the file, which
  // is created when missing (its directory must exist). False, with the file unchanged, when it
  // cannot be read or written, is larger than kMaxFileBytes, or a name cannot be stored.
  static bool WriteStrings(const std::string& path, std::string_view section,
                           const ProfileEntries& entries);
};

}  // namespace cadencio::files
