// The SDL2 window: font from SDL2_ttf, a canvas that holds the drawn screen,
// the window surface that shows it (or the magnifier's zoom of it), and the key events.
#include "frontends/window/window_frontend.hpp"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/windows1252.hpp"
#include "formats/png_writer.hpp"
#include "frontends/window/doorbell_relay.hpp"
#include "frontends/window/font_file.hpp"
#include "frontends/window/status_band.hpp"
#include "frontends/window/window_keys.hpp"

namespace cadencio::frontends {

namespace {

constexpr int kCaretHeight = 2;
// The status band below the cells is this many cells high, as far as the display allows.
constexpr int kBandRows = 2;

Uint32 MapColour(const SDL_Surface* surface, Rgb colour) {
  return SDL_MapRGB(surface->format, colour.r, colour.g, colour.b);
}

}  // namespace

struct WindowFrontend::State {
  Appearance look;
  std::string font_file;
  TTF_Font* font = nullptr;
  CellMetrics cell;
  std::array<SDL_Surface*, 256> glyphs{};  // white on transparent, one cell each, made on use
  SDL_Window* window = nullptr;
  SDL_Surface* canvas = nullptr;  // the whole screen as drawn, 80 x 25 cells
  ScreenCells shown;              // what the canvas holds
  bool shown_valid = false;
  std::array<bool, kScreenColumns * kScreenRows> stale{};  // cells to redraw regardless
  bool caret_drawn = false;
  bool caret_wanted = false;  // a key is awaited
  int caret_column = 0;
  int caret_row = 0;
  bool focused = true;
  bool magnifying = false;
  SDL_Surface* snapshot = nullptr;
  std::string title;
  StatusBandState status;
  StatusBand band;
  StatusBandState::View band_shown;
  bool band_drawn = false;
  uint32_t wake_event = 0;
  // Last, so that it stops before anything else goes.
  std::unique_ptr<DoorbellRelay> relay;

  ~State() {
    relay.reset();
    for (SDL_Surface* glyph : glyphs) SDL_FreeSurface(glyph);
    SDL_FreeSurface(snapshot);
    SDL_FreeSurface(canvas);
    if (window != nullptr) SDL_DestroyWindow(window);
    if (font != nullptr) TTF_CloseFont(font);
  }

  int Width() const { return kScreenColumns * cell.width; }
  int Height() const { return kScreenRows * cell.height; }

  bool LoadFont();
  SDL_Surface* Glyph(uint8_t byte);
  void DrawRun(const ScreenCells& cells, int row, int first, int end);
  void DrawCaret(bool on);
  bool ScrollByCopy(const ScreenCells& cells);
  void Show(const std::vector<SDL_Rect>& rects);
  void ShowAll();
  void Zoom(int x, int y);
  bool MayScrollByCopy() const;
  SDL_Rect BandArea(const SDL_Surface* surface) const {
    return {0, Height(), surface->w, surface->h - Height()};
  }
  // Draws the band (whole, or what changed since it was last drawn); the rectangle drawn.
  SDL_Rect DrawBand(SDL_Surface* surface, bool whole);
  // Draws what changed in the band and shows it; true when anything changed.
  bool RefreshBand();
};

SDL_Rect WindowFrontend::State::DrawBand(SDL_Surface* surface, bool whole) {
  const StatusBandState::View view = status.Now();
  const uint8_t attr = look.status_attr;
  const SDL_Rect drawn =
      band.Draw(surface, BandArea(surface), view, whole || !band_drawn ? nullptr : &band_shown,
                look.Colour(attr >> 4), look.Colour(attr & 0x0F), font_file);
  band_shown = view;
  band_drawn = true;
  return drawn;
}

bool WindowFrontend::State::RefreshBand() {
  if (window == nullptr || (band_drawn && status.Now() == band_shown)) return false;
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (surface == nullptr || surface->h <= Height()) return false;
  const SDL_Rect drawn = DrawBand(surface, false);
  SDL_UpdateWindowSurfaceRects(window, &drawn, 1);
  return true;
}

// Pixels are copied only while the window is the active one and clear of the bottom of the
// screen; otherwise the rows are drawn again.
bool WindowFrontend::State::MayScrollByCopy() const {
  constexpr int kBottomMargin = 32;
  if (!look.lento || !focused) return false;
  int x = 0, y = 0, w = 0, h = 0;
  SDL_GetWindowPosition(window, &x, &y);
  SDL_GetWindowSize(window, &w, &h);
  SDL_Rect display{0, 0, 0, 0};
  if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(window)), &display) != 0) {
    return true;
  }
  return y + h < display.y + display.h - kBottomMargin;
}

