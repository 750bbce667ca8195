// The built-in diphone synthesizer behind the MBROLA operations: phoneme lines are queued as
// they are written, a flush ('#' or Flush) synthesizes the queued utterance with TD-PSOLA, and
// Read hands the samples out in pieces.
#include "synth/builtin_mbrola.hpp"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "files/paths.hpp"
#include "synth/diphone_voice.hpp"
#include "synth/phoneme_line.hpp"
#include "synth/psola.hpp"

namespace cadencio::synth {

namespace {

constexpr const char* kSilence = "_";
constexpr const char* kVoiceExtension = ".cdv";
// Text written without a line end is kept up to this length; beyond it the line is bad.
constexpr std::size_t kMaxLineBytes = 4096;
// Lines are synthesized without waiting for a flush at a pause once they add up to kStreamMs,
// and anywhere once they add up to kMaxQueuedMs.
constexpr double kStreamMs = 1000;
constexpr double kMaxQueuedMs = 120000;

class BuiltinMbrola : public synth::Mbrola {
 public:
  int Init(const std::string& database) override {
    Close();
    std::string path = FindBuiltinVoice(database);
    if (path.empty()) return Fail(-1, "no voice file for " + database);
    std::optional<DiphoneVoice> voice = LoadVoiceFile(path);
    if (!voice || voice->PhoneIndex(kSilence) < 0) return Fail(-1, "bad voice file " + path);
    voice_ = std::move(*voice);
    gains_ = ComputeJoinGains(voice_);
    silence_ = voice_.PhoneIndex(kSilence);
    open_ = true;
    Reset();
    return 0;
  }

  void SetNoError(int no_error) override { no_error_ = no_error != 0; }

  void Reset() override {
    pending_text_.clear();
    queue_.clear();
    queued_ms_ = 0;
    output_.clear();
    read_at_ = 0;
    error_ = 0;
  }

  int Write(const std::string& text) override {
    if (!open_) return Fail(-1, "no voice");
    int result = 0;
    for (char c : text) {
      if (c != '\n') {
        if (pending_text_.size() < kMaxLineBytes) pending_text_ += c;
        continue;
      }
      if (TakeLine(pending_text_) < 0) result = -1;
      pending_text_.clear();
    }
    return result;
  }

  void Flush() override {
    if (!open_) return;
    if (!pending_text_.empty()) {
      TakeLine(pending_text_);
      pending_text_.clear();
    }
    Synthesize();
  }

  int Read(int16_t* samples, int capacity) override {
    if (!open_ || samples == nullptr || capacity < 0) return -1;
    const std::size_t n = std::min(static_cast<std::size_t>(capacity), output_.size() - read_at_);
    if (n > 0) std::memcpy(samples, output_.data() + read_at_, n * sizeof(int16_t));
    read_at_ += n;
    if (read_at_ == output_.size()) {
      output_.clear();
      read_at_ = 0;
    }
    return static_cast<int>(n);
  }

  int LastError() override { return error_; }
  std::string LastErrorText() override { return error_text_; }

  void Close() override {
    Reset();
    open_ = false;
    voice_ = DiphoneVoice();
    gains_ = JoinGains();
  }

 private:
  int Fail(int code, std::string text) {
    error_ = code;
    error_text_ = std::move(text);
    return code;
  }

  // One whole line: queued, ignored or reported. Negative when it was refused.
  int TakeLine(const std::string& text) {
    if (text.size() >= kMaxLineBytes) return Report("line too long");
    ParsedLine line = ParsePhonemeLine(text);
    switch (line.kind) {
      case LineKind::kEmpty:
      case LineKind::kComment:
        return 0;
      case LineKind::kFlush:
        Synthesize();
        return 0;
      case LineKind::kBad:
        return Report(line.error);
      case LineKind::kPhone:
        break;
    }
    int phone = voice_.PhoneIndex(line.phone.name);
    const int prev = queue_.empty() ? silence_ : queue_.back().phone;
    if (phone < 0 || voice_.Find(prev, phone) == nullptr) {
      const std::string prev_name = voice_.phones[static_cast<std::size_t>(prev)];
      if (Report(prev_name + "-" + line.phone.name + " unknown, replaced with _-_") < 0) return -1;
      if (phone < 0) phone = silence_;
    }
    queue_.push_back({phone, line.phone.duration_ms, std::move(line.phone.points)});
    queued_ms_ += line.phone.duration_ms;
    // What stands before a pause is synthesized at once when it is long enough to be worth
    // handing out (after a pause the next phone's diphones are the same either way), and a long
    // stretch without a pause is synthesized as it comes, so that memory stays bounded.
    if ((phone == silence_ && queue_.size() > 1 && queued_ms_ >= kStreamMs) ||
        queued_ms_ >= kMaxQueuedMs) {
      Synthesize();
    }
    return 0;
  }

  // An error in the input: with SetNoError(1) only its text is kept and the line goes on.
  int Report(const std::string& text) {
    if (no_error_) {
      error_text_ = "Warning: " + text;
      return 0;
    }
    return Fail(-2, "Error: " + text);
  }

  void Synthesize() {
    if (queue_.empty()) return;
    std::vector<double> ms;
    for (const Queued& q : queue_) ms.push_back(q.duration_ms);
    std::vector<int64_t> counts = PhoneSampleCounts(ms);
    std::vector<SynthPhone> phones;
    for (std::size_t i = 0; i < queue_.size(); ++i) {
      phones.push_back({queue_[i].phone, counts[i], std::move(queue_[i].points)});
    }
    queue_.clear();
    queued_ms_ = 0;
    std::vector<int16_t> samples = SynthesizePhones(voice_, gains_, phones, silence_);
    output_.insert(output_.end(), samples.begin(), samples.end());
  }

  struct Queued {
    int phone = 0;
    double duration_ms = 0;
    std::vector<PitchPoint> points;
  };

  bool open_ = false;
  bool no_error_ = false;
  int error_ = 0;
  std::string error_text_;
  DiphoneVoice voice_;
  JoinGains gains_;
  int silence_ = 0;
  std::string pending_text_;
  std::vector<Queued> queue_;
  double queued_ms_ = 0;
  std::vector<int16_t> output_;
  std::size_t read_at_ = 0;
};

bool IsFile(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(path, ec) && IsVoiceFile(path);
}

}  // namespace

std::string FindBuiltinVoice(const std::string& database) {
  if (database.empty()) return {};
  if (IsFile(database)) return database;
  if (IsFile(database + kVoiceExtension)) return database + kVoiceExtension;
  // The voice named by the last component: "br4", "/usr/share/mbrola/br4/br4", "sivratts\br4".
  std::string name = database;
  std::replace(name.begin(), name.end(), '\\', '/');
  name = std::filesystem::path(name).filename().string();
  if (name.empty()) return {};
  name = std::filesystem::path(name).stem().string();
  const std::string path =
      files::ResolvePathNoCase(files::DataRoot() + "/sivratts/" + name + kVoiceExtension);
  return IsFile(path) ? path : std::string();
}

std::unique_ptr<synth::Mbrola> OpenBuiltinMbrola() {
  return std::make_unique<BuiltinMbrola>();
}

}  // namespace cadencio::synth
