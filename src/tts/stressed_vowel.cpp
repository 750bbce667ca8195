// Finding the stressed vowel with a state machine over the word read backwards.
#include "tts/stressed_vowel.hpp"

#include <string>

#include "tts/tts_text.hpp"

namespace cadencio::tts {
namespace {

bool IsIn(char c, std::string_view set) {
  return set.find(c) != std::string_view::npos;
}

// à á â ã é ê í ó ô õ ú
constexpr std::string_view kAccented = "\xE0\xE1\xE2\xE3\xE9\xEA\xED\xF3\xF4\xF5\xFA";
// a e i o u w y ü
constexpr std::string_view kVowelish = "aeiouwy\xFC";

// States of the scan, named after what has been read from the end of the word.
enum State {
  kWordEnd = 0,
  kAfterFinalVowel = 1,
  kSyllableBefore = 2,
  kAfterSecondVowel = 3,
  kFinalVowelAfterU = 4,
  kUAfterSecondVowel = 5,
  kFinalU = 10,
  kFinalI = 20,
  kUBeforeFinalI = 21,
  kVowelBeforeFinalI = 22,
  kFinalConsonant = 30,
  kFinalM = 40,
};

}  // namespace

int FindStressedVowel(std::string_view word) {
  const std::string w = base::LowerCase1252(word);
  const int n = static_cast<int>(w.size());
  for (int k = n; k >= 1; --k) {
    if (IsIn(w[k - 1], kAccented)) return k;
  }
  if (w.find_first_of(kVowelish) == std::string::npos) return 0;

  State s = kWordEnd;
  int r = 0;
  for (int k = n; k >= 1; --k) {
    const char c = w[k - 1];
    const bool gq = c == 'g' || c == 'q';
    switch (s) {
      case kWordEnd:
        if (IsIn(c, "aeo")) {
          r = k;
          s = kAfterFinalVowel;
        } else if (c == 'i') {
          r = k;
          s = kFinalI;
        } else if (c == 'u') {
          r = k;
          s = kFinalU;
        } else if (c == 'm' || (c == 'n' && k < n && w[k] == 's')) {
          // -ns is the plural of -m (homens, jovens) and is stressed the same way.
          s = kFinalM;
        } else if (c != 's') {
          s = kFinalConsonant;
        }
        break;
      case kAfterFinalVowel:
        if (c == 'u') {
          s = kFinalVowelAfterU;
        } else if (c == 'i' && k >= 2 && IsIn(w[k - 2], "aeo")) {
          // An i between two vowels is a glide; the vowel before it carries the stress
          // (meia, praia, maio, apoio).
          return k - 1;
        } else if (IsIn(c, kVowelish)) {
          return k;
        } else {
          s = kSyllableBefore;
        }
        break;
      case kSyllableBefore:
        if (IsIn(c, "aeo")) return k;
        if (c == 'i' || c == 'u') {
          r = k;
          s = kAfterSecondVowel;
        }
        break;
      case kAfterSecondVowel:
        if (IsIn(c, "aeo")) return k;
        if (c != 'u') return r;
        s = kUAfterSecondVowel;
        break;
      case kFinalVowelAfterU:
        if (!gq) return k + 1;
        r = k + 2;
        s = kSyllableBefore;
        break;
      case kUAfterSecondVowel:
        // An i before two consonants is a syllable of its own (incluindo, construirmos).
        if (r < n - 1 && !IsIn(w[r], kVowelish) && !IsIn(w[r + 1], kVowelish)) return r;
        return gq ? k + 2 : k + 1;
      case kFinalU:
        return IsIn(c, "aeio") ? k : r;
      case kFinalI:
        if (IsIn(c, "aeo")) {
          r = k;
          s = kVowelBeforeFinalI;
        } else if (c == 'u') {
          s = kUBeforeFinalI;
        } else {
          return r;
        }
        break;
      case kUBeforeFinalI:
        return gq ? k + 2 : k + 1;
      case kVowelBeforeFinalI:
        // The final diphthong (-ei, -ai, -oi) is stressed whatever vowel stands before it:
        // abençoei, passeei, passeai, acentuei, anuais.
        return r;
      case kFinalConsonant:
        if (IsIn(c, kVowelish)) return k;
        break;
      case kFinalM:
        if (IsIn(c, "iou")) return k;
        if (c == 'a' || c == 'e') {
          r = k;
          s = kAfterFinalVowel;
        } else {
          s = kWordEnd;
        }
        break;
    }
  }
  return r;
}

bool IsUnstressedWord(std::string_view word) {
  if (word.size() < 3) return true;
  for (std::string_view w : {"POR", "DAS", "DOS", "COM", "N\xC3O", "SIM"}) {
    if (word == w) return true;
  }
  return false;
}

}  // namespace cadencio::tts
