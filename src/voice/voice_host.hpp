// What the recorded voice needs from the speech front end and the console: playing a sound
// image, the busy test and message wait of the front end, whether a key waits, the [TRADUTOR]
// settings of AUDIRA.INI, and where a Windows path lies on this machine.
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
  // Blocks until a message or input arrives (the body of every wait loop).
  virtual void WaitMessage() = 0;
  // True when a key waits in the console's queue (it is not read).
  virtual bool KeyWaiting() = 0;
  // A key of section TRADUTOR of AUDIRA.INI, `dflt` when the key is missing.
  virtual std::string ReadTradutorKey(const std::string& key, const std::string& dflt) = 0;
  // The Linux path of a path written the Windows way ("c:\sonaud\som\letras\_97.wav");
  // by default the platform's mapping onto the data root.
  virtual std::string MapPath(const std::string& windows_path);
};

}  // namespace cadencio::voice