bool WindowFrontend::State::LoadFont() {
  bool synthesise_bold = false;
  font_file =
      FindFontFile(base::Windows1252ToUtf8(look.font_face), look.font_weight, &synthesise_bold);
  if (font_file.empty()) return false;
  // The font is sized so that its height fills the cell height, as a Windows font of that
  // height does.
  const int target = look.font_height;
  font = TTF_OpenFont(font_file.c_str(), target);
  if (font == nullptr) return false;
  const int natural = TTF_FontHeight(font);
  if (natural > 0 && natural != target) {
    TTF_SetFontSize(font, std::max(1, target * target / natural));
  }
  if (synthesise_bold) TTF_SetFontStyle(font, TTF_STYLE_BOLD);
  int advance = 0;
  TTF_GlyphMetrics32(font, 'M', nullptr, nullptr, nullptr, nullptr, &advance);
  cell.height = target;
  cell.width = look.font_width > 0 ? look.font_width : std::max(1, advance);
  cell.ascent = std::min(TTF_FontAscent(font), cell.height - kCaretHeight);
  return true;
}

SDL_Surface* WindowFrontend::State::Glyph(uint8_t byte) {
  if (glyphs[byte] != nullptr) return glyphs[byte];
  SDL_Surface* glyph =
      SDL_CreateRGBSurfaceWithFormat(0, cell.width, cell.height, 32, SDL_PIXELFORMAT_ARGB8888);
  if (glyph == nullptr) return nullptr;
  SDL_FillRect(glyph, nullptr, SDL_MapRGBA(glyph->format, 255, 255, 255, 0));
  const char32_t code_point = base::Windows1252ToUnicode(byte);
  if (font != nullptr && code_point > ' ') {
    if (SDL_Surface* drawn = TTF_RenderGlyph32_Blended(font, code_point, {255, 255, 255, 255})) {
      SDL_SetSurfaceBlendMode(drawn, SDL_BLENDMODE_NONE);
      SDL_Rect to{0, 0, drawn->w, std::min(drawn->h, cell.height)};
      SDL_Rect from{0, 0, drawn->w, to.h};
      if (drawn->w > cell.width) {
        // Wider than the cell: squeezed to it, as a narrow Windows font would be.
        to.w = cell.width;
        SDL_BlitScaled(drawn, &from, glyph, &to);
      } else {
        to.x = (cell.width - drawn->w) / 2;
        SDL_BlitSurface(drawn, &from, glyph, &to);
      }
      SDL_FreeSurface(drawn);
    }
  }
  SDL_SetSurfaceBlendMode(glyph, SDL_BLENDMODE_BLEND);
  glyphs[byte] = glyph;
  return glyph;
}

// Draws columns [first, end) of a row, which all have one attribute.
void WindowFrontend::State::DrawRun(const ScreenCells& cells, int row, int first, int end) {
  const uint8_t attr = cells.AttrAt(first, row);
  const Rgb background = look.Colour(attr >> 4);
  const Rgb foreground = look.Colour(attr & 0x0F);
  SDL_Rect run{first * cell.width, row * cell.height, (end - first) * cell.width, cell.height};
  SDL_FillRect(canvas, &run, MapColour(canvas, background));
  for (int column = first; column < end; ++column) {
    SDL_Surface* glyph = Glyph(cells.CharAt(column, row));
    if (glyph == nullptr) continue;
    SDL_SetSurfaceColorMod(glyph, foreground.r, foreground.g, foreground.b);
    SDL_Rect at{column * cell.width, row * cell.height, cell.width, cell.height};
    SDL_BlitSurface(glyph, nullptr, canvas, &at);
  }
}

