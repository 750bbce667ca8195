// speech-dispatcher binding. libspeechd reports the end or cancelling of a message on its own
// thread; the callback only records it and posts the engine wake-up message, so that a loop of
// the program thread that waits for messages looks at the state again.
//
// Without a working sound output speech-dispatcher may accept a message and never report its
// end; the busy test therefore gives up once a message has been speaking much longer than any
// reading of its text can take (ServiceLimits).
#include "engines/speechd_engine.hpp"

#include <pthread.h>
#include <speech-dispatcher/libspeechd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "base/windows1252.hpp"
#include "engines/engine_voices.hpp"
#include "engines/speech_speed.hpp"

namespace cadencio::engines {

namespace {

using SteadyClock = std::chrono::steady_clock;

// How long the busy test waits for the end of the message.
constexpr auto kBusyWait = std::chrono::milliseconds(20);
// Texts longer than this are taken to speak no longer than this.
constexpr std::size_t kLongestTimedText = 4000;

// The end and cancel events of the one connection (only one engine binding is active at a
// time), shared with libspeechd's thread. Messages of one connection are spoken in order, so
// one number tells which have ended. The lock is never held across a call into libspeechd,
// whose thread also carries the replies.
struct ServiceEvents {
  std::mutex mutex;
  std::condition_variable ended;
  long speaking = 0;    // the message handed over last
  long ended_upto = 0;  // the latest message that ended or was cancelled
  base::MessageLoop* loop = nullptr;
  bool Speaking() const { return speaking > ended_upto; }
};

ServiceEvents& Events() {
  static ServiceEvents events;
  return events;
}

void OnMessageDone(size_t message, size_t /*client*/, SPDNotificationType /*type*/) {
  // The service's library ends this thread by cancelling it when the connection closes: the
  // callback runs whole or not at all (a cancel inside it would unwind through the lock and the
  // post), and a cancel waiting for it is taken after, in the library's own code.
  int cancel_state = 0;
  pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &cancel_state);
  {
    ServiceEvents& events = Events();
    std::lock_guard lock(events.mutex);
    events.ended_upto = std::max(events.ended_upto, static_cast<long>(message));
    events.ended.notify_all();
    // Posting only touches the thread-safe message queue.
    if (events.loop != nullptr) events.loop->Post({base::MessageKind::kWakeEngine});
  }
  pthread_setcancelstate(cancel_state, nullptr);
}

class SpeechdEngine final : public EngineBinding {
 public:
  SpeechdEngine(EngineContext& context, SPDConnection* connection, const ServiceLimits& limits)
      : context_(context), connection_(connection), limits_(limits) {}

  // The service's rate at speed 3 (-100..100); `set`: the settings chose it, so it is set there
  // too; else it is the service's own rate, the one its user chose, and stays as it is.
  void KeepRate(int rate, bool set) {
    rate_ = rate;
    rate_set_ = set;
  }
  ~SpeechdEngine() override { Close(); }

  void Speak(const std::string& given) override {
    const std::string text = given.empty() ? std::string(" ") : given;
    if (context_.text_given) context_.text_given(text);
    const std::string utf8 = base::Windows1252ToUtf8(text);
    const int message = spd_say(connection_, SPD_TEXT, utf8.c_str());
    if (message < 0) {
      if (context_.refused) context_.refused();
      return;
    }
    ServiceEvents& events = Events();
    std::lock_guard lock(events.mutex);
    events.speaking = std::max(events.speaking, static_cast<long>(message));
    const auto characters = static_cast<int>(std::min(text.size(), kLongestTimedText));
    give_up_at_ = SteadyClock::now() + limits_.base + limits_.per_character * characters;
  }

  // The service plays its sound itself.
  bool SoundsThroughPlayback() const override { return false; }
  bool Busy(int /*which*/) override {
    bool busy;
    {
      ServiceEvents& events = Events();
      std::unique_lock lock(events.mutex);
      events.ended.wait_for(lock, kBusyWait, [&] { return !events.Speaking(); });
      if (events.Speaking() && SteadyClock::now() >= give_up_at_) {
        events.ended_upto = events.speaking;
      }
      busy = events.Speaking();
    }
    if (busy) context_.waiter.Loop().Post({base::MessageKind::kWakeEngine});
    return busy;
  }

