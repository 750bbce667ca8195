// Sivra glue: starting the built-in TTS, and the wake-up message after each of its operations.
#include "engines/sivra_glue.hpp"

#include "engines/speech_speed.hpp"
#include "files/paths.hpp"

namespace cadencio::engines {

namespace {

bool EndsInSeparator(const std::string& dir) {
  return !dir.empty() && (dir.back() == '\\' || dir.back() == '/');
}

void Wake(base::Waiter& waiter) {
  waiter.Loop().Post({base::MessageKind::kWakeEngine});
}

class SivraBinding final : public EngineBinding {
 public:
  SivraBinding(EngineContext& context, tts::MbrolaLoader load_mbrola)
      : context_(context),
        host_(context.wav, context.message_box),
        engine_(host_, std::move(load_mbrola)) {}

  bool Start(const EngineVoice& voice, const SivraFileSet& files) {
    engine_.SivraSetOutputFile("");  // the speech is heard, not written
    const bool started = engine_.SivraStart(files.database, files.rules, files.exceptions,
                                            files.abbreviations, files.prosody, files.diphones);
    pitch_factor_ = SivraPitchFactor(voice.pitch);
    duration_factor_ = SivraDurationFactor(voice.rate);
    SetSpeed(voice.speed);
    return started;
  }

  // A faster speed makes every duration shorter by its factor.
  void SetSpeed(int speed) override {
    engine_.SivraSetFactors(pitch_factor_, duration_factor_ / SpeedFactor(speed));
  }

  void Speak(const std::string& text) override {
    if (context_.text_given) context_.text_given(text);
    engine_.SivraSpeak(text);
    Wake(context_.waiter);
  }

  bool Busy(int /*which*/) override {
    bool busy = engine_.SivraBusy();
    if (context_.waiter.KeyPressed()) {
      Stop();
      busy = false;
    }
    Wake(context_.waiter);
    return busy;
  }

  void Stop() override {
    engine_.SivraStop();
    Wake(context_.waiter);
  }

  void End() override {
    while (Busy(0)) context_.waiter.Delay(500);
    Stop();
    engine_.SivraClose();
  }

 private:
  EngineContext& context_;
  SivraHostAdapter host_;
  tts::SivraEngine engine_;
  double pitch_factor_ = 1;
  double duration_factor_ = 1;  // at speed 3
};

}  // namespace

SivraFileSet LoadSivraConfig(const IniReader& read_ini, const MbrolaVoiceLookup& find_voice) {
  SivraFileSet files;
  files.database = read_ini("SIVRATTS", "MBROLA_DB");
  files.dir = read_ini("SIVRATTS", "DIR");
  files.base = read_ini("SIVRATTS", "BASE");
  if (files.database.empty()) files.database = "br4";
  if (files.dir.empty()) {
    // The directory of the installed br4 voice file: its path without the file name "br4".
    std::optional<std::string> voice = find_voice ? find_voice("br4") : std::nullopt;
    files.dir = voice && voice->size() >= 3 ? voice->substr(0, voice->size() - 3)
                                            : files::FamilyPath("sivratts\\");
  }
  if (files.base.empty()) files.base = "portug";
  if (!EndsInSeparator(files.dir)) files.dir += '\\';
  auto path = [&](const char* extension) {
    return files::MapWindowsPath(files.dir + files.base + extension);
  };
  files.rules = path(".nrl");
  files.exceptions = path(".exc");
  files.abbreviations = path(".abr");
  files.prosody = path(".pro");
  files.diphones = path(".dfn");
  return files;
}

double SivraPitchFactor(int pitch) {
  return (pitch + 11) / 11.0;
}

double SivraDurationFactor(int rate) {
  return 0.8 - rate / 15.0;
}

std::unique_ptr<EngineBinding> SivraGlueStart(EngineContext& context, const EngineVoice& voice,
                                              const SivraFileSet& files,
                                              tts::MbrolaLoader load_mbrola) {
  // A binding that did not start is dropped with its engine, which releases what it loaded.
  auto binding = std::make_unique<SivraBinding>(context, std::move(load_mbrola));
  if (binding->Start(voice, files)) return binding;
  return nullptr;
}

}  // namespace cadencio::engines
