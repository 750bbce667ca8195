// Coverage of the recorded voice's piece database over a word list (by default the system's
// Brazilian word list, /usr/share/dict/brazilian, UTF-8): every word is translated and spoken
// by the player into a host that plays nothing, and each piece the player looks up is counted
// by how it was found. Prints the share of lookups found directly, decomposed into smaller
// pieces, heard as noise and dropped, the pieces most often missing, and the time taken.
//
// Usage: voice_coverage [WORD-LIST]
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/windows1252.hpp"
#include "files/paths.hpp"
#include "voice/recorded_voice.hpp"
#include "voice/silent_host.hpp"
#include "voice/voice_events.hpp"

namespace {

using namespace cadencio;

// Counts the player's piece lookups. A lookup the player makes for a syllable is a top-level
// one; a piece that is not found and decomposed is followed by the lookups of its two parts,
// which are counted apart.
class CoverageCounter final : public voice::VoiceObserver {
 public:
  void OnVoiceEvent(const voice::VoiceEvent& event) override {
    if (event.kind != voice::VoiceEventKind::kPiece) return;
    const bool top_level = open_parts_.empty();
    if (!top_level) --open_parts_.back();
    auto& counts = top_level ? top_ : parts_;
    ++counts[static_cast<int>(event.outcome)];
    if (top_level && event.outcome != voice::PieceOutcome::kFound) ++missing_[event.text];
    if (event.outcome == voice::PieceOutcome::kDecomposed) open_parts_.push_back(2);
    while (!open_parts_.empty() && open_parts_.back() == 0) open_parts_.pop_back();
  }

  // Counts by outcome: found, noise, decomposed, dropped (the order of PieceOutcome).
  using Counts = std::array<uint64_t, 4>;
  const Counts& TopLevel() const { return top_; }
  const Counts& Parts() const { return parts_; }
  const std::map<std::string, uint64_t>& Missing() const { return missing_; }

 private:
  Counts top_{};
  Counts parts_{};
  std::vector<int> open_parts_;
  std::map<std::string, uint64_t> missing_;
};

uint64_t Count(const CoverageCounter::Counts& counts, voice::PieceOutcome outcome) {
  return counts[static_cast<int>(outcome)];
}

double Share(uint64_t part, uint64_t whole) {
  return whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole);
}

void PrintMissing(const std::map<std::string, uint64_t>& missing) {
  std::vector<std::pair<std::string, uint64_t>> sorted(missing.begin(), missing.end());
  std::sort(sorted.begin(), sorted.end(),
            [](const auto& a, const auto& b) { return a.second > b.second; });
  if (sorted.empty()) return;
  std::printf("pieces not found (%zu names), most frequent first:\n", sorted.size());
  for (std::size_t i = 0; i < sorted.size() && i < 40; ++i) {
    std::printf("  %-12s %llu\n", sorted[i].first.c_str(),
                static_cast<unsigned long long>(sorted[i].second));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string word_list = argc > 1 ? argv[1] : "/usr/share/dict/brazilian";
  std::ifstream in(word_list, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "voice_coverage: cannot read the word list %s (Debian: wbrazilian)\n",
                 word_list.c_str());
    return 1;
  }
  voice::SilentHost host;
  voice::RecordedVoice player(host, host);
  const int code = player.OpenRecordedVoice();
  if (code != voice::kVoiceReady) {
    std::fprintf(stderr,
                 "voice_coverage: the recorded voice did not open (code %d) under %s; build the "
                 "data first\n",
                 code, files::DataRoot().c_str());
    return 1;
  }
  std::printf("database %s: %zu pieces\n", player.DatabaseDir().c_str(),
              player.Database().Index().size());

  CoverageCounter counter;
  uint64_t words = 0;
  uint64_t skipped = 0;
  const auto start = std::chrono::steady_clock::now();
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const base::Windows1252Text word = base::Utf8ToWindows1252(line);
    if (!word.complete) {
      ++skipped;
      continue;
    }
    player.SpeakPhonetic(player.Translator().TranslateToPhonetic(word.bytes), false, &counter);
    ++words;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  using voice::PieceOutcome;
  const auto& top = counter.TopLevel();
  const uint64_t lookups = top[0] + top[1] + top[2] + top[3];
  std::printf("%llu words (%llu skipped: not in Windows-1252), %llu piece lookups\n",
              static_cast<unsigned long long>(words), static_cast<unsigned long long>(skipped),
              static_cast<unsigned long long>(lookups));
  std::printf("found directly %.4f %%, decomposed %.4f %%, noise %.4f %%, dropped %.4f %%\n",
              Share(Count(top, PieceOutcome::kFound), lookups),
              Share(Count(top, PieceOutcome::kDecomposed), lookups),
              Share(Count(top, PieceOutcome::kNoise), lookups),
              Share(Count(top, PieceOutcome::kDropped), lookups));
  const auto& parts = counter.Parts();
  std::printf("parts of decomposed pieces: %llu found, %llu noise, %llu decomposed, %llu dropped\n",
              static_cast<unsigned long long>(Count(parts, PieceOutcome::kFound)),
              static_cast<unsigned long long>(Count(parts, PieceOutcome::kNoise)),
              static_cast<unsigned long long>(Count(parts, PieceOutcome::kDecomposed)),
              static_cast<unsigned long long>(Count(parts, PieceOutcome::kDropped)));
  std::printf("time %.2f s (%.1f us a word)\n", seconds,
              words == 0 ? 0.0 : seconds * 1e6 / static_cast<double>(words));
  PrintMissing(counter.Missing());
  return 0;
}
