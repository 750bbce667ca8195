// Profile (INI) files on disk: bounded reading and whole-file replacement around the in-memory
// lookup and editing of profile_text.
#include "files/profile_file.hpp"

#include "files/atomic_file.hpp"
#include "files/file_reader.hpp"

namespace cadencio::files {
namespace {

// The text a lookup sees: the file, or its first kMaxFileBytes; empty when it cannot be read.
std::string TextForReading(const std::string& path) {
  FileContent content = ReadWholeFile(path, ProfileFile::kMaxFileBytes);
  if (content.status == FileReadStatus::kOk || content.status == FileReadStatus::kTooLarge) {
    return std::move(content.bytes);
  }
  return {};
}

}  // namespace

std::string ProfileFile::ReadString(const std::string& path, std::string_view section,
                                    std::string_view key, std::string_view fallback) {
  std::optional<std::string> value = FindProfileValue(TextForReading(path), section, key);
  return value ? std::move(*value) : std::string(fallback);
}

ProfileEntries ProfileFile::ReadSection(const std::string& path, std::string_view section) {
  return ListProfileSection(TextForReading(path), section);
}

bool ProfileFile::WriteString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view value) {
  return WriteStrings(path, section, {{std::string(key), std::string(value)}});
}

bool ProfileFile::WriteStrings(const std::string& path, std::string_view section,
                               const ProfileEntries& entries) {
  FileContent old = ReadWholeFile(path, kMaxFileBytes);
  if (old.status != FileReadStatus::kOk && old.status != FileReadStatus::kMissing) return false;
  std::optional<std::string> updated = UpdateProfileText(old.bytes, section, entries);
  if (!updated || updated->size() > kMaxFileBytes) return false;
  if (old.status == FileReadStatus::kOk && *updated == old.bytes) return true;
  return ReplaceFileAtomically(path, *updated);
}

}  // namespace cadencio::files
