// The window front end: shows the console's 80 x 25 screen in an SDL2 window for low-vision
// users, with the font, colours, placement and magnifier of the appearance settings, and turns
// the window's key events into the console's key messages (including key-ups, which braille
// chords need). It draws only the cells that changed, in runs of equal colour.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "frontends/frontend.hpp"

namespace cadencio::frontends {

struct CellMetrics {
  int width = 0;
  int height = 0;
  int ascent = 0;  // from the top of the cell to the text baseline
};

class WindowFrontend final : public Frontend {
 public:
  WindowFrontend();
  ~WindowFrontend() override;
  WindowFrontend(const WindowFrontend&) = delete;
  WindowFrontend& operator=(const WindowFrontend&) = delete;

  WorkArea GetWorkArea() override;
  void SetAppearance(const Appearance& appearance) override;
  // Loads the font and creates the window; throws ProgramExit when no window can be made, with
  // the reason.
  void Open() override;
  void PollInput(base::MessageLoop& loop) override;
  void WaitInput(base::MessageLoop& loop) override;
  void WaitInputFor(base::MessageLoop& loop, int64_t timeout_ms) override;
  void Present(const ScreenCells& cells, int cursor_column, int cursor_row, bool caret) override;
  void Beep() override;
  void SetTitle(const std::string& title) override;
  void SetClipboard(const std::string& utf8) override;
  void Close() override;
  // The status band below the cells.
  void ShowBeat(const BeatRun& run) override;
  void ShowSpoken(const std::string& text) override;

  // Plays the bell of a write: the front end has no sound of its own.
  void SetBeepSound(std::function<void()> beep) override { beep_ = std::move(beep); }

  // The magnifier: a right-button press at a point of the window, a move, the release.
  void MagnifierDown(int x, int y);
  void MagnifierMove(int x, int y);
  void MagnifierUp();

  // What the window shows, for screenshots and tests.
  CellMetrics Cells() const;
  std::string FontFile() const;
  std::optional<Rgb> PixelAt(int x, int y) const;
  bool SavePng(const std::string& path) const;
  // Draws the status band again when what it shows has changed (a beat heard, a new text);
  // true when it did. The waits and PollInput do this themselves.
  bool RefreshStatusBand();
  // Where the status band shows the beat number, in window pixels; nothing when the window
  // has no room for the band.
  struct Box {
    int x = 0, y = 0, width = 0, height = 0;
  };
  std::optional<Box> BeatNumberBox() const;
  // Posts the SDL events that a key message comes from, so that scripted keys go through the
  // window's own key translation; false when the message has no key events.
  bool InjectMessage(const base::Message& message);

 private:
  struct State;
  std::unique_ptr<State> s_;
  std::function<void()> beep_;
};

// The window front end when SDL can open its video (a display, or the driver that
// SDL_VIDEODRIVER names); otherwise null, with the reason in `why` when it is given.
std::unique_ptr<WindowFrontend> MakeWindowFrontend(FrontendFailure* why = nullptr);

}  // namespace cadencio::frontends
