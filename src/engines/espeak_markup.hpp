// The text espeak-ng is given, as SSML: the signs the markup uses written as entities, and the
// last word of every yes/no question said higher, since espeak-ng's own tune barely lifts the
// end of a Brazilian yes/no question above a statement's.
#pragma once

#include <string>
#include <string_view>

namespace cadencio::engines {

// The raise of a question's last word.
inline constexpr std::string_view kQuestionPitch = "+25%";

// The SSML (UTF-8) of a Windows-1252 text.
std::string EspeakMarkup(std::string_view text);

}  // namespace cadencio::engines