// The caret: a bar of two pixels on the baseline of the cursor cell, in its text colour.
void WindowFrontend::State::DrawCaret(bool on) {
  if (!on) return;
  const uint8_t attr = shown.AttrAt(caret_column, caret_row);
  SDL_Rect bar{caret_column * cell.width, caret_row * cell.height + cell.ascent, cell.width,
               kCaretHeight};
  SDL_FillRect(canvas, &bar, MapColour(canvas, look.Colour(attr & 0x0F)));
  caret_drawn = true;
}

// When the new screen is the shown one moved up by some rows (a write that ended in line
// feeds on the last row), the pixels move up and only the rows below are left to draw. The
// last row of the shown screen may have been written before it moved, so it is not compared.
bool WindowFrontend::State::ScrollByCopy(const ScreenCells& cells) {
  if (!shown_valid) return false;
  constexpr int kMaxRows = kScreenRows / 2;
  auto rows_match = [&](int to, int from, int count) {
    const int at = to * kScreenColumns, source = from * kScreenColumns, n = count * kScreenColumns;
    return std::equal(cells.chars.begin() + at, cells.chars.begin() + at + n,
                      shown.chars.begin() + source) &&
           std::equal(cells.attrs.begin() + at, cells.attrs.begin() + at + n,
                      shown.attrs.begin() + source);
  };
  int rows = 0;
  for (int n = 1; n <= kMaxRows && rows == 0; ++n) {
    const int kept = kScreenRows - 1 - n;
    if (rows_match(0, n, kept) && !rows_match(0, 0, kept)) rows = n;
  }
  if (rows == 0) return false;
  const int cells_moved = rows * kScreenColumns;
  SDL_LockSurface(canvas);
  auto* pixels = static_cast<uint8_t*>(canvas->pixels);
  const int moved_bytes = canvas->pitch * cell.height * rows;
  std::copy(pixels + moved_bytes, pixels + canvas->pitch * canvas->h, pixels);
  SDL_UnlockSurface(canvas);
  std::copy(shown.chars.begin() + cells_moved, shown.chars.end(), shown.chars.begin());
  std::copy(shown.attrs.begin() + cells_moved, shown.attrs.end(), shown.attrs.begin());
  std::copy(stale.begin() + cells_moved, stale.end(), stale.begin());
  std::fill(stale.end() - cells_moved, stale.end(), true);
  caret_row -= rows;
  if (caret_row < 0) caret_drawn = false;  // the caret moved out of the screen
  return true;
}

void WindowFrontend::State::Show(const std::vector<SDL_Rect>& rects) {
  if (magnifying || rects.empty()) return;
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (surface == nullptr) return;
  for (SDL_Rect rect : rects) {
    SDL_Rect to = rect;
    SDL_BlitSurface(canvas, &rect, surface, &to);
  }
  SDL_UpdateWindowSurfaceRects(window, rects.data(), static_cast<int>(rects.size()));
}

void WindowFrontend::State::ShowAll() {
  if (window == nullptr) return;
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (surface == nullptr) return;
  // Beside and below the cells: the start colours, and the status band.
  const Rgb background = look.Colour(look.status_attr >> 4);
  SDL_FillRect(surface, nullptr,
               SDL_MapRGB(surface->format, background.r, background.g, background.b));
  SDL_BlitSurface(canvas, nullptr, surface, nullptr);
  if (surface->h > Height()) DrawBand(surface, true);
  SDL_UpdateWindowSurface(window);
}

// The zoom for a mouse point: the snapshot's part around the point, stretched over the whole
// screen area, with the point under the mouse staying where it is.
void WindowFrontend::State::Zoom(int x, int y) {
  const int factor = look.magnifier_factor;
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (surface == nullptr || snapshot == nullptr || factor <= 0) return;
  const int w = Width();
  const int h = Height();
  SDL_Rect from{std::max(0, x - x / factor), std::max(0, y - y / factor), w / factor, h / factor};
  SDL_Rect to{0, 0, w, h};
  SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
  SDL_BlitScaled(snapshot, &from, surface, &to);
  if (surface->h > h) DrawBand(surface, true);
  SDL_UpdateWindowSurface(window);
}

