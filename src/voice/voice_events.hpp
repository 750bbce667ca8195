// What the recorded voice did while speaking, for tests and coverage reports: the units and
// syllables it read, each piece looked up and how it was found, letter recordings, pauses and
// the images it handed over to be played.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace cadencio::voice {

enum class VoiceEventKind { kUnit, kSyllable, kPiece, kLetter, kPause, kFlush };

// How a piece of the database was played.
enum class PieceOutcome {
  kFound,       // its samples were appended
  kNoise,       // not found, one or two characters: a short noise
  kDecomposed,  // not found: played as smaller pieces (their own events follow)
  kDropped,     // not found and no decomposition applies: nothing
};

enum class PauseKind { kWord, kComma, kFullStop, kColon, kSemicolon };

struct VoiceEvent {
  VoiceEventKind kind = VoiceEventKind::kUnit;
  std::string text;  // unit, syllable, piece name or letter name ("_97")
  double factor = 1.0;
  int mode = 0;
  PieceOutcome outcome = PieceOutcome::kFound;
  PauseKind pause = PauseKind::kWord;
  bool ok = true;         // letter: the file was read; flush: the image was played
  std::size_t bytes = 0;  // samples appended, or the data size of a flushed image
};

// One line per event, e.g. "piece $KA mode 1 x0.9 found 540", "pause comma 4000",
// "flush 1000".
std::string DescribeVoiceEvent(const VoiceEvent& event);

class VoiceObserver {
 public:
  virtual ~VoiceObserver() = default;
  virtual void OnVoiceEvent(const VoiceEvent& event) = 0;
};

// Keeps every event.
class VoiceEventLog : public VoiceObserver {
 public:
  void OnVoiceEvent(const VoiceEvent& event) override { events_.push_back(event); }
  const std::vector<VoiceEvent>& events() const { return events_; }
  // The events of one kind, described.
  std::vector<std::string> Lines(VoiceEventKind kind) const;
  std::vector<std::string> Lines() const;
  void Clear() { events_.clear(); }

 private:
  std::vector<VoiceEvent> events_;
};

}  // namespace cadencio::voice
