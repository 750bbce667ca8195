// The window's font: the file fontconfig finds for a face name and weight.
#pragma once

#include <string>

namespace cadencio::frontends {

// The face file that the window would use for a face name and weight: the face itself when
// the system has it, else DejaVu Sans Mono; empty when no font is found at all.
std::string FindFontFile(const std::string& face_utf8, int weight, bool* synthesise_bold = nullptr);

}  // namespace cadencio::frontends
