// Marking up a text for espeak-ng.
#include "engines/espeak_markup.hpp"

#include "base/windows1252.hpp"
#include "tts/question_tune.hpp"
#include "tts/tts_text.hpp"

namespace cadencio::engines {
namespace {

void AppendEscaped(std::string_view text, std::string& out) {
  for (char c : base::Windows1252ToUtf8(text)) {
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else {
      out += c;
    }
  }
}

}  // namespace

std::string EspeakMarkup(std::string_view text) {
  std::string out;
  std::size_t done = 0;            // the text before this is in `out`
  std::size_t sentence_start = 0;  // where the sentence being read began
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c == '?' && tts::AsksYesOrNo(text.substr(sentence_start, pos - sentence_start))) {
      std::size_t end = pos;
      while (end > sentence_start && !tts::IsInLetterSet(text[end - 1])) --end;
      std::size_t start = end;
      while (start > sentence_start && tts::IsInLetterSet(text[start - 1])) --start;
      if (start < end) {
        AppendEscaped(text.substr(done, start - done), out);
        out += "<prosody pitch=\"" + std::string(kQuestionPitch) + "\">";
        AppendEscaped(text.substr(start, end - start), out);
        out += "</prosody>";
        done = end;
      }
    }
    if (c == '?' || c == '.' || c == '!') sentence_start = pos + 1;
  }
  AppendEscaped(text.substr(done), out);
  return out;
}

}  // namespace cadencio::engines