// --- the front end ----------------------------------------------------------------------

WindowFrontend::WindowFrontend() : s_(std::make_unique<State>()) {}

WindowFrontend::~WindowFrontend() {
  Close();
}

WorkArea WindowFrontend::GetWorkArea() {
  SDL_Rect usable{};
  if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0) {
    return {usable.w, usable.h};
  }
  return {};
}

void WindowFrontend::SetAppearance(const Appearance& appearance) {
  s_->look = appearance;
}

void WindowFrontend::Open() {
  State& s = *s_;
  if (s.window != nullptr) return;
  if (!s.LoadFont()) {
    std::fprintf(stderr, "cadencio: no font for the window (%s)\n", TTF_GetError());
    throw ProgramExit{1};
  }
  const std::string title = base::Windows1252ToUtf8(s.title.empty() ? "cadencio" : s.title);
  Uint32 flags = SDL_WINDOW_RESIZABLE | (s.look.maximised ? SDL_WINDOW_MAXIMIZED : 0);
  const int band = kBandRows * s.cell.height;
  // The window starts inside the display's usable bounds, centred, and no larger than they
  // are: without a window manager nothing else keeps its top row on the screen.
  SDL_Rect usable{0, 0, s.Width(), s.Height() + band};
  if (SDL_GetDisplayUsableBounds(0, &usable) != 0 || usable.w <= 0 || usable.h <= 0) {
    usable = {0, 0, s.Width(), s.Height() + band};
  }
  const int width = std::min(s.Width(), usable.w);
  const int height = std::min(s.Height() + band, usable.h);
  s.window = SDL_CreateWindow(title.c_str(), usable.x + (usable.w - width) / 2,
                              usable.y + (usable.h - height) / 2, width, height, flags);
  s.canvas = SDL_CreateRGBSurfaceWithFormat(0, s.Width(), s.Height(), 32, SDL_PIXELFORMAT_RGB888);
  if (s.window == nullptr || s.canvas == nullptr) {
    std::fprintf(stderr, "cadencio: the window cannot be made (%s)\n", SDL_GetError());
    throw ProgramExit{1};
  }
  // The window keeps to between 16 x 4 cells and the whole screen of 80 x 25 cells with the
  // status band (or the display, when that is smaller).
  SDL_Rect display{0, 0, s.Width(), s.Height()};
  SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(s.window)), &display);
  SDL_SetWindowMinimumSize(s.window, 16 * s.cell.width, 4 * s.cell.height);
  SDL_SetWindowMaximumSize(s.window, std::min(s.Width(), display.w),
                           std::min(s.Height() + band, display.h));
  SDL_FillRect(s.canvas, nullptr, 0);
  s.wake_event = SDL_RegisterEvents(1);
  SDL_StartTextInput();
}

void WindowFrontend::PollInput(base::MessageLoop& loop) {
  State& s = *s_;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    switch (event.type) {
      case SDL_WINDOWEVENT:
        switch (event.window.event) {
          case SDL_WINDOWEVENT_EXPOSED:
          case SDL_WINDOWEVENT_SIZE_CHANGED:
          case SDL_WINDOWEVENT_RESTORED:
          case SDL_WINDOWEVENT_MAXIMIZED:
            if (s.magnifying) {
              int x = 0, y = 0;
              SDL_GetMouseState(&x, &y);
              s.Zoom(x, y);
            } else {
              s.ShowAll();
            }
            break;
          case SDL_WINDOWEVENT_FOCUS_GAINED:
          case SDL_WINDOWEVENT_FOCUS_LOST:
            // The caret shows only in the focused window.
            s.focused = event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED;
            if (s.shown_valid) {
              const ScreenCells shown = s.shown;
              Present(shown, s.caret_column, s.caret_row, s.caret_wanted);
            }
            break;
          default:
            break;
        }
        break;
      case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_RIGHT) MagnifierDown(event.button.x, event.button.y);
        break;
      case SDL_MOUSEMOTION:
        MagnifierMove(event.motion.x, event.motion.y);
        break;
      case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_RIGHT) MagnifierUp();
        break;
      default:
        break;
    }
    for (const base::Message& message : TranslateWindowEvent(event)) loop.Post(message);
  }
  s.RefreshBand();
}

