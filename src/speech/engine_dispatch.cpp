// Engine dispatch: the start with its wait for the start-up speech, and the routing of speak,
// busy, stop and end to the bound engine.
#include "speech/engine_dispatch.hpp"

#include "platform/mbrola_voices.hpp"
#include "speech/espeak_engine.hpp"
#include "speech/speechd_engine.hpp"

namespace cadencio::speech {

EngineFamily FamilyOf(int kind) {
  if (kind == 3) return EngineFamily::kSivra;
  if (kind == 5 || kind == 54) return EngineFamily::kService;
  return EngineFamily::kInProcess;
}

EngineDispatch::EngineDispatch(EngineContext context) : context_(std::move(context)) {}

EngineDispatch::~EngineDispatch() = default;

void EngineDispatch::SetStarter(EngineFamily family, EngineStarter starter) {
  switch (family) {
    case EngineFamily::kInProcess:
      in_process_ = std::move(starter);
      break;
    case EngineFamily::kService:
      service_ = std::move(starter);
      break;
    case EngineFamily::kSivra:
      sivra_ = std::move(starter);
      break;
  }
}

// The file set is read when the built-in TTS is first started, by then from the AUDIRA.INI
// that the front end reads; the values are the same as when read at program start.
const SivraFileSet& EngineDispatch::SivraFiles() {
  if (!sivra_files_) {
    sivra_files_ = LoadSivraConfig(
        context_.read_ini, [](const std::string& name) { return platform::FindMbrolaVoice(name); });
  }
  return *sivra_files_;
}

bool EngineDispatch::StartEngine(int voice, int rate, int pitch, int kind) {
  binding_.reset();
  kind_ = kind;
  const EngineVoice settings{voice, rate, pitch};
  switch (FamilyOf(kind)) {
    case EngineFamily::kInProcess:
      binding_ = in_process_ ? (*in_process_)(context_, settings) : Sapi4Start(context_, settings);
      break;
    case EngineFamily::kService:
      binding_ = service_ ? (*service_)(context_, settings) : Sapi5Start(context_, settings);
      break;
    case EngineFamily::kSivra:
      binding_ =
          sivra_ ? (*sivra_)(context_, settings) : SivraGlueStart(context_, settings, SivraFiles());
      break;
  }
  if (!binding_) return false;
  while (EngineBusy(1)) context_.console.Delay(50);
  return true;
}

void EngineDispatch::EndEngine() {
  if (binding_) binding_->End();
  binding_.reset();
}

void EngineDispatch::EngineSpeak(const std::string& text) {
  if (binding_) binding_->Speak(text);
}

bool EngineDispatch::EngineBusy(int which) {
  context_.console.PumpAllMessages();
  return binding_ && binding_->Busy(which);
}

void EngineDispatch::EngineStop() {
  if (binding_) binding_->Stop();
}

}  // namespace cadencio::speech
