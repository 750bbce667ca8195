// Opening a web address or a file named in a field (F12 of the field editor): the program
// comes from the PROG.* keys of section AUDIRA, or the word is itself the program, or the
// system's default handler opens it. The word is handed over as one argument, never through a
// command interpreter.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "console/console.hpp"

namespace cadencio::speech {
class SpeechFrontEnd;
}  // namespace cadencio::speech

namespace cadencio::dialogs {

// The program to start and its one parameter (empty: none).
struct OpenRequest {
  std::string program;
  std::string parameter;
};

// Reads a key of section AUDIRA.
using AudiraKeyReader = std::function<std::string(const std::string& key)>;

// What opening `word` (cut to 255 characters) starts:
// - "http://", "https://" or "www." words: the program of PROG.HTM with the word;
// - words whose extension (the 3 characters after the first '.', or the first 3 characters
//   when there is none, upper-cased) is EXE or COM: the word itself, put after
//   `current_dir` when it is not an absolute path;
// - any other word: the program of PROG.<extension> with the word.
// When the key names no program, the system's default handler gets the word (a "www." word as
// an http address). Windows-form paths are mapped onto this system's files.
OpenRequest ResolveOpenRequest(std::string_view word, const AudiraKeyReader& read_key,
                               const std::string& current_dir);

// Resolves the word with the programs `read_key` names, waits for speech to end, starts the
// program, and waits for speech again. Whether the program was started; a failure is not
// reported to the user.
bool OpenLinkOrFile(console::Console& console, speech::SpeechFrontEnd& speech,
                    const AudiraKeyReader& read_key, std::string_view word);

}  // namespace cadencio::dialogs
