// The stress state machine of the recorded voice's text-to-phonetic translator. The word is
// scanned from its last letter to its first; states 6 and 7 decide that the letter one or two
// places to the right of the current one is stressed. A decision reached on the first letter
// is never applied, so such words stay unmarked.
#include "voice/phonetic_stress.hpp"

#include <string>

#include "base/windows1252.hpp"
#include "voice/phonetic_chars.hpp"

namespace cadencio::voice {

using namespace phonetic_chars;
namespace {

bool IsAeo(char c) {
  return c == 'a' || c == 'e' || c == 'o';
}
bool IsIu(char c) {
  return c == 'i' || c == 'u';
}

// Letters 1..n of the word; anything outside reads as byte 0, which is in no class.
class WordView {
 public:
  explicit WordView(std::string& text) : text_(text) {}
  int Size() const { return static_cast<int>(text_.size()); }
  char At(int i) const {
    return (i >= 1 && i <= Size()) ? text_[static_cast<std::size_t>(i - 1)] : '\0';
  }
  void Stress(int i) {
    if (i >= 1 && i <= Size()) {
      char& c = text_[static_cast<std::size_t>(i - 1)];
      c = base::AsciiUpperCase(c);
    }
  }

 private:
  std::string& text_;
};

// State 8 (an i or u follows, after a, e or o): is the i or u a vowel of its own?
bool StressesFollowingIOrU(const WordView& w, int c) {
  const char x = w.At(c);
  if (IsPhoneticConsonant(x)) return true;
  if (x == 'u' && IsGq(w.At(c - 1))) return true;
  const char after = w.At(c + 2);
  const char next = w.At(c + 3);
  if (!IsOneOf(after, "lmnrz")) return false;
  const bool nh_or_rr = (after == 'n' && next == 'h') || (after == 'r' && next == 'r');
  return nh_or_rr || (IsPhoneticConsonant(next) && next != 'h');
}

// One step of the scan: the next state for letter c in state s.
int NextStressState(const WordView& w, int s, int c) {
  const char x = w.At(c);
  switch (s) {
    case 0:
      if (IsAeo(x)) return 5;
      if (IsIu(x)) return 3;
      if (IsOneOf(x, "lnrxz")) return 1;
      if (x == 'm') return 2;
      if (x == 's') return 4;
      return 0;
    case 1:
      return IsPhoneticVowel(x) ? 6 : 1;
    case 2:
      if (x == 'a' || x == 'e') return 5;
      if (IsIu(x)) return 3;
      if (x == 'o') return 6;
      return 2;
    case 3:
      if (IsPhoneticConsonant(x)) return 7;
      // Looks for the u one letter further left than state 8 does.
      if (w.At(c - 1) == 'u' && IsGq(w.At(c - 2))) return 7;
      return 6;
    case 4:
      if (IsAeo(x)) return 5;
      if (IsIu(x)) return 3;
      return 4;
    case 5:
      if (IsAeo(x)) return 6;
      if (IsIu(x)) return 8;
      return 5;
    case 8:
      return StressesFollowingIOrU(w, c) ? 7 : 6;
    default:
      return s;
  }
}

}  // namespace

void MarkStress(PhoneticWord& word) {
  if (word.explicit_accent || word.vowel_count == 0) return;
  if (word.vowel_count == 1 && (word.text.empty() || word.text.back() != 'l')) return;

  WordView w(word.text);
  int state = 0;
  for (int c = w.Size(); c >= 1; --c) {
    if (state == 6) return w.Stress(c + 1);
    if (state == 7) return w.Stress(c + 2);
    state = NextStressState(w, state, c);
  }
}

}  // namespace cadencio::voice
