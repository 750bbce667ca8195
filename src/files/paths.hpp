// Where files are on Linux: the data root that stands in for "c:\sonaud\", the mapping of the
// program's Windows paths onto it, the directory that stands in for the Windows directory, and
// the location of the shared configuration file AUDIRA.INI.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cadencio::files {

// What the data root is chosen from.
struct DataRootSources {
  std::optional<std::string> env_root;  // $SONAUD_ROOT when set and not empty
  std::string exe_path;                 // the running program (/proc/self/exe)
  std::string build_root;               // <build dir>/share/sonaud
  std::string install_root;             // <prefix>/share/sonaud
};

// $SONAUD_ROOT when given; else the build tree's data root when that directory exists and the
// program runs from inside the build tree (the directory above its "share"); else the installed
// data root.
std::string ChooseDataRoot(const DataRootSources& sources);

// The data root of this process, from the environment and where the program runs.
std::string DataRoot();

// The family's data root as the settings and the program's own paths write it, the Windows way.
inline constexpr std::string_view kFamilyRoot = "c:\\sonaud\\";
// A path below the family's root, the Windows way: FamilyPath("som\\letras\\") is
// "c:\sonaud\som\letras\". MapWindowsPath finds it in the data root.
std::string FamilyPath(std::string_view below);

// The Linux path of a path written the Windows way. '\' becomes '/'. A drive path under
// "\sonaud" (any case; "c:\sonaud\som\x.wav") lies in the data root; any other drive path
// ("d:\foo") or rooted path ("\foo") becomes the absolute path "/foo"; a drive-relative path
// ("c:foo") and a relative path stay relative; a Linux absolute path is kept. Then every
// component that does not exist with its exact case is matched without regard to case against
// its directory (TAMBOR1.WAV finds tambor1.wav); from the first component that does not exist
// at all, the rest is kept as given, so that opening it fails as usual. A trailing separator is
// kept.
std::string MapWindowsPath(std::string_view windows_path, std::string_view data_root);
std::string MapWindowsPath(std::string_view windows_path);

// The case-blind component matching of MapWindowsPath alone, for a Linux path.
std::string ResolvePathNoCase(std::string_view path);

// The stand-in for the Windows directory: $AUDIRA_WINDIR, else $XDG_CONFIG_HOME/audira, else
// $HOME/.config/audira.
std::string WindowsDirectory();

// The AUDIRA.INI to read and to write: the Windows directory's copy when it exists, else the
// copy in `start_dir`, else the (not yet existing) file in the Windows directory, so that a
// stored setting is found again at the next start. The name is matched without regard to case.
std::string FindConfigFile(const std::string& start_dir);

// At first start, when neither the Windows directory nor `start_dir` holds an AUDIRA.INI,
// creates the Windows directory and copies the installed default (AUDIRA.INI of the data root)
// there in one atomic step. True when a configuration file exists afterwards; a failure leaves
// nothing behind, and the program then runs on its built-in defaults.
bool EnsureDefaultConfig(const std::string& start_dir);

}  // namespace cadencio::files
