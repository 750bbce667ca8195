// A set of songs with maps played end to end by the real program on SDL's `disk` audio driver
// (paced in real time, no sound card): n loads each song when the one before has ended, and
// every note the mixer starts is kept with its stream frame. Each song's notes are then laid
// against the frames its map gives from its first downbeat: notes on their exact frames,
// missing and extra, and the sections' first downbeats (where tempo and measure change) on
// their exact frames. The songs run through tempos 40 to 500 with odd meters, accents and notes
// per beat.
//
// Usage: map_set_run [SONGS]   (default 100)
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "app/map_rules.hpp"
#include "app/set_list.hpp"
#include "audio/sdl/sdl_audio.hpp"
#include "base/clock.hpp"
#include "base/message_loop.hpp"
#include "files/paths.hpp"
#include "program/program_parts.hpp"
#include "timing/timed_script.hpp"

namespace {

using namespace cadencio;

constexpr int kRate = 44100;
// From n to the song's first downbeat: the song said and its cues rendered, with room to spare.
constexpr int64_t kStartMs = 6000;

// Song k of `count`: its tempo runs from 40 to 500 over the set, the bridge's from the other end.
std::string SongText(int k, int count) {
  const int bpm = 40 + 460 * k / std::max(count - 1, 1);
  const int bridge = 40 + 460 * ((k * 37) % count) / std::max(count - 1, 1);
  return "Song " + std::to_string(k + 1) + "|" + std::to_string(bpm) + "|2\r\n> A 1\r\n> B 1 a " +
         std::to_string(bridge) + " em 5 (2+3)\r\n> C 1 a " + std::to_string(bpm) +
         " em 3 por 2\r\n";
}

// The song's rules, linked as the program links them (the cues aside).
std::vector<audio::BeatRule> RulesOf(const app::Song& song, std::vector<app::PlayedSection>& out) {
  out = app::PlayedSections(song.map, song.bpm, song.beats_per_measure, song.accents,
                            song.notes_per_beat);
  std::vector<audio::BeatRule> rules(out.size());
  for (std::size_t i = 0; i < out.size(); ++i) {
    rules[i].playing = true;
    rules[i].rate = kRate;
    rules[i].bpm = out[i].bpm;
    rules[i].beats = out[i].beats;
    rules[i].parts = out[i].notes_per_beat;
  }
  app::LinkMapRules(rules, out, {}, false);
  return rules;
}

struct Totals {
  int songs = 0, expected = 0, exact = 0, missing = 0, extra = 0, sections = 0, sections_exact = 0;
};

// Lays the notes heard of one song (from its first) against its map's frames.
void Compare(const app::Song& song, const std::vector<int64_t>& heard, Totals& totals) {
  std::vector<app::PlayedSection> sections;
  std::vector<audio::BeatRule> rules = RulesOf(song, sections);
  rules[0].start = rules[0].from = heard.front();
  std::set<int64_t> expected, downbeats;
  audio::PatternCursor cursor(rules[0]);
  for (int section = -1; !cursor.Ended(); cursor.Advance()) {
    expected.insert(cursor.Frame());
    if (cursor.Section() != section) downbeats.insert(cursor.Frame());
    section = cursor.Section();
  }
  const std::set<int64_t> got(heard.begin(), heard.end());
  ++totals.songs;
  totals.expected += static_cast<int>(expected.size());
  totals.sections += static_cast<int>(downbeats.size());
  for (int64_t frame : expected) {
    const bool found = got.count(frame) > 0;
    totals.exact += found ? 1 : 0;
    totals.missing += found ? 0 : 1;
    totals.sections_exact += found && downbeats.count(frame) > 0 ? 1 : 0;
  }
  for (int64_t frame : got) totals.extra += expected.count(frame) > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
  const std::string dir = "/tmp/cadencio-map-set-" + std::to_string(getpid());
  mkdir(dir.c_str(), 0700);
  std::string file;
  for (int k = 0; k < count; ++k) file += SongText(k, count);
  std::ofstream(dir + "/REPERTORIO.TXT", std::ios::binary) << file;
  // The shipped settings, in the folder whose set list is read.
  std::ofstream(dir + "/AUDIRA.INI", std::ios::binary)
      << std::ifstream(files::DataRoot() + "/AUDIRA.INI", std::ios::binary).rdbuf();
  const app::SetList list = app::SetList::Parse(file);
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", (dir + "/stream.raw").c_str(), 1);
  setenv("AUDIRA_WINDIR", dir.c_str(), 1);

  // The start-up answers (120 BPM, one beat), then n for each song once the one before ended.
  std::vector<frontends::ScriptedMessage> script = {{100, {base::MessageKind::kChar, '1'}},
                                                    {110, {base::MessageKind::kChar, '2'}},
                                                    {120, {base::MessageKind::kChar, '0'}},
                                                    {130, {base::MessageKind::kChar, 13}},
                                                    {180, {base::MessageKind::kChar, '1'}}};
  int64_t at = 5000;
  for (int k = 0; k < count; ++k) {
    script.push_back({at, {base::MessageKind::kChar, 'n'}});
    std::vector<app::PlayedSection> sections;
    int64_t frames = 0;
    for (const audio::BeatRule& rule : RulesOf(list.At(k), sections)) {
      frames += audio::ScheduleFrame(int64_t{rule.measures} * rule.beats * rule.parts, rule.parts,
                                     rule.bpm, kRate);
    }
    at += kStartMs + frames * 1000 / kRate + 1500;
  }
  script.push_back({at, {base::MessageKind::kChar, 27}});
  script.push_back({at + 1500, {base::MessageKind::kChar, 's'}});

  // Every note the mixer starts, kept on the audio thread without allocating.
  std::vector<std::pair<int64_t, const audio::Sound*>> onsets;
  onsets.reserve(1 << 20);
  std::vector<std::vector<int64_t>> runs;
  {
    base::RealClock clock;
    base::MessageLoop loop;
    bench::TimedScriptFrontend frontend(clock, script);
    auto audio = audio::OpenSdlAudio(kRate);
    audio->GetMixer().SetOnsetObserver([&onsets](int64_t frame, const audio::Sound& sound) {
      if (onsets.size() < onsets.capacity()) onsets.emplace_back(frame, &sound);
    });
    program::ProgramParts parts({frontend, loop, *audio, clock}, files::DataRoot());
    const int code = parts.RunToExit([&parts] { program::RunCadencio(parts); });
    if (code != 0) std::printf("the program ended with %d\n", code);
    audio->GetMixer().SetOnsetObserver({});
    // The songs' notes: runs of beat sounds (not words or cues, named while the program's
    // sounds are still kept) apart by more than any section's beat; the first run is the beat
    // before the first song.
    int64_t last = -1;
    for (const auto& [frame, sound] : onsets) {
      if (sound->name.find("padrao") == std::string::npos) continue;
      if (last < 0 || frame - last > 2 * kRate) runs.emplace_back();
      runs.back().push_back(frame);
      last = frame;
    }
  }
  Totals totals;
  for (std::size_t run = 1; run < runs.size() && run <= static_cast<std::size_t>(count); ++run) {
    Compare(list.At(static_cast<int>(run - 1)), runs[run], totals);
  }
  std::printf(
      "songs %d of %d; notes expected %d, on their exact frames %d, missing %d, extra %d; "
      "section changes %d, on their exact frames %d\n",
      totals.songs, count, totals.expected, totals.exact, totals.missing, totals.extra,
      totals.sections, totals.sections_exact);
  std::remove((dir + "/stream.raw").c_str());
  return totals.songs == count && totals.missing == 0 && totals.extra == 0 ? 0 : 1;
}
