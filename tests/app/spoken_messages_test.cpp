// Every catalogue message (the help lines among them) in the spoken form every voice is given,
// read through each voice's front end: the built-in TTS's normaliser and letter rules,
// espeak-ng's phonemes with the voice the shipped configuration chooses, and the recorded
// voice's translator. No word may come out spelled letter by letter (letter names, or several
// words for one), without a vowel, or opening on consonants no Portuguese syllable begins with
// ("pg" of "PGUP"). A word of one letter names a key and is meant to be spelled; a number is
// read as a number.
#include <espeak-ng/speak_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/message_catalogue.hpp"
#include "base/windows1252.hpp"
#include "engines/engine_voices.hpp"
#include "speech/spoken_forms.hpp"
#include "support/visible_text.hpp"
#include "tts/abbreviations.hpp"
#include "tts/character_names.hpp"
#include "tts/phoneme_transcriber.hpp"
#include "tts/text_normaliser.hpp"
#include "tts/tts_text.hpp"
#include "voice/phonetic_translator.hpp"

namespace cadencio::app {
namespace {

using speech::SpokenForm;

// The non-empty pieces of `text` between any of the `separators`.
std::vector<std::string> Split(std::string_view text, std::string_view separators = " ") {
  std::vector<std::string> pieces(1);
  for (char c : text) {
    if (separators.find(c) == std::string_view::npos) {
      pieces.back() += c;
    } else if (!pieces.back().empty()) {
      pieces.emplace_back();
    }
  }
  if (pieces.back().empty()) pieces.pop_back();
  return pieces;
}

// A voice's front end: the phonemes it makes of one word, in its own alphabet, with "+"
// between the words when it makes several; and the first letters of its vowels.
struct FrontEnd {
  const char* name;
  std::function<std::vector<std::string>(const std::string&)> read;
  std::string_view vowels;
};

// The built-in TTS: the normaliser, then the letter rules over each word it gave.
FrontEnd SivraFrontEnd() {
  static const auto data = [] {
    const std::string dir = std::string(CADENCIO_SOURCE_DIR) + "/data/sivratts/";
    std::pair<tts::AbbreviationTable, tts::Lexicon> d;
    EXPECT_TRUE(tts::LoadAbbreviations(dir + "portug.abr", d.first));
    EXPECT_TRUE(tts::LoadLexicon(dir + "portug.nrl", dir + "portug.exc", d.second));
    return d;
  }();
  const auto read = [](const std::string& word) {
    std::vector<std::string> phonemes;
    for (const std::string& said :
         Split(tts::NormaliseText(word, data.first, &data.second.exceptions), " ,.")) {
      if (!phonemes.empty()) phonemes.emplace_back("+");
      const auto lines = tts::TranscribeTokens({"555|" + said}, data.second);
      for (std::size_t k = 1; k < lines.size() && !lines[k].empty(); ++k) {
        phonemes.push_back(lines[k]);
        std::erase_if(phonemes.back(), [](char c) { return c == '>' || c == tts::kPlainMark; });
      }
    }
    return phonemes;
  };
  return {"built-in TTS", read, "aeiou@"};
}

// espeak-ng: its phoneme mnemonics with the voice VOZ=1 chooses, without stress marks.
FrontEnd EspeakFrontEnd() {
  static const bool ready = [] {
    if (espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT) <= 0) {
      return false;
    }
    const espeak_VOICE** voices = espeak_ListVoices(nullptr);
    std::vector<std::string> languages;
    for (std::size_t i = 0; voices[i] != nullptr; ++i) {
      languages.emplace_back(voices[i]->languages + 1);
    }
    const int index = engines::VoiceIndex(languages, 1);
    return index >= 0 && espeak_SetVoiceByName(voices[index]->name) == EE_OK;
  }();
  EXPECT_TRUE(ready) << "espeak-ng has no voice";
  const auto read = [](const std::string& word) {
    const std::string utf8 = base::Windows1252ToUtf8(word);
    const void* text = utf8.c_str();
    std::string all;
    while (text != nullptr) {
      // Phoneme names parted by '|', words by blanks.
      const char* phonemes = espeak_TextToPhonemes(&text, espeakCHARS_UTF8, '|' << 8);
      if (phonemes != nullptr) all += std::string(phonemes) + " ";
    }
    std::string joined;
    for (const std::string& said : Split(all)) joined += (joined.empty() ? "" : "|+|") + said;
    return Split(joined, "|',;-_#");
  };
  return {"espeak-ng", read, "aeiouyEOUI&@"};
}

// The recorded voice: the translator's units ("[" + units joined by "/" + "]" a word).
FrontEnd RecordedFrontEnd() {
  static const voice::PhoneticTranslator translator = [] {
    voice::PhoneticTranslator t;
    EXPECT_TRUE(t.LoadPhoneticRules(CADENCIO_SOURCE_DIR "/data/regras.rgr"));
    EXPECT_TRUE(t.LoadPhoneticExceptions(CADENCIO_SOURCE_DIR "/data/portug.exc"));
    return t;
  }();
  const auto read = [](const std::string& word) {
    std::string phonetic = base::AsciiLowerCase(translator.TranslateToPhonetic(word));
    for (std::size_t at = phonetic.find("]["); at != std::string::npos; at = phonetic.find("]["))
      phonetic.replace(at, 2, "/+/");
    return Split(phonetic, "[]/ ");
  };
  return {"recorded voice", read, "aeiou"};
}

// Why a front end's reading of a word is not the word said whole; empty when it is.
std::string Fault(const FrontEnd& front_end, const std::string& word) {
  constexpr auto npos = std::string_view::npos;
  const std::vector<std::string> phonemes = front_end.read(word);
  if (std::count(phonemes.begin(), phonemes.end(), "+") > 0) return "said as several words";
  std::vector<std::string> letters;
  for (char c : word) {
    const std::vector<std::string> name = front_end.read(std::string(1, c));
    letters.insert(letters.end(), name.begin(), name.end());
  }
  if (phonemes == letters) return "said as letter names";
  std::size_t onset = 0;
  while (onset < phonemes.size() && front_end.vowels.find(phonemes[onset][0]) == npos) ++onset;
  if (onset == phonemes.size()) return "no vowel";
  static const std::set<std::string> kSecond = {"l", "r", "R", "*", "w", "j", "y"};
  if (onset > 2 || (onset == 2 && !kSecond.contains(phonemes[1]))) return "opens on a cluster";
  return {};
}

TEST(SpokenForm, EveryMessageIsSaidAsWordsByEveryVoice) {
  const FrontEnd front_ends[] = {SivraFrontEnd(), EspeakFrontEnd(), RecordedFrontEnd()};
  int words = 0;
  for (const std::string& key : CatalogueKeys()) {
    // Marks and hyphens part words, as the front end parts them for the recorded voice.
    std::string spoken = SpokenForm(MessageText(key));
    std::replace_if(
        spoken.begin(), spoken.end(),
        [](char c) { return !tts::IsInLetterSet(c) && !std::isdigit(static_cast<uint8_t>(c)); },
        ' ');
    for (const std::string& word : Split(spoken)) {
      if (word.size() < 2 || word.find_first_of("0123456789") != std::string::npos) continue;
      ++words;
      for (const FrontEnd& front_end : front_ends) {
        const std::string fault = Fault(front_end, word);
        EXPECT_TRUE(fault.empty()) << key << ": \"" << testing::Visible(word) << "\" " << fault
                                   << " by the " << front_end.name;
      }
    }
  }
  EXPECT_GT(words, 300) << "the catalogue was read";
}

}  // namespace
}  // namespace cadencio::app
