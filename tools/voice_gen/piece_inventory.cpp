// Enumerating piece names with the player's own cutting and splitting.
#include "piece_inventory.hpp"

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
      for (const auto& piece : syllable.pieces) AddPiece(piece.name, pieces);
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
  AddPiece("$NN", pieces);
  return pieces;
}

}  // namespace cadencio::voicegen
