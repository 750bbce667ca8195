// Scenario keys through the window's events.
#include "support/window_scenario.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace cadencio::testing {

ScriptedWindowFrontend::ScriptedWindowFrontend(frontends::HeadlessFrontend& script,
                                               std::unique_ptr<frontends::WindowFrontend> window)
    : script_(script), window_(std::move(window)) {}

void ScriptedWindowFrontend::SetAppearance(const frontends::Appearance& appearance) {
  script_.SetAppearance(appearance);
  window_->SetAppearance(appearance);
}

void ScriptedWindowFrontend::Open() {
  script_.Open();
  window_->Open();
}

void ScriptedWindowFrontend::Forward(base::MessageLoop& loop) {
  base::Message message;
  while (due_.Peek(message)) {
    if (!window_->InjectMessage(message)) loop.Post(message);
  }
  window_->PollInput(loop);
}

void ScriptedWindowFrontend::PollInput(base::MessageLoop& loop) {
  script_.PollInput(due_);
  Forward(loop);
}

void ScriptedWindowFrontend::WaitInput(base::MessageLoop& loop) {
  if (!loop.Empty()) return;
  script_.WaitInput(due_);  // moves the virtual time on to the next key
  Forward(loop);
}

void ScriptedWindowFrontend::WaitInputFor(base::MessageLoop& loop, int64_t timeout_ms) {
  if (!loop.Empty()) return;
  script_.WaitInputFor(due_, timeout_ms);  // moves the virtual time on, at most that far
  Forward(loop);
}

void ScriptedWindowFrontend::Present(const frontends::ScreenCells& cells, int cursor_column,
                                     int cursor_row, bool caret) {
  script_.Present(cells, cursor_column, cursor_row, caret);
  window_->Present(cells, cursor_column, cursor_row, caret);
}

void ScriptedWindowFrontend::SetTitle(const std::string& title) {
  script_.SetTitle(title);
  window_->SetTitle(title);
}

void ScriptedWindowFrontend::ShowBeat(const frontends::BeatRun& run) {
  script_.ShowBeat(run);
  window_->ShowBeat(run);
}

void ScriptedWindowFrontend::ShowSpoken(const std::string& text) {
  script_.ShowSpoken(text);
  window_->ShowSpoken(text);
}

std::unique_ptr<ScriptedWindowFrontend> MaybeScriptedWindow(frontends::HeadlessFrontend& script) {
  const char* choice = std::getenv("CADENCIO_SCENARIO_FRONTEND");
  if (choice == nullptr || std::string(choice) != "window") return nullptr;
  setenv("SDL_VIDEODRIVER",
         std::getenv("SDL_VIDEODRIVER") ? std::getenv("SDL_VIDEODRIVER") : "offscreen", 1);
  frontends::FrontendFailure why;
  auto window = frontends::MakeWindowFrontend(&why);
  if (!window) {
    ADD_FAILURE() << "the window front end does not open: " << why.message << ": " << why.detail;
    return nullptr;
  }
  return std::make_unique<ScriptedWindowFrontend>(script, std::move(window));
}

}  // namespace cadencio::testing
