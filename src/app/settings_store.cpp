// Stored defaults: reading them at start-up and the F2 question that writes them.
#include "app/settings_store.hpp"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>

#include "app/beat_sounds.hpp"
#include "app/listening/listener.hpp"
#include "app/message_catalogue.hpp"
#include "app/polyrhythm.hpp"
#include "base/whole_number.hpp"
#include "base/windows1252.hpp"
#include "files/profile_file.hpp"

namespace cadencio::app {

namespace {

// Values are stored at most this long.
constexpr std::size_t kMaxStoredValue = 144;

// A stored setting of the keys beyond the classic ones: its value when it is a whole number in
// range, otherwise the value that plays as before.
int32_t StoredSetting(const files::AudiraSettings& settings, const char* key, int32_t low,
                      int32_t high, int32_t fallback) {
  const std::optional<int> value = base::ParseWholeNumber(settings.ReadIniString("CADENCIO", key));
  return !value || *value < low || *value > high ? fallback : *value;
}

// A stored latency: milliseconds from 0 to Listener::kMaxDelayMs; -1 for none or a bad value.
double StoredLatency(const std::string& text) {
  const std::string_view value = base::TrimBlanks(text);
  double ms = -1;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), ms);
  if (error != std::errc() || end != value.data() + value.size() || !(ms >= 0) ||
      ms > static_cast<double>(Listener::kMaxDelayMs)) {
    return -1;
  }
  return ms;
}

}  // namespace

bool StoreLatency(const files::AudiraSettings& settings, double latency_ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", latency_ms);
  return files::ProfileFile::WriteStrings(settings.ConfigFile(), "CADENCIO", {{"LATENCIA", text}});
}

void LoadDefaults(const files::AudiraSettings& settings, MetronomeState& state) {
  state.BpmText = settings.ReadIniString("CADENCIO", "BPM");
  state.MeasureText = settings.ReadIniString("CADENCIO", "COMPASSO");
  state.TempoSound = settings.ReadIniString("CADENCIO", "SOMTEMPO");
  state.MeasureSound = settings.ReadIniString("CADENCIO", "SOMCOMPASSO");
  state.BeatVolume =
      StoredSetting(settings, "VOLUME", kMinBeatVolume, kMaxBeatVolume, kMaxBeatVolume);
  state.Subdivisions = StoredSetting(settings, "SUBDIVISOES", 1, kMaxSubdivisions, 1);
  state.CountAloud = StoredSetting(settings, "CONTAGEM", 0, 1, 0) == 1;
  state.CountIn = StoredSetting(settings, "CONTAGEMINICIAL", 0, 1, 0) == 1;
  state.PlayedMeasures = StoredSetting(settings, "COMPASSOSTOCADOS", 0, kMaxMeasureCount, 0);
  state.MutedMeasures = StoredSetting(settings, "COMPASSOSMUDOS", 0, kMaxMeasureCount, 0);
  state.TrainerTarget = StoredSetting(settings, "TREINOFINAL", 0, kMaxBpm, 0);
  state.TrainerStep = StoredSetting(settings, "TREINOPASSO", 0, kMaxBpm, 0);
  state.TrainerEvery = StoredSetting(settings, "TREINOCOMPASSOS", 0, kMaxMeasureCount, 0);
  // The accents are kept whatever their length; they play while they fit the measure.
  const std::string accents = settings.ReadIniString("CADENCIO", "ACENTOS");
  if (auto pattern = ParsePattern(accents, static_cast<int>(accents.size()))) {
    state.Accents = *pattern;
  }
  state.CountByGroups = StoredSetting(settings, "CONTAGEMGRUPOS", 0, 1, 0) == 1;
  state.LayerNotes = StoredSetting(settings, "POLIRRITMO", 2, audio::kMaxLayerNotes, 0);
  const std::string layer_sound = settings.ReadIniString("CADENCIO", "SOMCAMADA");
  state.LayerSound = layer_sound.empty() ? "" : EffectPath(layer_sound);
  state.LayerVolume =
      StoredSetting(settings, "VOLUMECAMADA", kMinBeatVolume, kMaxBeatVolume, state.LayerVolume);
  state.CountLayer = StoredSetting(settings, "CONTAGEMCAMADA", 0, 1, 0) == 1;
  state.Swing = SwingOfPercent(StoredSetting(settings, "SWING", 50, 75, 50)).value_or(0);
  state.Shuffle = StoredSetting(settings, "SHUFFLE", 0, 1, 0) == 1;
  state.LatencyMs = StoredLatency(settings.ReadIniString("CADENCIO", "LATENCIA"));
  state.LinkOn = StoredSetting(settings, "LINK", 0, 1, 0) == 1;
  // The trainer runs only with all three of its settings.
  if (state.TrainerStep == 0 || state.TrainerEvery == 0) state.StopTrainer();
}

std::string MeasureWord(int beats_per_measure) {
  switch (beats_per_measure) {
    case 2:
      return "Bin\xE1rio";
    case 3:
      return "Tern\xE1rio";
    case 4:
      return "Quatern\xE1rio";
    default:
      // Any other measure keeps its digit, which the reader takes as the measure itself; a
      // word would turn it into four beats at the next start.
      return std::to_string(beats_per_measure);
  }
}

