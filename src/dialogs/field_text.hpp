// The text side of the spoken field editor: word moves, the word read by F1, the word opened
// by F12 and the replacement of a selection, on a field's text padded with blanks to its
// capacity. Positions are counted from 1, as the editor counts them; nothing here speaks.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cadencio::dialogs {

// Letters for word moves: A..Z, a..z and every byte of 128..255.
bool IsFieldLetter(uint8_t ch);

// The position of the last non-blank, 0 when the text is all blanks.
int LastNonBlank(std::string_view text);

struct WordMove {
  int pos;
  bool refused;  // ran off the text: the editor beeps instead of clicking
};

// Past the word at `pos` (a digit run, or any other non-blank with the letters that follow it)
// and the blanks after it. Running off the end puts the cursor after the last non-blank.
WordMove NextWord(std::string_view text, int pos);
// Back to the start of the word before `pos`: the first digit of a digit run, or the leftmost
// of the letters before a non-blank. Only blanks before the cursor: position 1, refused.
WordMove PreviousWord(std::string_view text, int pos);

// What F1 reads from `pos` on, after skipping blanks: [start, end) of the text.
struct ReadableWord {
  enum Kind {
    kNothing,  // only blanks up to the end
    kSpeak,    // a number (digits, or '-' and digits) or a word with a vowel: SpeakText
    kSpell,    // a group of consonants only, or one other character: SpellText
  };
  Kind kind;
  int start;
  int end;
};
ReadableWord ReadableWordAt(std::string_view text, int pos);

// The word around `pos` (from after the blank before it to before the blank after it) with
// the characters ( * - . < = > [ _ { and the double quote stripped from both of its ends.
std::string LinkWordAt(std::string_view text, int pos);

// `text` with the characters of [start, end) replaced by `inserted`, cut or padded with blanks
// to `capacity`.
std::string ReplaceRange(std::string_view text, int start, int end, std::string_view inserted,
                         int capacity);

}  // namespace cadencio::dialogs
