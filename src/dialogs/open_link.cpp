// Choosing the program for a link or file word and starting it through the platform.
#include "dialogs/open_link.hpp"

#include <filesystem>
#include <system_error>

#include "base/windows1252.hpp"
#include "files/paths.hpp"
#include "files/shell_open.hpp"
#include "speech/speech_front_end.hpp"

namespace cadencio::dialogs {

namespace {

constexpr std::size_t kMaxWord = 255;

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool HasDrive(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

// A path written the Windows way (a drive, or backslashes) is mapped onto this system's
// files; anything else is kept as it is.
std::string LocalPath(std::string_view path) {
  if (HasDrive(path) || path.find('\\') != std::string_view::npos) {
    return files::MapWindowsPath(path);
  }
  return std::string(path);
}

// A parameter that begins with '-' would be read as an option by the program.
std::string AsParameter(std::string text) {
  if (!text.empty() && text[0] == '-') text.insert(0, "./");
  return text;
}

std::string Extension(std::string_view word) {
  std::size_t dot = word.find('.');
  std::string_view extension = dot == std::string_view::npos ? word : word.substr(dot + 1);
  return base::UpperCaseAsciiAndHighBytes(extension.substr(0, 3));
}

}  // namespace

OpenRequest ResolveOpenRequest(std::string_view word, const AudiraKeyReader& read_key,
                               const std::string& current_dir) {
  word = word.substr(0, kMaxWord);
  if (StartsWith(word, "http://") || StartsWith(word, "https://") || StartsWith(word, "www.")) {
    std::string program = read_key("PROG.HTM");
    if (!program.empty()) return {LocalPath(program), AsParameter(std::string(word))};
    std::string address(word);
    if (StartsWith(word, "www.")) address.insert(0, "http://");
    return {files::kDefaultOpener, address};
  }
  const std::string extension = Extension(word);
  if (extension == "EXE" || extension == "COM") {
    if (HasDrive(word) || StartsWith(word, "\\") || StartsWith(word, "/")) {
      return {LocalPath(word), {}};
    }
    std::string dir = current_dir;
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
    return {files::MapWindowsPath(dir + std::string(word)), {}};
  }
  std::string program = read_key("PROG." + extension);
  if (program.empty()) return {files::kDefaultOpener, AsParameter(LocalPath(word))};
  return {LocalPath(program), AsParameter(LocalPath(word))};
}

bool OpenLinkOrFile(console::Console& console, speech::SpeechFrontEnd& speech,
                    const AudiraKeyReader& read_key, std::string_view word) {
  std::error_code error;
  std::string current_dir = std::filesystem::current_path(error).string();
  OpenRequest request = ResolveOpenRequest(word, read_key, current_dir);
  while (speech.SpeechBusy()) console.WaitMessage();
  bool started = files::ShellOpen(request.program, request.parameter);
  while (speech.SpeechBusy()) console.WaitMessage();
  return started;
}

}  // namespace cadencio::dialogs
