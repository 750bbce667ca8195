// The aufonrec module: opening the recorded voice and speaking phonetic strings with it.
#include "voice/recorded_voice.hpp"

#include <algorithm>
#include <filesystem>

#include "audio/pcm_fade.hpp"
#include "files/paths.hpp"
#include "voice/letter_wav_reader.hpp"

namespace cadencio::voice {
namespace {

// Settings are read into 80-byte buffers: at most 79 characters.
constexpr std::size_t kMaxSettingLength = 79;
constexpr std::size_t kSilenceBlock = 100;

std::string WithBackslash(std::string dir) {
  if (dir.empty() || (dir.back() != '\\' && dir.back() != '/')) dir += '\\';
  return dir;
}

bool IsDirectory(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

PauseKind PauseKindOf(std::string_view unit) {
  switch (unit.size() == 2 ? unit[1] : ' ') {
    case ',':
      return PauseKind::kComma;
    case '.':
      return PauseKind::kFullStop;
    case ':':
      return PauseKind::kColon;
    default:
      return PauseKind::kSemicolon;
  }
}

// Restores the observer of a single call when the call ends.
class CallObserver {
 public:
  CallObserver(VoiceObserver*& slot, VoiceObserver* observer) : slot_(slot) { slot_ = observer; }
  CallObserver(const CallObserver&) = delete;
  CallObserver& operator=(const CallObserver&) = delete;
  ~CallObserver() { slot_ = nullptr; }

 private:
  VoiceObserver*& slot_;
};

}  // namespace

RecordedVoice::RecordedVoice(VoiceHost& host, base::Waiter& waiter)
    : host_(host), waiter_(waiter) {}

void RecordedVoice::SetDatabaseName(std::string_view name) {
  database_name_ = std::string(name.substr(0, PieceIndex::kMaxNameLength));
}

void RecordedVoice::SetVoiceCuts(int piece_cut, int minimum_piece, int word_pause) {
  cuts_ = VoiceCuts{piece_cut, minimum_piece, word_pause};
}

std::string RecordedVoice::ReadDirectory(const std::string& key, const std::string& dflt) {
  std::string value = host_.ReadTradutorKey(key, dflt);
  if (value.size() > kMaxSettingLength) value.resize(kMaxSettingLength);
  return WithBackslash(std::move(value));
}

int RecordedVoice::OpenRecordedVoice() {
  CloseRecordedVoice();
  // 1-2. Both directories must exist.
  letters_dir_ = ReadDirectory("dirLetras", files::FamilyPath(kDefaultLettersDir));
  if (!IsDirectory(host_.MapPath(letters_dir_))) return kVoiceFilesMissing;
  database_dir_ = ReadDirectory("DIRDIFONES", files::FamilyPath(kDefaultDatabaseDir));
  if (!IsDirectory(host_.MapPath(database_dir_))) return kVoiceFilesMissing;
  // 3. The index in memory, the sample file open.
  const std::string base = database_dir_ + database_name_;
  if (!database_.Open(host_.MapPath(base + ".IND"), host_.MapPath(base + ".DIF"))) {
    return kVoiceFilesMissing;
  }
  // 4. The translator's rules and exceptions.
  if (!translator_.LoadPhoneticRules(host_.MapPath(database_dir_ + "regras.rgr")) ||
      !translator_.LoadPhoneticExceptions(host_.MapPath(database_dir_ + "portug.exc"))) {
    translator_.FreePhoneticRules();
    database_.Close();
    return kVoiceRulesMissing;
  }
  // 5. The sound image.
  image_ = std::make_unique<SoundImage>();
  return kVoiceReady;
}

void RecordedVoice::CloseRecordedVoice() {
  image_.reset();
  translator_.FreePhoneticRules();
  database_.Close();
}

void RecordedVoice::SpeakPhonetic(std::string_view phonetic, bool no_pauses,
                                  VoiceObserver* observer, Tune tune) {
  if (!IsOpen()) return;
  const CallObserver call(call_observer_, observer);
  // 1. An empty image, the string from its start, a group's stress mode, the tune.
  image_->Rewind();
  cut_short_ = false;
  stress_mode_ = kStressGroupStart;
  tail_syllable_ = tune == Tune::kQuestion ? QuestionTailSyllable(phonetic, no_pauses) : SIZE_MAX;
  syllables_played_ = 0;
  question_tail_ = false;
  std::size_t position = 0;
  // 2. Unit by unit, with a word pause after one that closes a word or a long group.
  while (position < phonetic.size() && !cut_short_) {
    if (waiter_.KeyPressed()) {
      cut_short_ = true;
      break;
    }
    ScannedUnit next = ScanNextUnit(phonetic, position);
    position = next.next;
    if (next.opens_group) stress_mode_ = kStressGroupStart;
    if (!no_pauses) {
      if (const int pause = PunctuationPauseOf(next.unit); pause > 0) {
        AppendSilence(pause, PauseKindOf(next.unit));
        next.unit.clear();
      }
    }
    if (!next.unit.empty()) Emit({.kind = VoiceEventKind::kUnit, .text = next.unit});
    SpeakUnit(next.unit, 1.0);
    const bool ends_word = next.end == UnitEnd::kBracket || next.end == UnitEnd::kLongGroupCut;
    if (position < phonetic.size() && ends_word) AppendSilence(cuts_.word_pause, PauseKind::kWord);
  }
  // 3. The rest of the sound.
  FlushImage();
  cut_short_ = false;
  question_tail_ = false;
}

void RecordedVoice::SpeakUnit(std::string_view unit, double factor) {
  for (const SyllablePart& part : SplitUnit(unit, factor)) SpeakSyllable(part.text, part.factor);
}

void RecordedVoice::SpeakSyllable(std::string_view syllable, double factor) {
  Emit({.kind = VoiceEventKind::kSyllable, .text = std::string(syllable), .factor = factor});
  // A question rises from its last word's stressed syllable on.
  if (syllables_played_++ == tail_syllable_) question_tail_ = true;
  const SyllablePieces pieces = SplitSyllable(syllable, stress_mode_);
  for (const PiecePlay& piece : pieces.pieces) PlayPiece(piece.name, piece.mode, factor);
  stress_mode_ = pieces.mode_after;
}

void RecordedVoice::PlayPiece(std::string_view name_in, int mode, double factor) {
  if (!IsOpen() || cut_short_) return;
  const std::string name(name_in.substr(0, kMaxPieceName));
  if (name.empty()) return;
  // 1. Letters and signs come from the letters directory.
  if (name[0] == '_') {
    PlayLetter(name);
    return;
  }
  // The end of a question plays the rising form of the piece, when there is one, whole: its
  // rise is at its end, where an unstressed piece would be cut.
  if (question_tail_ && name[0] == '$' &&
      PlayStored(kQuestionPiece + name.substr(1), kStressStressed, factor)) {
    return;
  }
  if (PlayStored(name, mode, factor)) return;
  // 2. An unknown short piece is a short noise.
  if (name.size() <= 2) {
    PlayNoise(name, mode, factor);
    return;
  }
  // 3. An unknown longer piece is played as smaller ones: the part before a final vowel,
  // circumflex or tilde shortened, then the vowel or nasal ending.
  const double shorter = factor * 0.9;
  const char last = name.back();
  if (IsVoiceVowel(last)) {
    EmitPiece(name, mode, factor, PieceOutcome::kDecomposed, 0);
    PlayPiece(std::string_view(name).substr(0, name.size() - 1), mode, shorter);
    PlayPiece(std::string("$") + last, mode, factor);
    return;
  }
  if (name.ends_with("CIRC") && name.size() >= 7) {
    EmitPiece(name, mode, factor, PieceOutcome::kDecomposed, 0);
    PlayPiece(std::string_view(name).substr(0, name.size() - 5), mode, shorter);
    PlayPiece('$' + name.substr(name.size() - 5), mode, factor);
    return;
  }
  if (name.ends_with("TIL")) {
    EmitPiece(name, mode, factor, PieceOutcome::kDecomposed, 0);
    std::string stem = name.substr(0, name.size() - 3);
    int stem_mode = mode;
    if (stem.empty() || std::string_view("IiUu").find(stem.back()) == std::string_view::npos) {
      stem += "CIRC";
      stem_mode = kStressStressed;
    }
    PlayPiece(stem, stem_mode, shorter);
    PlayPiece("$nn", kStressGroupStart, 0.9);
    return;
  }
  EmitPiece(name, mode, factor, PieceOutcome::kDropped, 0);
}

bool RecordedVoice::PlayStored(const std::string& name, int mode, double factor) {
  if (!database_.Lookup(name, mode, factor, cuts_, SoundImage::kCapacity, piece_)) return false;
  EmitPiece(name, mode, factor, PieceOutcome::kFound, piece_.size());
  Append(piece_);
  return true;
}

void RecordedVoice::PlayLetter(const std::string& name) {
  const bool found =
      ReadLetterWav(host_.MapPath(letters_dir_ + name + ".wav"), SoundImage::kCapacity, piece_);
  Emit({.kind = VoiceEventKind::kLetter, .text = name, .ok = found, .bytes = piece_.size()});
  if (found) Append(piece_);
}

void RecordedVoice::PlayNoise(const std::string& name, int mode, double factor) {
  std::uniform_int_distribution<int> sample(88, 167);
  piece_.resize(kNoiseSamples);
  for (uint8_t& value : piece_) value = static_cast<uint8_t>(sample(noise_source_));
  // The noise ends on silence, like every other piece, rather than with a step.
  audio::FadeOutUnsigned8(piece_, audio::CutFadeSamples(kVoiceSampleRate));
  EmitPiece(name, mode, factor, PieceOutcome::kNoise, piece_.size());
  Append(piece_);
}

void RecordedVoice::AppendSilence(int samples, PauseKind kind) {
  if (!IsOpen() || cut_short_ || samples < static_cast<int>(kSilenceBlock)) return;
  const std::size_t blocks = static_cast<std::size_t>(samples) / kSilenceBlock;
  VoiceEvent event;
  event.kind = VoiceEventKind::kPause;
  event.pause = kind;
  event.bytes = blocks * kSilenceBlock;
  Emit(event);
  for (std::size_t i = 0; i < blocks && !cut_short_; ++i) AppendFill(kSilenceSample, kSilenceBlock);
}

void RecordedVoice::MakeRoom(std::size_t count) {
  if (!image_->WouldFill(count)) return;
  FlushImage();
  while (!cut_short_ && host_.SpeechBusy()) waiter_.WaitMessage();
}

void RecordedVoice::Append(std::span<const uint8_t> samples) {
  if (!IsOpen() || cut_short_) return;
  samples = samples.first(std::min(samples.size(), SoundImage::kCapacity));
  MakeRoom(samples.size());
  if (!cut_short_) image_->Write(samples);
}

void RecordedVoice::AppendFill(uint8_t value, std::size_t count) {
  if (!IsOpen() || cut_short_) return;
  count = std::min(count, SoundImage::kCapacity);
  MakeRoom(count);
  if (!cut_short_) image_->Fill(value, count);
}

void RecordedVoice::FlushImage() {
  if (!IsOpen() || image_->DataSize() == 0) return;
  const std::size_t data = image_->DataSize();
  if (!cut_short_ && waiter_.KeyPressed()) cut_short_ = true;
  VoiceEvent event;
  event.kind = VoiceEventKind::kFlush;
  event.ok = !cut_short_;
  event.bytes = data;
  Emit(event);
  if (!cut_short_) host_.PlayWavImage(image_->Finish());
  image_->Rewind();
}

void RecordedVoice::Emit(const VoiceEvent& event) {
  VoiceObserver* observer = call_observer_ != nullptr ? call_observer_ : observer_;
  if (observer != nullptr) observer->OnVoiceEvent(event);
}

void RecordedVoice::EmitPiece(const std::string& name, int mode, double factor,
                              PieceOutcome outcome, std::size_t bytes) {
  Emit({.kind = VoiceEventKind::kPiece,
        .text = name,
        .factor = factor,
        .mode = mode,
        .outcome = outcome,
        .bytes = bytes});
}

}  // namespace cadencio::voice
