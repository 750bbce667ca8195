// Profile (INI) text held in memory: finding a key the way the Windows private-profile functions
// do, and editing the text so that only the lines written to change. Lines end in CR, LF or
// CR LF alike. ProfileFile adds the file
// reading and the crash-safe writing on top of these.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cadencio::files {

// Keys with their values, in file order.
using ProfileEntries = std::vector<std::pair<std::string, std::string>>;

// The value of `key` in `section` of a profile text, or nothing when the section or the key is
// missing. Section and key names are compared without regard to ASCII case and without the blanks
// around them; the first matching section and, inside it, the first matching key are used. The
// asked names are cut at their first line break, as UpdateProfileText cuts them. The
// value loses the blanks around it and one pair of matching quotes ('...' or "...") enclosing it.
std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key);

// The keys of the first matching section in file order, each key once (its first occurrence),
// with values cleaned as FindProfileValue does; empty when the section is missing.
ProfileEntries ListProfileSection(std::string_view text, std::string_view section);

// `text` with each entry written into `section`, one after another: a key already in the first
// matching section gets its value replaced in place (the line keeps its key spelling and the
// layout before the value); a new key goes after the section's last key line; a missing section
// is added at the end of the text. All other bytes stay as they are, and new lines take the line
// end the text already uses (CR LF, LF or CR). Names and values are cut at their first line break;
// nothing is returned when a name cannot be stored (empty key, key with '=' or starting with ';'
// or '[', section with ']').
std::optional<std::string> UpdateProfileText(std::string_view text, std::string_view section,
                                             const ProfileEntries& entries);

}  // namespace cadencio::files
