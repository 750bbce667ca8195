// The auwin module: the one way the program talks to the user. It speaks texts (cut into digit
// runs read as numbers, word runs for the recorded voice, and marks), plays prompt recordings,
// speaks single characters from their letter recordings and plays the generated beep and
// click. Every wait ends when a key is pressed, and the key stays queued for the caller.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "audio/wave_out/wav_playback.hpp"
#include "base/clock.hpp"
#include "base/screen_writer.hpp"
#include "base/waiter.hpp"
#include "engines/engine_dispatch.hpp"
#include "files/audira_settings.hpp"
#include "speech/speech_events.hpp"
#include "voice/tune.hpp"

namespace cadencio::speech {

// The per-speed settings of section SINTETIZADOR.
struct SynthSettings {
  std::string database;  // at most 8 characters
  int piece_cut = 0;
  int piece_surplus = 0;
  int word_gap = 0;
  bool cut_speech = false;
  bool fast_playback = false;
  int full_stop_pause_ms = 250;
  int comma_pause_ms = 150;
  int colon_pause_ms = 200;
};

// The recorded voice as the front end drives it: opened at start, handed the per-speed
// settings, speaking runs of words, and naming its letters directory.
class RecordedVoicePort {
 public:
  virtual ~RecordedVoicePort() = default;
  // 0 when ready, else an error code to report.
  virtual int Open() = 0;
  virtual void Close() = 0;
  virtual void SetSettings(const SynthSettings& settings) = 0;
  // Translates a run of words to the phonetic text and speaks it with the tune; returns the
  // phonetic text.
  virtual std::string SpeakWords(std::string_view words, voice::Tune tune) = 0;
  virtual std::string DatabaseName() const = 0;
};

// What the front end leaves to the program, which owns the keys and the program's end; the
// composition root supplies them. A report not given is passed over.
struct SpeechReports {
  // The recorded voice cannot start and `lines` say why: shows them, waits for Enter and ends
  // the program.
  std::function<void(const std::vector<std::string>& lines)> voice_failed{};
  // An engine's message: shows and says `text` and holds it until a key is pressed.
  std::function<void(const std::string& text)> engine_message{};
  // The speech service did not take a text: the screen's bell.
  std::function<void()> service_refused{};
};

class SpeechFrontEnd {
 public:
  // The voice's settings are read from `settings`; the waits go through `waiter`, the texts
  // to the screen through `screen`, and events are timed by `clock`. All must outlive this
  // object.
  SpeechFrontEnd(base::Waiter& waiter, base::ScreenWriter& screen, base::Clock& clock,
                 audio::WavPlayback& wav, const files::AudiraSettings& settings);
  SpeechFrontEnd(const SpeechFrontEnd&) = delete;
  SpeechFrontEnd& operator=(const SpeechFrontEnd&) = delete;

  // The recorded voice; without one, word runs are not spoken (the front end still plays
  // prompts, letters, numbers, beeps and clicks).
  void AttachRecordedVoice(RecordedVoicePort* voice) { voice_ = voice; }
  // The screen-reader mode: no voice or engine starts and nothing is said; what would be said
  // and is not on the screen already is appended as a line for the user's screen reader and
  // braille display (the front end must write lines). Beeps, clicks and the recordings that
  // are sounds, not speech, still play. Set before InitSpeech.
  void SetWrittenSpeech(bool on);
  bool WritesSpeech() const { return written_speech_; }
  // The text of a prompt recording (the catalogue's), to write it in the screen-reader mode;
  // a prompt without one that is not a word of the letters directory is a sound and plays.
  void SetPromptTexts(std::function<std::optional<std::string>(const std::string&)> texts) {
    prompt_texts_ = std::move(texts);
  }
  // For a key that only changes speech: in the screen-reader mode, says that the screen
  // reader's own settings apply and returns true (the change is not made).
  bool LeftToScreenReader();
  void SetObserver(SpeechObserver observer) { observer_ = std::move(observer); }
  void SetReports(SpeechReports reports) { reports_ = std::move(reports); }

  // Starts the voice at a speed level (0: read [TRADUTOR] VELOCIDADE) with the program's
  // prompt directory. When the recorded voice cannot open, reports it (voice_failed), which
  // ends the program.
  void InitSpeech(int speed, const std::string& prompt_dir);
  void EndSpeech();
  void LoadSynthSettings(int speed);

