// The tune of a run of words the recorded voice speaks: a statement, or a yes/no question,
// which rises from its last stressed syllable on.
#pragma once

namespace cadencio::voice {

enum class Tune { kStatement, kQuestion };

}  // namespace cadencio::voice
