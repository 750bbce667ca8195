// Windows-style file name lookup on Linux: names compared without regard to case, whether the
// name on disk is UTF-8 (the Linux custom) or Windows-1252 bytes (the program's texts).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cadencio::files {

// True when two file names are the same name to Windows: equal after folding the case of ASCII
// and Latin letters (TAMBOR1.WAV and tambor1.wav; "PADRÃO" in Windows-1252 and "padrão" in
// UTF-8). A name that is valid UTF-8 is read as UTF-8, any other as Windows-1252.
bool SameFileNameNoCase(std::string_view a, std::string_view b);

// The name of the entry of directory `dir` that is `wanted`: `wanted` itself when it exists with
// that exact spelling, else the matching entry (the first in byte order when several match);
// nothing when there is none or the directory cannot be read.
std::optional<std::string> FindEntryNoCase(const std::string& dir, std::string_view wanted);

}  // namespace cadencio::files
