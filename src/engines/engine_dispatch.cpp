// Engine dispatch: the start with its wait for the start-up speech, and the routing of speak,
// busy, stop and end to the bound engine.
#include "engines/engine_dispatch.hpp"

namespace cadencio::engines {

EngineFamily FamilyOf(int kind) {
  // The values the settings have always used: 3 the built-in TTS, 5 and 54 the speech service.
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

bool EngineDispatch::StartEngine(int voice, int rate, int pitch, int kind) {
  binding_.reset();
  kind_ = kind;
  const EngineVoice settings{voice, rate, pitch, speed_};
  const EngineStarter& starter = Family() == EngineFamily::kSivra     ? sivra_
                                 : Family() == EngineFamily::kService ? service_
                                                                      : in_process_;
  if (starter) binding_ = starter(context_, settings);
  if (!binding_) return false;
  while (EngineBusy(1)) context_.waiter.Delay(50);
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
  context_.waiter.PumpAllMessages();
  return binding_ && binding_->Busy(which);
}

void EngineDispatch::EngineStop() {
  if (binding_) binding_->Stop();
}

void EngineDispatch::SetEngineSpeed(int speed) {
  if (speed == speed_) return;
  speed_ = speed;
  if (binding_) binding_->SetSpeed(speed);
}

}  // namespace cadencio::engines
