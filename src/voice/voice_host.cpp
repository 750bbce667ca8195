// The recorded voice's default mapping of Windows paths onto the data root.
#include "voice/voice_host.hpp"

#include "files/paths.hpp"

namespace cadencio::voice {

std::string VoiceHost::MapPath(const std::string& windows_path) {
  return files::MapWindowsPath(windows_path);
}

}  // namespace cadencio::voice
