// Path mapping: data root, Windows paths onto Linux ones, the Windows directory and the location
// of AUDIRA.INI.
#include "files/paths.hpp"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <vector>

#include "base/windows1252.hpp"
#include "files/atomic_file.hpp"
#include "files/file_name_match.hpp"
#include "files/file_reader.hpp"
#include "files/profile_file.hpp"

namespace cadencio::files {
namespace {

constexpr std::string_view kConfigName = "AUDIRA.INI";
constexpr std::string_view kSonaud = "/sonaud";

std::optional<std::string> Environment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Join(std::string_view dir, std::string_view name) {
  std::string out(dir);
  if (!out.empty() && out.back() != '/') out.push_back('/');
  out.append(name);
  return out;
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string ParentOf(const std::string& path) {
  std::string trimmed = WithoutTrailingSlashes(path);
  std::size_t slash = trimmed.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : trimmed.substr(0, slash);
}

std::string Canonical(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
  return real ? std::string(real.get()) : path;
}

std::string RunningProgram() {
  std::vector<char> buffer(4096);
  ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) return {};
  return std::string(buffer.data(), static_cast<std::size_t>(n));
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (base::AsciiLowerCase(s[i]) != prefix[i]) return false;
  }
  return true;
}

// "/sonaud" or "/sonaud/..." (any case) of a rooted Windows path.
bool UnderSonaud(std::string_view rooted) {
  return StartsWithNoCase(rooted, kSonaud) &&
         (rooted.size() == kSonaud.size() || rooted[kSonaud.size()] == '/');
}

// A rooted Windows path (after the drive, with '/' separators) on Linux.
std::string MapRooted(std::string_view rooted, std::string_view data_root) {
  if (!UnderSonaud(rooted)) return std::string(rooted);
  std::string root = WithoutTrailingSlashes(std::string(data_root));
  std::string_view rest = rooted.substr(kSonaud.size());
  if (rest.empty()) return root;
  return root == "/" ? std::string(rest) : root + std::string(rest);
}

// The AUDIRA.INI of `dir` when there is one (name matched without regard to case).
std::optional<std::string> ConfigFileIn(const std::string& dir) {
  std::optional<std::string> name = FindEntryNoCase(dir, kConfigName);
  if (!name) return std::nullopt;
  std::string path = Join(dir, *name);
  if (!IsRegularFile(path)) return std::nullopt;
  return path;
}

// mkdir -p; true when the directory exists afterwards.
bool MakeDirectories(const std::string& path) {
  if (path.empty() || IsDirectory(path)) return !path.empty();
  std::string parent = ParentOf(path);
  if (parent != path && !MakeDirectories(parent)) return false;
  return ::mkdir(path.c_str(), 0700) == 0 || (errno == EEXIST && IsDirectory(path));
}

std::string HomeDirectory() {
  if (std::optional<std::string> home = Environment("HOME")) return *home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir && *found->pw_dir) {
    return found->pw_dir;
  }
  return ".";
}

}  // namespace

std::string ChooseDataRoot(const DataRootSources& sources) {
  if (sources.env_root) return *sources.env_root;
  if (!sources.build_root.empty() && IsDirectory(sources.build_root) && !sources.exe_path.empty()) {
    std::string build_dir = Canonical(ParentOf(ParentOf(sources.build_root)));
    std::string exe = Canonical(sources.exe_path);
    if (exe.size() > build_dir.size() && exe.starts_with(build_dir) &&
        (build_dir == "/" || exe[build_dir.size()] == '/')) {
      return sources.build_root;
    }
  }
  // Installed: the data lies beside the program, in <prefix>/share/sonaud for
  // <prefix>/bin/cadencio, whatever prefix the build was configured with (a package installs
  // under /usr what was built for /usr/local). Else the configured place.
  if (!sources.exe_path.empty()) {
    std::string beside = ParentOf(ParentOf(Canonical(sources.exe_path))) + "/share/sonaud";
    if (IsDirectory(beside)) return beside;
  }
  return sources.install_root;
}

std::string DataRoot() {
  return ChooseDataRoot({Environment("SONAUD_ROOT"), RunningProgram(), CADENCIO_BUILD_DATA_ROOT,
                         CADENCIO_INSTALL_DATA_ROOT});
}

std::string ResolvePathNoCase(std::string_view path) {
  if (path.empty()) return {};
  bool absolute = path.front() == '/';
  bool trailing = path.size() > 1 && path.back() == '/';
  std::string resolved = absolute ? "/" : "";
  bool exists = true;
  std::size_t pos = 0;
  while (pos < path.size()) {
    std::size_t slash = path.find('/', pos);
    if (slash == std::string_view::npos) slash = path.size();
    std::string_view component = path.substr(pos, slash - pos);
    pos = slash + 1;
    if (component.empty()) continue;
    std::string name(component);
    if (exists && component != "." && component != "..") {
      std::optional<std::string> found = FindEntryNoCase(resolved.empty() ? "." : resolved, name);
      if (found) {
        name = *found;
      } else {
        exists = false;
      }
    }
    resolved = Join(resolved, name);
  }
  if (trailing && !resolved.empty() && resolved.back() != '/') resolved.push_back('/');
  return resolved;
}

std::string MapWindowsPath(std::string_view windows_path, std::string_view data_root) {
  if (windows_path.empty()) return {};
  std::string path(windows_path);
  bool rooted_windows = path.front() == '\\';
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  bool drive = path.size() >= 2 && path[1] == ':' &&
               ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  std::string linux_path;
  if (drive) {
    std::string rest = path.substr(2);
    linux_path = !rest.empty() && rest.front() == '/' ? MapRooted(rest, data_root) : rest;
  } else if (rooted_windows) {
    linux_path = MapRooted(path, data_root);
  } else {
    linux_path = path;
  }
  return ResolvePathNoCase(linux_path);
}

std::string MapWindowsPath(std::string_view windows_path) {
  return MapWindowsPath(windows_path, DataRoot());
}

std::string FamilyPath(std::string_view below) {
  std::string path(kFamilyRoot);
  path += below;
  return path;
}

std::string WindowsDirectory() {
  if (std::optional<std::string> dir = Environment("AUDIRA_WINDIR")) return *dir;
  std::optional<std::string> config = Environment("XDG_CONFIG_HOME");
  if (config && config->front() == '/') return Join(*config, "audira");
  return Join(HomeDirectory(), ".config/audira");
}

std::string FindConfigFile(const std::string& start_dir) {
  std::string windows_dir = WindowsDirectory();
  if (std::optional<std::string> path = ConfigFileIn(windows_dir)) return *path;
  if (std::optional<std::string> path = ConfigFileIn(start_dir.empty() ? "." : start_dir)) {
    return *path;
  }
  return Join(windows_dir, kConfigName);
}

bool EnsureDefaultConfig(const std::string& start_dir) {
  std::string windows_dir = WindowsDirectory();
  if (ConfigFileIn(windows_dir) || ConfigFileIn(start_dir.empty() ? "." : start_dir)) {
    return true;
  }
  std::optional<std::string> source = ConfigFileIn(DataRoot());
  if (!source) return false;
  FileContent content = ReadWholeFile(*source, ProfileFile::kMaxFileBytes);
  if (content.status != FileReadStatus::kOk) return false;
  if (!MakeDirectories(windows_dir)) return false;
  return ReplaceFileAtomically(Join(windows_dir, kConfigName), content.bytes);
}

}  // namespace cadencio::files
