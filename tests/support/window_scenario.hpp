// Runs scenarios in the real window front end: the script's keys are turned into SDL events
// and go through the window's own key translation; the screen is drawn in the window (SDL's
// offscreen driver unless another is named) and also kept as text for the checks. Chosen by
// setting CADENCIO_SCENARIO_FRONTEND=window.
#pragma once

#include <memory>

#include "platform/headless_frontend.hpp"
#include "platform/window_frontend.hpp"

namespace cadencio::testing {

class ScriptedWindowFrontend final : public platform::Frontend {
 public:
  ScriptedWindowFrontend(platform::HeadlessFrontend& script,
                         std::unique_ptr<platform::WindowFrontend> window);

  platform::WorkArea GetWorkArea() override { return window_->GetWorkArea(); }
  void SetAppearance(const platform::Appearance& appearance) override;
  void Open() override;
  void PollInput(platform::MessageLoop& loop) override;
  void WaitInput(platform::MessageLoop& loop) override;
  void WaitInputFor(platform::MessageLoop& loop, int64_t timeout_ms) override;
  void Present(const platform::ScreenCells& cells, int cursor_column, int cursor_row,
               bool caret) override;
  void Beep() override { script_.Beep(); }
  void SetTitle(const std::string& title) override;
  void Close() override { window_->Close(); }
  platform::WindowFrontend& Window() { return *window_; }

 private:
  // Sends the script's due messages to the window as SDL events.
  void Forward(platform::MessageLoop& loop);
  platform::HeadlessFrontend& script_;
  std::unique_ptr<platform::WindowFrontend> window_;
  platform::MessageLoop due_;
};

// The window front end for scenarios when CADENCIO_SCENARIO_FRONTEND=window; null otherwise.
// A window that cannot be opened fails the test.
std::unique_ptr<ScriptedWindowFrontend> MaybeScriptedWindow(platform::HeadlessFrontend& script);

}  // namespace cadencio::testing
