// Handing a program and its parameter to the system: the stand-in for the shell's "open". The
// program is started directly with an argument vector (never through a command interpreter,
// so that no text of a field is ever read as shell syntax), detached from the terminal, and
// its end is collected without the caller waiting for it.
#pragma once

#include <string>

namespace cadencio::files {

// The system's default handler of links and files.
inline constexpr const char* kDefaultOpener = "xdg-open";

// Starts `program` (looked up in PATH when it holds no '/') with `parameter` as its only
// argument, or with no argument when `parameter` is empty, in the current directory. Its
// standard input and output are /dev/null, so it cannot draw over the screen. True when the
// program was started; false when it could not be (not found, not executable, no resources).
bool ShellOpen(const std::string& program, const std::string& parameter);

}  // namespace cadencio::files
