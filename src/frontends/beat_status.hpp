// What a front end may show beside the 80 x 25 screen, which screen review never reads: the
// tempo, the measure, the beat of the measure being heard, and the last message that was only
// spoken. The window draws it in a status band below the cells, the terminal in the rows below
// the screen when it has them, and puts the tempo and measure in its title. The metronome describes
// each run of the beat as the audio schedule has it, so the front end finds the beat being heard
// from the stream's own position, not from the program thread's progress.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace cadencio::frontends {

inline constexpr int64_t kNoFrame = INT64_MAX;

// A run of the beat: beat n sounds at start_frame + beat_frame(n, 1, bpm, rate).
struct BeatRun {
  std::string tempo;      // as shown, "120 BPM"; empty before the first run
  std::string measure;    // "Ternário", "5 tempos"
  bool sounding = false;  // false while the beat is silenced or paused
  int32_t bpm = 60;
  int beats_per_measure = 1;
  int first_beat = 0;            // the beat of the measure (0-based) that the run starts on
  int64_t start_frame = 0;       // stream frame of the run's beat 0
  int64_t end_frame = kNoFrame;  // no beat of the run starts at or after this frame
  int64_t rate = 44100;          // stream frames per second
  // The schedule's frame of note `note` from the run's start, `parts` notes to the beat.
  int64_t (*beat_frame)(int64_t note, int parts, int32_t bpm, int64_t rate) = nullptr;
  // The stream frame being heard now (any thread may have moved it on).
  std::function<int64_t()> heard_frame;
};

// Set on the program thread by the metronome (the run) and the speech front end (the spoken
// messages); a front end with no room for them ignores them.
class StatusDisplay {
 public:
  virtual ~StatusDisplay() = default;
  virtual void ShowBeat(const BeatRun& /*run*/) {}
  virtual void ShowSpoken(const std::string& /*text*/) {}
};

// The beat of a run heard at a stream frame: its number in the measure (1-based; 0 before the
// run's first beat), the frame it started at, and the frame the next one starts at (kNoFrame
// when the run ends before it). After the run's end the last beat heard stays.
struct BeatMoment {
  int number = 0;
  int64_t onset = 0;
  int64_t next_onset = 0;
};
BeatMoment BeatAt(const BeatRun& run, int64_t frame);

// What a status band shows, kept from the run of the beat and the spoken messages it is given,
// and read at the stream position being heard.
class StatusBandState {
 public:
  void SetRun(const BeatRun& run) { run_ = run; }
  void SetSpoken(std::string text) { spoken_ = std::move(text); }

  // What the band shows; texts in the program's code page.
  struct View {
    std::string tempo;
    std::string measure;
    std::string spoken;
    int number = 0;  // 0: no beat yet
    bool lit = false;
    bool operator==(const View&) const = default;
  };
  // What it shows now, from the stream position heard, and the milliseconds until that
  // changes by itself (a beat's light going out, the next beat); -1 when it never does.
  View Now(int64_t* ms_to_change = nullptr) const;

 private:
  BeatRun run_;
  std::string spoken_;
};

}  // namespace cadencio::frontends
