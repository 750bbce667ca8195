// Window drawing benchmark, on SDL's offscreen video driver: how long the window front end
// takes to show a screen after a write, for a whole new screen, one changed line, a scroll
// repainted cell by cell and a scroll by pixel copy (LENTO), a magnifier move, and the status
// band on a beat (the number alone, and the whole band after a new spoken message).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "frontends/window/window_frontend.hpp"

namespace {

using cadencio::frontends::kScreenColumns;
using cadencio::frontends::kScreenRows;
using cadencio::frontends::ScreenCells;

std::unique_ptr<cadencio::frontends::WindowFrontend> OpenWindow(bool lento) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  auto window = cadencio::frontends::MakeWindowFrontend();
  if (!window) return nullptr;
  cadencio::frontends::Appearance look;
  look.font_width = 13;
  look.font_height = 28;
  look.maximised = false;
  look.lento = lento;
  window->SetAppearance(look);
  window->Open();
  return window;
}

// A screen of text lines, each in its own colours, starting with line `first`.
ScreenCells Lines(int first) {
  ScreenCells cells;
  for (int row = 0; row < kScreenRows; ++row) {
    std::string text = "linha " + std::to_string(first + row) + " - Informe BPM, sugiro 60 : 120";
    for (int column = 0; column < kScreenColumns; ++column) {
      const int i = row * kScreenColumns + column;
      cells.chars[i] = column < static_cast<int>(text.size()) ? text[column] : ' ';
      cells.attrs[i] = static_cast<uint8_t>(((first + row) % 8) * 16 + 15);
    }
  }
  return cells;
}

void BM_WholeScreen(benchmark::State& state) {
  auto window = OpenWindow(false);
  if (!window) return state.SkipWithError("no offscreen video driver");
  int n = 0;
  for (auto _ : state) window->Present(Lines(n++ * 100), 0, 0, false);
}
BENCHMARK(BM_WholeScreen)->Unit(benchmark::kMicrosecond);

void BM_OneLine(benchmark::State& state) {
  auto window = OpenWindow(false);
  if (!window) return state.SkipWithError("no offscreen video driver");
  ScreenCells cells = Lines(0);
  window->Present(cells, 0, 0, false);
  int n = 0;
  for (auto _ : state) {
    cells.chars[12 * kScreenColumns + (n % 40)] = static_cast<uint8_t>('a' + n % 26);
    ++n;
    window->Present(cells, n % 40, 12, true);
  }
}
BENCHMARK(BM_OneLine)->Unit(benchmark::kMicrosecond);

void BM_Scroll(benchmark::State& state) {
  auto window = OpenWindow(state.range(0) != 0);
  if (!window) return state.SkipWithError("no offscreen video driver");
  int n = 0;
  for (auto _ : state) window->Present(Lines(n++), 0, kScreenRows - 1, false);
}
BENCHMARK(BM_Scroll)->Arg(0)->Arg(1)->ArgName("lento")->Unit(benchmark::kMicrosecond);

void BM_MagnifierMove(benchmark::State& state) {
  auto window = OpenWindow(false);
  if (!window) return state.SkipWithError("no offscreen video driver");
  window->Present(Lines(0), 0, 0, false);
  window->MagnifierDown(100, 100);
  int n = 0;
  for (auto _ : state) window->MagnifierMove(n++ % 1000, 300);
  window->MagnifierUp();
}
BENCHMARK(BM_MagnifierMove)->Unit(benchmark::kMicrosecond);

// A schedule of whole frames: a beat every 500 frames at 1000 frames a second.
int64_t WholeFrames(int64_t note, int parts, int32_t bpm, int64_t rate) {
  return note * 60 * rate / (int64_t{bpm} * parts);
}

// Each step is the next beat heard (lit); with `spoken`, a new spoken message as well.
void BM_StatusBand(benchmark::State& state) {
  auto window = OpenWindow(false);
  if (!window) return state.SkipWithError("no offscreen video driver");
  window->Present(Lines(0), 0, 0, false);
  int64_t heard = 0;
  cadencio::frontends::BeatRun run;
  run.tempo = "120 BPM";
  run.measure = "Quatern\xE1rio";
  run.sounding = true;
  run.bpm = 120;
  run.beats_per_measure = 4;
  run.rate = 1000;
  run.beat_frame = &WholeFrames;
  run.heard_frame = [&heard] { return heard; };
  window->ShowBeat(run);
  int n = 0;
  for (auto _ : state) {
    heard = 500 * ++n;
    if (state.range(0) != 0) window->ShowSpoken(n % 2 ? "Batida silenciada" : "61 BPM");
    window->RefreshStatusBand();
  }
}
BENCHMARK(BM_StatusBand)->Arg(0)->Arg(1)->ArgName("spoken")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
