// The engine dispatch: which speech engine takes whole texts instead of the recorded voice,
// and the five operations routed to it. The engine kind (TIPOSAPI) chooses the family: the
// built-in Portuguese TTS, the desktop's speech service (speech-dispatcher) or the in-process
// engine (espeak-ng). The program hands each family its starter; a family without one, or a
// start that fails, leaves no engine, and the recorded voice speaks.
#pragma once

#include <functional>
#include <memory>

#include "engines/engine_binding.hpp"

namespace cadencio::engines {

enum class EngineFamily { kInProcess, kService, kSivra };

// The binding that an engine kind (TIPOSAPI) selects.
EngineFamily FamilyOf(int kind);
// The usual engine kind, the in-process engine's: the only kind whose rate may be above 10
// (words per minute).
inline constexpr int kUsualKind = 4;

// Starts one family's binding; null when it cannot start.
using EngineStarter =
    std::function<std::unique_ptr<EngineBinding>(EngineContext&, const EngineVoice&)>;

class EngineDispatch {
 public:
  // The context must outlive this object.
  explicit EngineDispatch(EngineContext context);
  ~EngineDispatch();
  EngineDispatch(const EngineDispatch&) = delete;
  EngineDispatch& operator=(const EngineDispatch&) = delete;

  // Starts the engine of `kind` and waits (testing every 50 ms) until what it says on start
  // has ended; false when it cannot start.
  bool StartEngine(int voice, int rate, int pitch, int kind);
  void EndEngine();
  void EngineSpeak(const std::string& text);
  // Handles pending messages first; which 1: a text is still queued, 0: or still sounding.
  bool EngineBusy(int which);
  void EngineStop();
  // The speech speed level (1..5) of the engine started now and of the next one.
  void SetEngineSpeed(int speed);
  // The TIPOSAPI value of the last start (the usual kind before any), and its family.
  int EngineKind() const { return kind_; }
  EngineFamily Family() const { return FamilyOf(kind_); }
  bool Started() const { return binding_ != nullptr; }
  // Whether what the engine says goes through the program's WAV playback (true without one).
  bool SoundsThroughPlayback() const { return !binding_ || binding_->SoundsThroughPlayback(); }

  // Sets the binding that starts a family's engine (the program sets all three; tests set
  // their own).
  void SetStarter(EngineFamily family, EngineStarter starter);

 private:
  EngineContext context_;
  int kind_ = kUsualKind;
  int speed_ = kNormalSpeed;
  std::unique_ptr<EngineBinding> binding_;
  EngineStarter in_process_, service_, sivra_;
};

}  // namespace cadencio::engines
