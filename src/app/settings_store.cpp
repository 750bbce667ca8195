// Stored defaults: reading them at start-up and the F2 question that writes them.
#include "app/settings_store.hpp"

#include "app/message_catalogue.hpp"
#include "platform/profile_file.hpp"

namespace cadencio::app {

namespace {

// Values are stored at most this long.
constexpr std::size_t kMaxStoredValue = 144;

}  // namespace

void LoadDefaults(speech::SpeechFrontEnd& speech, MetronomeState& state) {
  state.BpmText = speech.ReadIniString("CADENCIO", "BPM");
  state.MeasureText = speech.ReadIniString("CADENCIO", "COMPASSO");
  state.TempoSound = speech.ReadIniString("CADENCIO", "SOMTEMPO");
  state.MeasureSound = speech.ReadIniString("CADENCIO", "SOMCOMPASSO");
}

std::string MeasureWord(int beats_per_measure) {
  switch (beats_per_measure) {
    case 2:
      return "Bin\xE1rio";
    case 3:
      return "Tern\xE1rio";
    default:
      return "Quatern\xE1rio";
  }
}

std::string SoundName(const std::string& path) {
  std::size_t slash = path.find_last_of('\\');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  name.resize(name.size() >= 4 ? name.size() - 4 : 0);
  return name;
}

void StoreDefaults(console::Console& console, speech::SpeechFrontEnd& speech,
                   MetronomeState& state) {
  console.WriteLine();
  SayMessage(console, speech, "CAASSPAD", 0);
  uint8_t answer = speech.ReadKeySpoken();
  console.Write(std::string(1, static_cast<char>(answer)));
  console.WriteLine();
  if (answer != 's' && answer != 'S') {
    SayMessage(console, speech, "CADESIST", 1);
    return;
  }
  state.BpmText = std::to_string(state.Bpm);
  state.MeasureText = MeasureWord(state.BeatsPerMeasure);
  auto stored = [](std::string value) { return value.substr(0, kMaxStoredValue); };
  // One atomic replacement of the file: the four keys in this order, everything else kept.
  // When the file cannot be written the old one stays whole and the user is told so, rather
  // than hearing that the model was stored.
  bool written =
      platform::ProfileFile::WriteStrings(speech.ConfigFile(), "CADENCIO",
                                          {{"BPM", stored(state.BpmText)},
                                           {"COMPASSO", stored(state.MeasureText)},
                                           {"SOMTEMPO", stored(SoundName(state.TempoSound))},
                                           {"SOMCOMPASSO", stored(SoundName(state.MeasureSound))}});
  SayMessage(console, speech, written ? "MODPAD" : "CAERRGRV", 1);
}

}  // namespace cadencio::app