void WindowFrontend::WaitInput(base::MessageLoop& loop) {
  WaitInputFor(loop, -1);
}

// One sleep on SDL's queue until a window event, a message (the doorbell relay pushes an event
// for it), the band's next change (the beat heard) or the time-out.
void WindowFrontend::WaitInputFor(base::MessageLoop& loop, int64_t timeout_ms) {
  State& s = *s_;
  if (s.window == nullptr) {
    loop.Wait(timeout_ms);
    return;
  }
  if (!loop.ReadyToWait()) return;
  if (!s.relay) s.relay = std::make_unique<DoorbellRelay>(loop.WakeFd(), s.wake_event);
  int64_t wait_ms = timeout_ms;
  int64_t band_ms = -1;
  s.status.Now(&band_ms);
  if (band_ms >= 0 && (wait_ms < 0 || band_ms < wait_ms)) wait_ms = band_ms;
  s.relay->Arm();
  if (wait_ms < 0) {
    SDL_WaitEvent(nullptr);
  } else {
    SDL_WaitEventTimeout(nullptr, static_cast<int>(std::min<int64_t>(wait_ms, 1 << 30)));
  }
  PollInput(loop);
}

void WindowFrontend::ShowBeat(const BeatRun& run) {
  s_->status.SetRun(run);
  s_->RefreshBand();
}

void WindowFrontend::ShowSpoken(const std::string& text) {
  s_->status.SetSpoken(text);
  s_->RefreshBand();
}

bool WindowFrontend::RefreshStatusBand() {
  return s_->RefreshBand();
}

std::optional<WindowFrontend::Box> WindowFrontend::BeatNumberBox() const {
  if (s_->window == nullptr) return std::nullopt;
  SDL_Surface* surface = SDL_GetWindowSurface(s_->window);
  if (surface == nullptr || surface->h <= s_->Height()) return std::nullopt;
  const SDL_Rect box = StatusBand::NumberBox(s_->BandArea(surface));
  return Box{box.x, box.y, box.w, box.h};
}

void WindowFrontend::Present(const ScreenCells& cells, int cursor_column, int cursor_row,
                             bool caret) {
  State& s = *s_;
  if (s.window == nullptr) return;
  std::vector<SDL_Rect> damage;
  if (s.MayScrollByCopy() && s.ScrollByCopy(cells)) {
    damage.push_back({0, 0, s.Width(), s.Height()});
  }
  if (s.caret_drawn) {
    s.stale[s.caret_row * kScreenColumns + s.caret_column] = true;
    s.caret_drawn = false;
  }
  // Per row, the stretch from the first to the last changed cell, in runs of equal colour.
  for (int row = 0; row < kScreenRows; ++row) {
    int first = kScreenColumns, end = 0;
    for (int column = 0; column < kScreenColumns; ++column) {
      const int i = row * kScreenColumns + column;
      if (!s.shown_valid || s.stale[i] || cells.chars[i] != s.shown.chars[i] ||
          cells.attrs[i] != s.shown.attrs[i]) {
        first = std::min(first, column);
        end = column + 1;
      }
    }
    for (int column = first; column < end;) {
      int run_end = column + 1;
      while (run_end < end && cells.AttrAt(run_end, row) == cells.AttrAt(column, row)) ++run_end;
      s.DrawRun(cells, row, column, run_end);
      column = run_end;
    }
    if (first < end) {
      damage.push_back(
          {first * s.cell.width, row * s.cell.height, (end - first) * s.cell.width, s.cell.height});
    }
  }
  s.shown = cells;
  s.shown_valid = true;
  s.stale.fill(false);
  s.caret_wanted = caret;
  s.caret_column = std::clamp(cursor_column, 0, kScreenColumns - 1);
  s.caret_row = std::clamp(cursor_row, 0, kScreenRows - 1);
  if (caret && s.focused) {
    s.DrawCaret(true);
    damage.push_back(
        {s.caret_column * s.cell.width, s.caret_row * s.cell.height, s.cell.width, s.cell.height});
  }
  s.Show(damage);
}

