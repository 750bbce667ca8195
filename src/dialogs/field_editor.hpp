// The spoken field editor (part of the auwin module): one line of text typed or changed in
// place on the console screen, with spoken feedback for every action, and the family's common
// field keys (reading words, the time and date, the speech speed, telephone tones, clipboard
// copy and paste with a selection, and opening a link or file named in the field).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "console/console.hpp"
#include "dialogs/spoken_key_reader.hpp"
#include "files/audira_settings.hpp"
#include "speech/speech_front_end.hpp"

namespace cadencio::dialogs {

// What a field works with: the screen and keys, the voice, the spoken key reads (the speed
// digit of Ctrl+F4) and the settings (the programs that open links and files).
struct FieldContext {
  console::Console& console;
  speech::SpeechFrontEnd& speech;
  SpokenKeyReader& keys;
  const files::AudiraSettings& settings;
};

// Largest capacity of a field; larger requests are cut to it.
inline constexpr int kMaxFieldCapacity = 2048;

// Opens the screen review from inside a field (Alt+Ctrl+F9); empty: that key does nothing.
using ScreenReviewHook = std::function<void()>;

// Edits `text` in the field whose first cell is at (`column`, `row`), 1-based, showing `width`
// cells of a text of at most `capacity` characters. With `editable` false, the keys that
// change the text do nothing (the cursor still moves). Returns the key that ended the editing:
// Tab 9, Ctrl+Enter 10, Enter 13, Esc 27, 'h' for Alt+F1, 'f' for Ctrl+F9, or the code of an
// extended key the field does not use. `text` then holds the edited text without trailing
// blanks, whatever the key.
uint8_t EditLine(const FieldContext& context, std::string& text, int column, int row, bool editable,
                 int width, int capacity, const ScreenReviewHook& review_screen = {});

}  // namespace cadencio::dialogs
