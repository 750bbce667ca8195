// The voice's phones and their carriers.
#include "lib/diphone_phones.hpp"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <map>

namespace cadencio::voicegen {

namespace {

const std::map<std::string, std::string>& EspeakNames() {
  // espeak-ng's Brazilian Portuguese phonemes for our phones, which are named as in the br4
  // MBROLA voice: x is the sound of "ch", j of "j", rr the strong r, r2 and s2 the coda r and s,
  // an and @ the nasal a (before a consonant, and before the glide of -ão and -ãe), ee and oo
  // the open vowels, w and y the glides.
  static const std::map<std::string, std::string> names = {
      {"_", "_"},  {"a", "a"},   {"an", "&~"}, {"@", "&~"},  {"b", "b"},  {"d", "d"},
      {"e", "e"},  {"ee", "E"},  {"en", "e~"}, {"f", "f"},   {"g", "g"},  {"h", "h"},
      {"i", "i"},  {"in", "i~"}, {"j", "Z"},   {"k", "k"},   {"l", "l"},  {"lh", "l^"},
      {"m", "m"},  {"m2", "m"},  {"n", "n"},   {"nh", "n^"}, {"o", "o"},  {"on", "o~"},
      {"oo", "O"}, {"p", "p"},   {"r", "*"},   {"r2", "r"},  {"rr", "x"}, {"s", "s"},
      {"s2", "s"}, {"t", "t"},   {"u", "u"},   {"un", "u~"}, {"v", "v"},  {"w", "w"},
      {"x", "S"},  {"y", "j"},   {"z", "z"}};
  return names;
}

bool IsCoda(const std::string& phone) {
  return phone == "r2" || phone == "s2" || phone == "m2";
}

// espeak-ng's phoneme for a phone before `next`: t and d before i are said as in Brazil, and an
// l that no vowel follows is written "l/", which espeak-ng says as an l where its plain "l"
// would turn into a vowel or nothing (it reports both as "l").
std::string EspeakName(const std::string& phone, const std::string& next) {
  const bool before_i = next == "i" || next == "in";
  if (phone == "t" && before_i) return "tS";
  if (phone == "d" && before_i) return "dZ";
  if (phone == "l" && !IsVowelPhone(next)) return "l/";
  return EspeakNames().at(phone);
}

std::string ReportedName(const std::string& espeak_name) {
  return espeak_name == "l/" ? "l" : espeak_name;
}

struct Token {
  std::string phone;  // ours
  bool stressed = false;
};

}  // namespace

bool StartDiphoneSpeaker(EspeakVoice& voice, bool flat) {
  if (!voice.Ok()) return false;
  espeak_SetParameter(espeakPITCH, 75, 0);
  espeak_SetParameter(espeakRANGE, flat ? 0 : 50, 0);
  voice.SetRate(150);
  return true;
}

const std::vector<std::string>& DiphonePhoneSet() {
  static const std::vector<std::string> phones = {
      "_",  "a",  "an", "@", "b",  "d", "e",  "ee", "en", "f", "g",  "h",  "i",
      "in", "j",  "k",  "l", "lh", "m", "m2", "n",  "nh", "o", "on", "oo", "p",
      "r",  "r2", "rr", "s", "s2", "t", "u",  "un", "v",  "w", "x",  "y",  "z"};
  return phones;
}

bool IsVowelPhone(const std::string& phone) {
  static const std::vector<std::string> vowels = {"a",  "an", "@",  "e",  "ee", "en", "i",
                                                  "in", "o",  "on", "oo", "u",  "un"};
  return std::find(vowels.begin(), vowels.end(), phone) != vowels.end();
}

bool IsStopPhone(const std::string& phone) {
  static const std::vector<std::string> stops = {"p", "t", "k", "b", "d", "g"};
  return std::find(stops.begin(), stops.end(), phone) != stops.end();
}

Carrier DiphoneCarrier(const std::string& first, const std::string& second, bool separated) {
  auto stressable = [](const std::string& p) { return IsVowelPhone(p); };
  const bool pair_stressed = stressable(first) || stressable(second);
  std::vector<Token> tokens;
  // Before the first phone: a consonant before a vowel, a vowel before a consonant.
  if (first != "_") tokens.push_back(IsVowelPhone(first) ? Token{"t"} : Token{"a", !pair_stressed});
  const std::size_t first_at = tokens.size();
  tokens.push_back({first, stressable(first)});
  tokens.push_back({second, stressable(second)});
  // After the second phone: "ta" after a vowel or a coda consonant, "a" after a consonant.
  if (second != "_") {
    if (IsVowelPhone(second) || IsCoda(second)) tokens.push_back({"t"});
    tokens.push_back({"a", !pair_stressed && first == "_"});
  }

  Carrier carrier;
  carrier.first = first_at;
  carrier.second = first_at + 1;
  carrier.input = "[[";
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const std::string next = i + 1 < tokens.size() ? tokens[i + 1].phone : "_";
    const std::string name = EspeakName(tokens[i].phone, next);
    if (separated && i == carrier.second) carrier.input += ' ';
    if (tokens[i].stressed) carrier.input += '\'';
    carrier.input += name;
    carrier.expected.push_back(ReportedName(name));
  }
  carrier.input += "]]";
  return carrier;
}

}  // namespace cadencio::voicegen
