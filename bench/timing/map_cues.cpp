// The cues of a song's map as the metronome renders and places them, by each voice whose sound
// passes through the program, at the speech speeds 1 to 5 and tempos 40 to 500: the map's rules
// are played by the mixer with the cues alone (the beat silent), and in the written stream each
// cue's last audible sample (above -80 dB) is found before its section's first downbeat. Every
// cue should end at least 100 ms before it, or be said as the name alone, or not at all when
// even that cannot fit; none may be late.
//
// Usage: map_cues [--voice recorded|espeak|sivra]   (all three voices by default)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/map_rules.hpp"
#include "app/section_cues.hpp"
#include "app/set_list.hpp"
#include "audio/mixer.hpp"
#include "lib/spoken_corpus.hpp"
#include "program/capture_rig.hpp"

namespace {

using namespace cadencio;

constexpr int kTempos[] = {40, 60, 90, 120, 160, 200, 250, 300, 350, 400, 450, 500};
constexpr float kAudible = 1e-4f;  // -80 dB of full scale

// A map whose cues say measure and tempo changes, at the song's tempo `bpm`.
std::string MapOf(int bpm) {
  const int faster = std::min(bpm + 20, 500);
  return "Tema|" + std::to_string(bpm) + "|4\r\n> Intro 2\r\n> Verso 2 em 3\r\n> Refr\xE3o 2 a " +
         std::to_string(faster) +
         " em 7 (2+2+3)\r\n> Ponte de sa\xED"
         "da 1 a " +
         std::to_string(bpm) + " em 5\r\n> Final 1 em 4\r\n";
}

struct Tally {
  int whole = 0, name = 0, none = 0, late = 0;
  double least_ms = 1e9;  // the smallest margin of a cue said
};

// Plays the map's rules with its cues and measures each cue's end against its downbeat.
void Measure(const std::vector<app::PlayedSection>& sections,
             const std::vector<app::SectionCue>& cues, int rate, Tally& tally) {
  std::vector<audio::BeatRule> rules(sections.size());
  for (std::size_t i = 0; i < sections.size(); ++i) {
    rules[i].playing = true;
    rules[i].rate = rate;
    rules[i].bpm = sections[i].bpm;
    rules[i].beats = sections[i].beats;
  }
  app::LinkMapRules(rules, sections, cues, false);
  // The downbeats of the sections, as the pattern walks them.
  std::vector<int64_t> downbeats;
  audio::PatternCursor cursor(rules[0]);
  while (!cursor.Ended()) {
    downbeats.push_back(cursor.Frame());
    cursor.SkipTo(cursor.RunEndFrame());
  }
  audio::Mixer mixer(rate);
  mixer.SetBeatRule(rules[0]);
  std::vector<float> stream(static_cast<std::size_t>(2 * downbeats.back()));
  for (std::size_t done = 0; done < stream.size(); done += 2 * 512) {
    const int frames = static_cast<int>(std::min<std::size_t>(512, (stream.size() - done) / 2));
    mixer.Render(stream.data() + done, frames);
  }
  for (std::size_t i = 1; i < downbeats.size(); ++i) {
    const audio::Sound* said = rules[i].cue;
    if (said == nullptr) {
      ++tally.none;
      continue;
    }
    ++(said == cues[i].whole ? tally.whole : tally.name);
    int64_t last = downbeats[i] - 1;
    while (last >= downbeats[i - 1] &&
           std::fabs(stream[static_cast<std::size_t>(2 * last)]) < kAudible) {
      --last;
    }
    const double margin_ms = 1000.0 * static_cast<double>(downbeats[i] - 1 - last) / rate;
    tally.least_ms = std::min(tally.least_ms, margin_ms);
    if (margin_ms < app::kCueGapMs) ++tally.late;
  }
}

int Report(const char* name, int speed) {
  return say::WithCapturedVoice(name, speed, [name](program::CaptureRig& rig) {
    Tally tally;
    app::SectionCues renderer;
    for (int bpm : kTempos) {
      const app::SetList list = app::SetList::Parse(MapOf(bpm));
      const app::Song& song = list.At(0);
      const auto sections = app::PlayedSections(song.map, song.bpm, song.beats_per_measure,
                                                song.accents, song.notes_per_beat);
      const auto cues = renderer.Render(rig.console, rig.speech, &rig.parts.recorder,
                                        rig.parts.beats, sections, say::kCaptureRate);
      if (cues.empty()) {
        std::fprintf(stderr, "%s: no cue rendered\n", name);
        return 1;
      }
      Measure(sections, cues, say::kCaptureRate, tally);
    }
    std::printf("%-9s %d  whole %3d  name %3d  none %3d  late %d  least margin %6.1f ms\n", name,
                rig.speech.Speed(), tally.whole, tally.name, tally.none, tally.late,
                tally.least_ms);
    return 0;
  });
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> voices = {"recorded", "espeak", "sivra"};
  for (int k = 1; k + 1 < argc; ++k) {
    if (std::string(argv[k]) == "--voice") voices = {argv[++k]};
  }
  std::printf("cues of %zu tempos from 40 to 500 BPM, 4 a map, each speed\n", std::size(kTempos));
  int failed = 0;
  for (const std::string& voice : voices) {
    for (int speed = 1; speed <= 5; ++speed) failed |= Report(voice.c_str(), speed);
  }
  return failed;
}
