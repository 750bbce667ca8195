// What the recorded voice needs from the speech front end: playing a sound image, the front
// end's busy test, the [TRADUTOR] settings of AUDIRA.INI, and where a Windows path lies on this
// machine. It waits through the program's base::Waiter.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace cadencio::voice {

class VoiceHost {
 public:
  virtual ~VoiceHost() = default;

  // Plays a WAVE image (44-byte header + samples): waits for earlier speech, plays the image
  // and waits until it ends or a key cuts it. The image is only valid during the call.
  virtual void PlayWavImage(std::span<const uint8_t> image) = 0;
  // True while sound plays; a waiting key stops everything and gives false.
  virtual bool SpeechBusy() = 0;
  // A key of section TRADUTOR of AUDIRA.INI, `dflt` when the key is missing.
  virtual std::string ReadTradutorKey(const std::string& key, const std::string& dflt) = 0;
  // The Linux path of a path written the Windows way ("c:\sonaud\som\letras\_97.wav");
  // by default the platform's mapping onto the data root.
  virtual std::string MapPath(const std::string& windows_path);
};

}  // namespace cadencio::voice
