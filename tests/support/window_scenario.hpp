// Runs scenarios in the real window front end: the script's keys are turned into SDL events
// and go through the window's own key translation; the screen is drawn in the window (SDL's
// offscreen driver unless another is named) and also kept as text for the checks. Chosen by
// setting CADENCIO_SCENARIO_FRONTEND=window.
#pragma once

#include <memory>

#include "frontends/headless_frontend.hpp"
#include "frontends/window/window_frontend.hpp"

namespace cadencio::testing {

class ScriptedWindowFrontend final : public frontends::Frontend {
 public:
  ScriptedWindowFrontend(frontends::HeadlessFrontend& script,
                         std::unique_ptr<frontends::WindowFrontend> window);

  frontends::WorkArea GetWorkArea() override { return window_->GetWorkArea(); }
  void SetAppearance(const frontends::Appearance& appearance) override;
  void Open() override;
  void PollInput(base::MessageLoop& loop) override;
  void WaitInput(base::MessageLoop& loop) override;
  void WaitInputFor(base::MessageLoop& loop, int64_t timeout_ms) override;
  void Present(const frontends::ScreenCells& cells, int cursor_column, int cursor_row,
               bool caret) override;
  void Beep() override { script_.Beep(); }
  void SetTitle(const std::string& title) override;
  void ShowBeat(const frontends::BeatRun& run) override;
  void ShowSpoken(const std::string& text) override;
  void Close() override { window_->Close(); }
  frontends::WindowFrontend& Window() { return *window_; }

 private:
  // Sends the script's due messages to the window as SDL events.
  void Forward(base::MessageLoop& loop);
  frontends::HeadlessFrontend& script_;
  std::unique_ptr<frontends::WindowFrontend> window_;
  base::MessageLoop due_;
};

// The window front end for scenarios when CADENCIO_SCENARIO_FRONTEND=window; null otherwise.
// A window that cannot be opened fails the test.
std::unique_ptr<ScriptedWindowFrontend> MaybeScriptedWindow(frontends::HeadlessFrontend& script);

}  // namespace cadencio::testing
