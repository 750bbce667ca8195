// Enumerating piece names with the player's own cutting and splitting.
#include "lib/piece_inventory.hpp"

#include <array>

#include "voice/phonetic_units.hpp"

namespace cadencio::voicegen {

namespace {

void AddPiece(std::string name, std::set<std::string>& pieces) {
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (name.size() > 1 && name[0] == '$' && name.size() <= kMaxStoredPieceName) {
    pieces.insert(name);
  }
}

// Adds a piece as the player asks for it. A name too long for the index is never found, and
// the player then plays it as smaller pieces (the part before a final vowel, circumflex or
// tilde, then that ending); those parts are added instead, the same way, so that a long name
// is heard whole rather than as noise or not at all. The split is the player's own, made on
// the name's original case (w and y count as vowels only in lower case).
void AddPlayedPiece(std::string_view name, std::set<std::string>& pieces) {
  name = name.substr(0, voice::kMaxPieceName);
  if (name.size() <= kMaxStoredPieceName || name[0] != '$') {
    AddPiece(std::string(name), pieces);
    return;
  }
  if (voice::IsVoiceVowel(name.back())) {
    AddPlayedPiece(name.substr(0, name.size() - 1), pieces);
    AddPlayedPiece(std::string("$") + name.back(), pieces);
  } else if (name.ends_with("CIRC") && name.size() >= 7) {
    AddPlayedPiece(name.substr(0, name.size() - 5), pieces);
    AddPlayedPiece('$' + std::string(name.substr(name.size() - 5)), pieces);
  } else if (name.ends_with("TIL")) {
    std::string stem(name.substr(0, name.size() - 3));
    if (stem.empty() || std::string_view("IiUu").find(stem.back()) == std::string_view::npos) {
      stem += "CIRC";
    }
    AddPlayedPiece(stem, pieces);
    AddPlayedPiece("$nn", pieces);
  }
}

constexpr std::array<const char*, 22> kConsonants = {"B",  "D",  "F",  "G",  "J",   "K", "L", "M",
                                                     "N",  "P",  "R",  "S",  "T",   "V", "X", "Z",
                                                     "RR", "NH", "LH", "DJ", "TCH", "KS"};
constexpr std::array<const char*, 5> kVowels = {"A", "E", "I", "O", "U"};
constexpr std::array<const char*, 3> kVowelMarks = {"", "CIRC", "TIL"};

}  // namespace

void AddPiecesOfPhonetic(std::string_view phonetic, std::set<std::string>& pieces) {
  std::size_t position = 0;
  int mode = voice::kStressGroupStart;
  while (position < phonetic.size()) {
    voice::ScannedUnit next = voice::ScanNextUnit(phonetic, position);
    if (next.next <= position) break;
    position = next.next;
    if (next.opens_group) mode = voice::kStressGroupStart;
    for (const auto& part : voice::SplitUnit(next.unit, 1.0)) {
      voice::SyllablePieces syllable = voice::SplitSyllable(part.text, mode);
      for (const auto& piece : syllable.pieces) AddPlayedPiece(piece.name, pieces);
      mode = syllable.mode_after;
    }
  }
}

void AddPiecesOfText(const voice::PhoneticTranslator& translator, std::string_view text,
                     std::set<std::string>& pieces) {
  AddPiecesOfPhonetic(translator.TranslateToPhonetic(text), pieces);
}

std::set<std::string> SystematicPieces() {
  std::set<std::string> pieces;
  for (const char* mark : kVowelMarks) {
    for (const char* v : kVowels) {
      AddPiece(std::string("$") + v + mark, pieces);
      for (const char* c : kConsonants) AddPiece(std::string("$") + c + v + mark, pieces);
      for (const char* glide : {"W", "Y"}) AddPiece(std::string("$") + v + glide + mark, pieces);
    }
  }
  for (const char* c : kConsonants) AddPiece(std::string("$") + c, pieces);
  // The glides alone: the player splits a unit such as "uww" down to them.
  AddPiece("$W", pieces);
  AddPiece("$Y", pieces);
  AddPiece("$NN", pieces);
  return pieces;
}

}  // namespace cadencio::voicegen