std::optional<int> MeasureOfKey(uint8_t key) {
  switch (base::AsciiUpperCase(key)) {
    case 'B':
      return 2;
    case 'T':
      return 3;
    case 'Q':
      return 4;
    default:
      break;
  }
  // A measure of 0 beats plays only the first-beat sound, as a measure of 1 does: it is one.
  if (key >= '0' && key <= '9') return std::max(1, key - '0');
  return std::nullopt;
}

std::optional<int> StoredMeasure(std::string_view text) {
  // A number is read whole: "16" is not a measure of 1.
  if (const std::optional<int> beats = base::ParseWholeNumberClamped(base::TrimBlanks(text))) {
    if (*beats >= 0 && *beats <= kMaxAccentBeats) return std::max(1, *beats);
    return std::nullopt;
  }
  if (text.empty()) return std::nullopt;
  return MeasureOfKey(static_cast<uint8_t>(text.front()));
}

std::string SoundName(const std::string& path) {
  std::size_t slash = path.find_last_of('\\');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  name.resize(name.size() >= 4 ? name.size() - 4 : 0);
  return name;
}

void StoreDefaults(console::Console& console, speech::SpeechFrontEnd& speech,
                   dialogs::SpokenKeyReader& keys, const files::AudiraSettings& settings,
                   MetronomeState& state) {
  console.WriteLine();
  SayMessage(console, speech, "CAASSPAD", 0);
  uint8_t answer = keys.ReadKeySpoken();
  console.Write(std::string(1, static_cast<char>(answer)));
  console.WriteLine();
  if (answer != 's' && answer != 'S') {
    SayMessage(console, speech, "CADESIST", 1);
    return;
  }
  state.BpmText = std::to_string(state.Bpm);
  state.MeasureText = MeasureWord(state.BeatsPerMeasure);
  auto stored = [](std::string value) { return value.substr(0, kMaxStoredValue); };
  // One atomic replacement of the file: the four classic keys in this order, then the settings
  // of the newer keys, everything else kept.
  // When the file cannot be written the old one stays whole and the user is told so, rather
  // than hearing that the model was stored.
  files::ProfileEntries entries = {{"BPM", stored(state.BpmText)},
                                   {"COMPASSO", stored(state.MeasureText)},
                                   {"SOMTEMPO", stored(SoundName(state.TempoSound))},
                                   {"SOMCOMPASSO", stored(SoundName(state.MeasureSound))}};
  // A newer setting is written when it is not at its first value or is stored already, so the
  // file of a user who never touched it stays as it always was.
  auto add_setting = [&](const char* key, int32_t value, int32_t first) {
    if (value != first || !settings.ReadIniString("CADENCIO", key).empty()) {
      entries.push_back({key, std::to_string(value)});
    }
  };
  add_setting("VOLUME", state.BeatVolume, kMaxBeatVolume);
  add_setting("SUBDIVISOES", state.Subdivisions, 1);
  add_setting("CONTAGEM", state.CountAloud ? 1 : 0, 0);
  add_setting("CONTAGEMINICIAL", state.CountIn ? 1 : 0, 0);
  add_setting("COMPASSOSTOCADOS", state.PlayedMeasures, 0);
  add_setting("COMPASSOSMUDOS", state.MutedMeasures, 0);
  add_setting("TREINOFINAL", state.TrainerTarget, 0);
  add_setting("TREINOPASSO", state.TrainerStep, 0);
  add_setting("TREINOCOMPASSOS", state.TrainerEvery, 0);
  add_setting("CONTAGEMGRUPOS", state.CountByGroups ? 1 : 0, 0);
  add_setting("POLIRRITMO", state.LayerNotes, 0);
  add_setting("VOLUMECAMADA", state.LayerVolume, MetronomeState{}.LayerVolume);
  add_setting("CONTAGEMCAMADA", state.CountLayer ? 1 : 0, 0);
  add_setting("SWING", kSwingSteps[static_cast<std::size_t>(state.Swing)].percent, 50);
  add_setting("SHUFFLE", state.Shuffle ? 1 : 0, 0);
  if (!state.LayerSound.empty() || !settings.ReadIniString("CADENCIO", "SOMCAMADA").empty()) {
    entries.push_back({"SOMCAMADA", stored(SoundName(state.LayerSound))});
  }
  add_setting("LINK", state.LinkOn ? 1 : 0, 0);
  const AccentPattern accents = PatternFor(state);
  if (!IsDefault(accents) || !settings.ReadIniString("CADENCIO", "ACENTOS").empty()) {
    entries.push_back({"ACENTOS", PatternText(accents)});
  }
  bool written = files::ProfileFile::WriteStrings(settings.ConfigFile(), "CADENCIO", entries);
  SayMessage(console, speech, written ? "MODPAD" : "CAERRGRV", 1);
}

}  // namespace cadencio::app
