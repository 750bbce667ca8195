// Telephone-key tones from their recordings in the letters directory.
#include "dialogs/telephone_tones.hpp"

#include "base/windows1252.hpp"
#include "files/paths.hpp"
#include "speech/speech_front_end.hpp"

namespace cadencio::dialogs {

void SpeakDtmf(console::Console& console, speech::SpeechFrontEnd& speech, std::string_view text) {
  auto& wav = speech.Wav();
  const bool fast = wav.FastPlayback();
  wav.SetFastPlayback(false);
  for (char c : text) {
    if (console.KeyPressed()) break;
    const uint8_t ch = base::AsciiUpperCase(static_cast<uint8_t>(c));
    if (ch == '#' || ch == '*' || (ch >= '0' && ch <= '9')) {
      std::string path =
          speech.LettersDir() + "dtmf_" + (ch == '*' ? 'X' : static_cast<char>(ch)) + ".wav";
      speech.Notify(speech::SpeechEvent::kWavFile, path);
      wav.PlayWavFile(files::MapWindowsPath(path));
      while (speech.SpeechBusy()) console.WaitMessage();
      console.Delay(100);
    } else if (ch == ',') {
      console.Delay(1000);
    }
  }
  wav.SetFastPlayback(fast);
}

}  // namespace cadencio::dialogs
