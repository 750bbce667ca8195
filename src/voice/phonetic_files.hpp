// Reading the recorded voice's text data files (rules and exceptions): the whole file into
// memory, then line by line.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/text_lines.hpp"

namespace cadencio::voice {

// The bytes of a file; nothing when it cannot be opened or read (missing, a directory, ...).
std::optional<std::string> ReadPhoneticFile(const std::string& file_name);

// Line-by-line reading of a text held in memory.
using base::ForEachTextLine;

}  // namespace cadencio::voice
