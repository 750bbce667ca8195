// The table of spoken forms and its whole-word replacement.
#include "speech/spoken_forms.hpp"

#include <array>
#include <cstdint>

#include "tts/written_forms.hpp"

namespace cadencio::speech {

namespace {

struct SpokenEntry {
  std::string_view written;
  std::string_view spoken;
};

// Portuguese spellings every voice's letter rules read as the user says the word: the English
// key names as Brazilians say them, the capitals that would be spelled or read as a Roman
// numeral ("MI"), and a key joined to the next by '+', which is not said. Windows-1252 escapes
// ("\xEA" is e-circumflex).
constexpr std::array<SpokenEntry, 34> kSpokenForms = {{
    {"PGUP", "peige \xE1pi"},
    {"PGDOWN", "peige d\xE1un"},
    {"PGDN", "peige d\xE1un"},
    {"CTRL+", "contr\xF3l "},
    {"CTRL", "contr\xF3l"},
    {"Control", "contr\xF3l"},
    {"ESC", "\xE9squi"},
    {"TAB",
     "t\xE1"
     "bi"},
    {"HOME", "roume"},
    {"END", "ende"},
    {"ENTER", "\xEAnter"},
    {"Enter", "\xEAnter"},
    {"OK", "oquei"},
    {"BPM", "b\xEA p\xEA \xEAme"},
    {"V.", "vers\xE3o"},
    {"LA", "l\xE1"},
    {"SI", "si"},
    {"R\xC9", "r\xE9"},
    {"MI", "mi"},
    {"SOL", "sol"},
    {"espeak-ng", "esp\xEDqui \xE9ne g\xEA"},
    {"speech-dispatcher", "isp\xEDtchi disp\xE9tcher"},
    {"F1",
     "\xE9"
     "fe um"},
    {"F2",
     "\xE9"
     "fe dois"},
    {"F3",
     "\xE9"
     "fe tr\xEAs"},
    {"F4",
     "\xE9"
     "fe quatro"},
    {"F5",
     "\xE9"
     "fe cinco"},
    {"F6",
     "\xE9"
     "fe seis"},
    {"F7",
     "\xE9"
     "fe sete"},
    {"F8",
     "\xE9"
     "fe oito"},
    {"F9",
     "\xE9"
     "fe nove"},
    {"F10",
     "\xE9"
     "fe dez"},
    {"F11",
     "\xE9"
     "fe onze"},
    {"F12",
     "\xE9"
     "fe doze"},
}};

// Letters and digits of the code page: what a written form must not be glued to.
bool IsWordByte(char c) {
  const auto b = static_cast<uint8_t>(c);
  return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b >= 0xC0;
}

// The entry written at `pos` as a whole word, or null.
const SpokenEntry* EntryAt(std::string_view text, std::size_t pos) {
  if (pos > 0 && IsWordByte(text[pos - 1])) return nullptr;
  for (const SpokenEntry& entry : kSpokenForms) {
    const std::size_t end = pos + entry.written.size();
    if (text.substr(pos).starts_with(entry.written) &&
        (end == text.size() || !IsWordByte(entry.written.back()) || !IsWordByte(text[end]))) {
      return &entry;
    }
  }
  return nullptr;
}

}  // namespace

std::string SpokenForm(std::string_view text, bool numbers_as_words) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    if (const SpokenEntry* entry = EntryAt(text, pos)) {
      out += entry->spoken;
      pos += entry->written.size();
    } else {
      out += text[pos++];
    }
  }
  return tts::SpellOutWrittenForms(out, numbers_as_words);
}

}  // namespace cadencio::speech
