// Listening while the metronome plays, as the main loop turns it on and off: the capture device
// opened and closed, the listener fed with each rule the beat publishes and given a pass while
// the beat plays, a device that stops told once (the beat goes on), and the last verdict kept
// after listening ends, until the next take.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "app/listening/listener.hpp"
#include "console/console.hpp"
#include "speech/speech_front_end.hpp"

namespace cadencio::app {

class ListenSession {
 public:
  using InputOpener = std::function<std::unique_ptr<audio::AudioInput>()>;
  // How often the listener is given a pass while the beat plays.
  static constexpr int64_t kPassMs = 20;

  // Everything given must outlive the session.
  ListenSession(console::Console& console, speech::SpeechFrontEnd& speech,
                audio::AudioOutput& output);

  void SetOpener(InputOpener open) { open_ = std::move(open); }
  // Opens the capture device and listens; false, with nothing open, when none opens.
  bool Start(std::optional<double> latency_ms);
  void Stop();
  bool Listening() const { return listener_ != nullptr; }

  // The beat's rules, as they are published.
  void Follow(const audio::BeatRule& rule);
  // One pass while the beat plays: hears what came in, a shared rule's beat placed by `view`
  // (where the shared timeline's beats fall now; none for a rule of its own). A device that
  // stopped is told once ("O microfone parou") and listening ends; the beat goes on.
  void Pass(const audio::TimelineView& view = {});
  // The take so far (or the last one, after listening ended); nothing before any take.
  std::optional<Verdict> Result() const;
  // Says and writes the verdict; "Escuta desligada" when there has been no take.
  void SayVerdict();
  // At the end of a trainer run or a song: the verdict is said when notes were heard, and a new
  // take begins.
  void EndOfRun();
  // A new take begins (a trainer run starts).
  void NewTake() {
    if (listener_) listener_->NewTake();
  }
  // A latency stored by the calibration is in use but not the beat's own: told with the verdict.
  bool LatencyUnknown() const;

 private:
  console::Console& console_;
  speech::SpeechFrontEnd& speech_;
  audio::AudioOutput& output_;
  InputOpener open_;
  std::unique_ptr<audio::AudioInput> input_;
  std::unique_ptr<Listener> listener_;
  std::optional<Verdict> kept_;  // the last take's, once listening ended
  bool latency_unknown_ = false;
};

}  // namespace cadencio::app
