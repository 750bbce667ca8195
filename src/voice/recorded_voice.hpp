// The aufonrec module: the recorded voice. It opens the piece database and the translator's
// files, and speaks a phonetic string by cutting it into units, splitting them into
// syllables, playing each syllable's pieces (from the database, or letter recordings for
// spelled characters), adding word and punctuation pauses, and handing the collected 64000-byte
// images to the speech front end to play.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/waiter.hpp"
#include "voice/phonetic_translator.hpp"
#include "voice/phonetic_units.hpp"
#include "voice/piece_database.hpp"
#include "voice/sound_image.hpp"
#include "voice/tune.hpp"
#include "voice/voice_events.hpp"
#include "voice/voice_host.hpp"

namespace cadencio::voice {

// Answers of OpenRecordedVoice.
inline constexpr int kVoiceReady = 0;
inline constexpr int kVoiceFilesMissing = 1;  // a directory, the index or the sample file
inline constexpr int kVoiceRulesMissing = 2;  // the rules or the exceptions file

// The letters and database directories when the settings name none, below the family's root.
inline constexpr const char* kDefaultLettersDir = "som\\letras";
inline constexpr const char* kDefaultDatabaseDir = "som\\difones";
inline constexpr const char* kDefaultDatabaseName = "DIFONES2";

// Samples of noise that stand for an unknown piece of one or two characters.
inline constexpr std::size_t kNoiseSamples = 300;

class RecordedVoice {
 public:
  // Both must outlive the voice.
  RecordedVoice(VoiceHost& host, base::Waiter& waiter);
  RecordedVoice(const RecordedVoice&) = delete;
  RecordedVoice& operator=(const RecordedVoice&) = delete;

  // Settings handed over by the speech front end before opening. The name is cut to 8 bytes.
  void SetDatabaseName(std::string_view name);
  const std::string& DatabaseName() const { return database_name_; }
  void SetVoiceCuts(int piece_cut, int minimum_piece, int word_pause);
  const VoiceCuts& Cuts() const { return cuts_; }

  // Reads the letters and database directories ([TRADUTOR] dirLetras and DIRDIFONES), loads
  // the index, opens the sample file, loads "regras.rgr" and "portug.exc" of the database
  // directory and makes the sound image. 0 ready; 1 a directory, the index or the sample file
  // is missing; 2 the rules or the exceptions could not be read. On failure the voice stays
  // closed.
  int OpenRecordedVoice();
  // Frees the image, the rules and the index and closes the sample file.
  void CloseRecordedVoice();
  bool IsOpen() const { return image_ != nullptr; }

  // Speaks a phonetic string and returns when its last image has been played. With
  // `no_pauses` the spelled punctuation marks are played as letters instead of pauses. Events
  // go to `observer` when given, else to the one set with SetObserver. When a key is found
  // waiting before a unit or when an image would be played, the image is dropped and the rest
  // of the string is skipped: the front end would cut all of it at once anyway, and the key
  // stays queued for it. With the question tune the last word's stressed syllable (its first
  // when none is marked) and those after it play their question pieces (rising), where the
  // database has them.
  void SpeakPhonetic(std::string_view phonetic, bool no_pauses, VoiceObserver* observer = nullptr,
                     Tune tune = Tune::kStatement);
  void SetObserver(VoiceObserver* observer) { observer_ = observer; }

  // Letters directory as read, Windows style, ending in "\".
  const std::string& LettersDir() const { return letters_dir_; }
  const std::string& DatabaseDir() const { return database_dir_; }
  PhoneticTranslator& Translator() { return translator_; }
  const PhoneticTranslator& Translator() const { return translator_; }
  const PieceDatabase& Database() const { return database_; }

  // The steps of speaking, open for tests that drive one alone. They collect samples in the
  // image; FlushImage plays what has been collected.
  void SpeakUnit(std::string_view unit, double factor);
  void SpeakSyllable(std::string_view syllable, double factor);
  void PlayPiece(std::string_view name, int mode, double factor);
  void AppendSilence(int samples, PauseKind kind);
  void FlushImage();

 private:
  // Plays the piece of the database with that name; false when it has none.
  bool PlayStored(const std::string& name, int mode, double factor);
  void PlayLetter(const std::string& name);
  void PlayNoise(const std::string& name, int mode, double factor);
  void Append(std::span<const uint8_t> samples);
  void AppendFill(uint8_t value, std::size_t count);
  void MakeRoom(std::size_t count);
  void Emit(const VoiceEvent& event);
  void EmitPiece(const std::string& name, int mode, double factor, PieceOutcome outcome,
                 std::size_t bytes);
  std::string ReadDirectory(const std::string& key, const std::string& dflt);

  VoiceHost& host_;
  base::Waiter& waiter_;
  PhoneticTranslator translator_;
  PieceDatabase database_;
  std::unique_ptr<SoundImage> image_;
  std::string database_name_ = kDefaultDatabaseName;
  VoiceCuts cuts_;
  std::string letters_dir_;
  std::string database_dir_;
  int stress_mode_ = kStressGroupStart;
  bool cut_short_ = false;  // a key was found waiting: nothing more is played
  // Stressed syllables still to come before the question's rising end; 0 once it has begun.
  // The syllable the question's rise begins on (SIZE_MAX: none), and the syllables played.
  std::size_t tail_syllable_ = SIZE_MAX;
  std::size_t syllables_played_ = 0;
  bool question_tail_ = false;  // the pieces played now are the question's
  VoiceObserver* observer_ = nullptr;
  VoiceObserver* call_observer_ = nullptr;
  std::minstd_rand noise_source_{1};
  std::vector<uint8_t> piece_;  // samples of the piece being played
};

}  // namespace cadencio::voice
