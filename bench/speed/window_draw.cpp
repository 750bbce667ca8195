// Window drawing benchmark, on SDL's offscreen video driver: how long the window front end
// takes to show a screen after a write, for a whole new screen, one changed line, a scroll
// repainted cell by cell and a scroll by pixel copy (LENTO), and a magnifier move.
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

}  // namespace

BENCHMARK_MAIN();
