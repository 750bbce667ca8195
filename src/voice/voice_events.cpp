// What the recorded voice did while speaking, described one line per event.
#include "voice/voice_events.hpp"

#include <cstdio>

namespace cadencio::voice {
namespace {

std::string Factor(double factor) {
  char text[32];
  std::snprintf(text, sizeof text, "x%g", factor);
  return text;
}

const char* OutcomeName(PieceOutcome outcome) {
  switch (outcome) {
    case PieceOutcome::kFound:
      return "found";
    case PieceOutcome::kNoise:
      return "noise";
    case PieceOutcome::kDecomposed:
      return "decomposed";
    case PieceOutcome::kDropped:
      return "dropped";
  }
  return "?";
}

const char* PauseName(PauseKind pause) {
  switch (pause) {
    case PauseKind::kWord:
      return "word";
    case PauseKind::kComma:
      return "comma";
    case PauseKind::kFullStop:
      return "fullstop";
    case PauseKind::kColon:
      return "colon";
    case PauseKind::kSemicolon:
      return "semicolon";
  }
  return "?";
}

}  // namespace

std::string DescribeVoiceEvent(const VoiceEvent& event) {
  const std::string bytes = std::to_string(event.bytes);
  switch (event.kind) {
    case VoiceEventKind::kUnit:
      return "unit " + event.text;
    case VoiceEventKind::kSyllable:
      return "syllable " + event.text + " " + Factor(event.factor);
    case VoiceEventKind::kPiece: {
      std::string line = "piece " + event.text + " mode " + std::to_string(event.mode) + " " +
                         Factor(event.factor) + " " + OutcomeName(event.outcome);
      if (event.outcome == PieceOutcome::kFound || event.outcome == PieceOutcome::kNoise) {
        line += " " + bytes;
      }
      return line;
    }
    case VoiceEventKind::kLetter:
      return "letter " + event.text + (event.ok ? " " + bytes : std::string(" missing"));
    case VoiceEventKind::kPause:
      return std::string("pause ") + PauseName(event.pause) + " " + bytes;
    case VoiceEventKind::kFlush:
      return "flush " + bytes + (event.ok ? "" : " dropped");
  }
  return "?";
}

std::vector<std::string> VoiceEventLog::Lines(VoiceEventKind kind) const {
  std::vector<std::string> lines;
  for (const VoiceEvent& event : events_) {
    if (event.kind == kind) lines.push_back(DescribeVoiceEvent(event));
  }
  return lines;
}

std::vector<std::string> VoiceEventLog::Lines() const {
  std::vector<std::string> lines;
  for (const VoiceEvent& event : events_) lines.push_back(DescribeVoiceEvent(event));
  return lines;
}

}  // namespace cadencio::voice