void WindowFrontend::Beep() {
  if (beep_) beep_();
}

void WindowFrontend::SetTitle(const std::string& title) {
  s_->title = title.substr(0, 79);
  if (s_->window != nullptr)
    SDL_SetWindowTitle(s_->window, base::Windows1252ToUtf8(s_->title).c_str());
}

void WindowFrontend::SetClipboard(const std::string& utf8) {
  SDL_SetClipboardText(utf8.c_str());
}

void WindowFrontend::Close() {
  if (!s_) return;
  s_.reset();
  s_ = std::make_unique<State>();
}

void WindowFrontend::MagnifierDown(int x, int y) {
  State& s = *s_;
  if (s.magnifying || s.canvas == nullptr || s.look.magnifier_factor <= 0) return;
  s.snapshot = SDL_ConvertSurface(s.canvas, s.canvas->format, 0);
  if (s.snapshot == nullptr) return;
  s.magnifying = true;
  s.Zoom(x, y);
}

void WindowFrontend::MagnifierMove(int x, int y) {
  if (s_->magnifying) s_->Zoom(x, y);
}

void WindowFrontend::MagnifierUp() {
  State& s = *s_;
  if (!s.magnifying) return;
  s.magnifying = false;
  SDL_FreeSurface(s.snapshot);
  s.snapshot = nullptr;
  s.ShowAll();
}

CellMetrics WindowFrontend::Cells() const {
  return s_->cell;
}

std::string WindowFrontend::FontFile() const {
  return s_->font_file;
}

std::optional<Rgb> WindowFrontend::PixelAt(int x, int y) const {
  if (s_->window == nullptr) return std::nullopt;
  SDL_Surface* surface = SDL_GetWindowSurface(s_->window);
  if (surface == nullptr || x < 0 || y < 0 || x >= surface->w || y >= surface->h) {
    return std::nullopt;
  }
  SDL_LockSurface(surface);
  const auto* row = static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch;
  Uint32 pixel = 0;
  const int bytes = surface->format->BytesPerPixel;
  std::copy_n(row + x * bytes, std::min<int>(bytes, sizeof pixel),
              reinterpret_cast<uint8_t*>(&pixel));
  SDL_UnlockSurface(surface);
  Rgb colour;
  SDL_GetRGB(pixel, surface->format, &colour.r, &colour.g, &colour.b);
  return colour;
}

bool WindowFrontend::SavePng(const std::string& path) const {
  if (s_->window == nullptr) return false;
  SDL_Surface* surface = SDL_GetWindowSurface(s_->window);
  if (surface == nullptr) return false;
  SDL_Surface* rgb = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_RGB24, 0);
  if (rgb == nullptr) return false;
  std::vector<uint8_t> pixels;
  pixels.reserve(static_cast<std::size_t>(rgb->w) * rgb->h * 3);
  SDL_LockSurface(rgb);
  for (int y = 0; y < rgb->h; ++y) {
    const auto* row = static_cast<const uint8_t*>(rgb->pixels) + y * rgb->pitch;
    pixels.insert(pixels.end(), row, row + rgb->w * 3);
  }
  SDL_UnlockSurface(rgb);
  const bool written = formats::WritePngFile(path, rgb->w, rgb->h, pixels);
  SDL_FreeSurface(rgb);
  return written;
}

bool WindowFrontend::InjectMessage(const base::Message& message) {
  const Uint32 id = s_->window != nullptr ? SDL_GetWindowID(s_->window) : 0;
  auto events = EventsForMessage(message, id);
  for (SDL_Event& event : events) SDL_PushEvent(&event);
  return !events.empty();
}

std::unique_ptr<WindowFrontend> MakeWindowFrontend(std::string* why) {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // The screen is drawn in software; the window shows it without a GPU renderer in between.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    if (why != nullptr) *why = std::string("no display for a window (") + SDL_GetError() + ")";
    return nullptr;
  }
  if (TTF_WasInit() == 0 && TTF_Init() != 0) {
    if (why != nullptr)
      *why = std::string("the font library does not start (") + TTF_GetError() + ")";
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  return std::make_unique<WindowFrontend>();
}

}  // namespace cadencio::frontends