  void Stop() override {
    spd_cancel(connection_);
    {
      ServiceEvents& events = Events();
      std::lock_guard lock(events.mutex);
      events.ended_upto = events.speaking;
    }
    context_.waiter.Delay(50);
  }

  void End() override {
    while (Busy(0)) context_.waiter.Delay(300);
    Close();
  }

  void SetSpeed(int speed) override {
    // At speed 3 the service's own rate is left alone, unless another speed changed it.
    if (speed == kNormalSpeed && !rate_set_ && !changed_) return;
    changed_ = speed != kNormalSpeed;
    // A failure keeps the rate it had.
    spd_set_voice_rate(connection_, ServiceRateTimes(rate_, SpeedFactor(speed)));
  }

 private:
  void Close() {
    if (connection_ == nullptr) return;
    spd_close(connection_);  // joins libspeechd's event thread
    connection_ = nullptr;
    ServiceEvents& events = Events();
    std::lock_guard lock(events.mutex);
    events.ended_upto = events.speaking;
    events.loop = nullptr;
  }

  EngineContext& context_;
  SPDConnection* connection_;
  ServiceLimits limits_;
  int rate_ = 0;
  bool rate_set_ = false;
  bool changed_ = false;  // a speed other than 3 changed the service's own rate
  SteadyClock::time_point give_up_at_{};
};

// The voices of the current output module, in the service's order.
std::vector<std::string> VoiceNames(SPDConnection* connection,
                                    std::vector<std::string>& languages) {
  std::vector<std::string> names;
  SPDVoice** voices = spd_list_synthesis_voices(connection);
  for (std::size_t i = 0; voices != nullptr && voices[i] != nullptr; ++i) {
    names.emplace_back(voices[i]->name ? voices[i]->name : "");
    languages.emplace_back(voices[i]->language ? voices[i]->language : "");
  }
  if (voices != nullptr) free_spd_voices(voices);
  return names;
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// libspeechd 0.11 does not free one text of a failed connection. Sanitized builds tell their
// leak checker so; glib has no frame pointers, so the quick stack of that leak ends at
// vasprintf.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:spd_open2\nleak:__vasprintf_internal\n";
}
#endif

int ServiceRate(int rate) {
  return std::clamp(rate * 10, -100, 100);
}

std::unique_ptr<EngineBinding> StartSpeechDispatcher(EngineContext& context,
                                                     const EngineVoice& voice,
                                                     const ServiceLimits& limits) {
  char* error = nullptr;
  SPDConnection* connection =
      spd_open2("cadencio", "speech", nullptr, SPD_MODE_THREADED, nullptr, 1, &error);
  std::free(error);
  if (connection == nullptr) return nullptr;
  {
    ServiceEvents& events = Events();
    std::lock_guard lock(events.mutex);
    events.speaking = events.ended_upto = 0;
    events.loop = &context.waiter.Loop();
  }
  connection->callback_end = OnMessageDone;
  connection->callback_cancel = OnMessageDone;
  auto engine = std::make_unique<SpeechdEngine>(context, connection, limits);
  if (spd_set_notification_on(connection, SPD_END) != 0 ||
      spd_set_notification_on(connection, SPD_CANCEL) != 0) {
    return nullptr;
  }
  std::vector<std::string> languages;
  const std::vector<std::string> names = VoiceNames(connection, languages);
  if (names.empty()) return nullptr;
  int number = voice.voice;
  int rate = voice.rate;
  if (number < 1 || number > static_cast<int>(names.size())) {
    number = 1;
    rate = 0;
  }
  const int index = VoiceIndex(languages, number);
  if (spd_set_synthesis_voice(connection, names[static_cast<std::size_t>(index)].c_str()) != 0) {
    return nullptr;
  }
  // Rate 0 is the service's normal rate: the one its user set (a screen reader's user above
  // all), which setting 0 would replace by speech-dispatcher's middle rate; the speeds other
  // than 3 are faster or slower than it.
  engine->KeepRate(rate != 0 ? ServiceRate(rate) : spd_get_voice_rate(connection), rate != 0);
  engine->SetSpeed(voice.speed);
  return engine;
}

}  // namespace cadencio::engines