  // Speaks a message the program composes: a mark that ends a phrase (", " ". " "? " ...) is
  // only a pause; a mark inside a word or number ("3.5") is read.
  void SpeakText(std::string_view text);
  // Reads a text from the screen or a field as it stands: every mark is named (a comma
  // "vírgula") before its pause.
  void ReadText(std::string_view text);
  // Shows a message that is only spoken, not written on the screen, where the front end has
  // room beside the screen (the window's status band).
  void ShowSpoken(std::string_view text) { screen_.ShowSpoken(text); }
  void WriteSpeak(std::string_view text);
  void WriteSpeakLine(std::string_view text);
  void SpeakChar(uint8_t ch);
  void SpellText(std::string_view text);
  // Plays the word recordings of the letters directory named by `words` (blank-separated)
  // joined into few sounds, so no gaps are heard, and waits for the end; with `feminine` the
  // last word "um"/"dois" is read "uma"/"duas". A missing recording drops only its word.
  void SpeakNumberWords(const std::string& words, bool feminine);
  bool HasPromptWav(const std::string& name) const;
  void PlayPromptWav(const std::string& name);
  // Plays a WAVE image and waits for its end (or a key).
  void PlayWavImage(const std::vector<uint8_t>& image);
  // Plays 8-bit mono samples at the recorded voice's rate (11025 per second) and waits for
  // their end (or a key).
  void PlayVoiceSamples(std::span<const uint8_t> samples);
  void PlayBeep();
  void PlayClick();
  bool SpeechBusy();
  void WaitSpeechEnd();
  void StopSpeech();
  void SpeechPause(int ms);
  void PunctuationPause(std::string_view text);

  // The file names a prompt is played from.
  std::string PromptPath(const std::string& name) const;
  const std::string& LettersDir() const { return letters_dir_; }
  int Speed() const { return speed_; }
  const std::string& PromptDir() const { return prompt_dir_; }
  const SynthSettings& Settings() const { return settings_; }
  // True when whole texts are taken (by a speech engine, or written in the screen-reader
  // mode) instead of the recorded voice's pieces.
  bool EngineActive() const { return engine_active_ || written_speech_; }
  // True when the settings asked for an engine at the last start and it did not start, so the
  // recorded voice speaks instead.
  bool EngineFailed() const { return engine_failed_; }
  // True when everything the voice says goes through WAV playback, so it can be recorded.
  bool SpeechRecordable() const {
    return !written_speech_ && (!engine_active_ || engine_.SoundsThroughPlayback());
  }
  // The engine dispatch, whose bindings tests may replace.
  engines::EngineDispatch& Engine() { return engine_; }
  bool EchoTyping() const { return echo_typing_; }
  void SetEchoTyping(bool on) { echo_typing_ = on; }
  audio::WavPlayback& Wav() { return wav_; }
  // The clock of the program's waits: the time and date read aloud, and events' times.
  base::Clock& Clock() { return clock_; }
  void Notify(SpeechEvent::Kind kind, std::string detail = {});

 private:
  void SpeakDigitRun(std::string& text);
  void SpeakWordRun(std::string& text);
  void SpeakMark(std::string& text);
  // The screen-reader mode's speech: `text` waits to be appended as a line unless the screen
  // has just shown it; the lines go out before the program next waits.
  void WriteSpoken(std::string_view text);
  // Drops the waiting texts the screen has shown since they were said; returns what it wrote.
  std::string DropShown();
  void AppendWaitingLines();

  base::Waiter& waiter_;
  base::ScreenWriter& screen_;
  base::Clock& clock_;
  audio::WavPlayback& wav_;
  const files::AudiraSettings& config_;
  RecordedVoicePort* voice_ = nullptr;
  SpeechObserver observer_;
  SpeechReports reports_;
  std::string prompt_dir_;
  std::string letters_dir_;
  SynthSettings settings_;
  int speed_ = 3;
  bool speech_cut_ = false;
  bool speech_pending_ = true;
  bool engine_active_ = false;
  bool engine_failed_ = false;
  bool echo_typing_ = true;
  bool reading_ = false;  // ReadText: marks are named
  uint8_t previous_mark_ = ' ';
  int mark_repeats_ = 0;
  std::vector<uint8_t> click_samples_;
  bool written_speech_ = false;
  std::vector<std::string> waiting_lines_;
  std::function<std::optional<std::string>(const std::string&)> prompt_texts_;
  engines::EngineDispatch engine_;
};

}  // namespace cadencio::speech
