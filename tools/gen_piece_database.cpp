// Writes the recorded voice's piece database, DIFONES2.IND and DIFONES2.DIF: every piece the
// player looks up when it speaks the words of a word list (one word a line, UTF-8) and the
// texts of the recording lists, together with a systematic set of consonant-vowel pieces,
// each rendered from its phonetic symbols by espeak-ng, and the rising form of every piece but a
// lone consonant, for the end of a yes/no question. The translator uses the rules and
// exceptions of the data directory. Without a word list only the other texts are used.
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/windows1252.hpp"
#include "files/atomic_file.hpp"
#include "lib/espeak_voice.hpp"
#include "lib/piece_inventory.hpp"
#include "lib/piece_renderer.hpp"
#include "lib/recording_list.hpp"
#include "voice/phonetic_translator.hpp"
#include "voice/piece_database.hpp"

namespace {

constexpr int kPieceWordsPerMinute = 230;

using cadencio::voicegen::AddPiecesOfText;

// Windows-1252 bytes of UTF-8 text; nothing when a character has no byte in the code page.
bool Utf8ToWindows1252(const std::string& utf8, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < utf8.size();) {
    unsigned char c = utf8[i];
    char32_t cp = 0;
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + extra >= utf8.size()) return false;
    cp = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += 1 + extra;
    int byte = cadencio::base::UnicodeToWindows1252(cp);
    if (byte < 0) return false;
    out += static_cast<char>(byte);
  }
  return true;
}

std::size_t AddWordList(const cadencio::voice::PhoneticTranslator& translator,
                        const std::string& path, std::set<std::string>& pieces) {
  std::ifstream in(path, std::ios::binary);
  std::string line, text;
  std::size_t words = 0;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || !Utf8ToWindows1252(line, text)) continue;
    AddPiecesOfText(translator, text, pieces);
    ++words;
  }
  return words;
}

bool AddListTexts(const cadencio::voice::PhoneticTranslator& translator, const std::string& path,
                  std::size_t fields, std::set<std::string>& pieces) {
  auto list = cadencio::voicegen::ReadRecordingList(path, fields);
  if (!list.error.empty()) {
    std::fprintf(stderr, "gen_piece_database: %s\n", list.error.c_str());
    return false;
  }
  std::string text;
  for (const auto& line : list.lines) {
    for (std::size_t f = 1; f < line.fields.size(); ++f) {
      if (line.fields[f].find("[[") == std::string::npos &&
          Utf8ToWindows1252(line.fields[f], text)) {
        AddPiecesOfText(translator, text, pieces);
      }
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: gen_piece_database DATA-DIRECTORY OUTPUT-DIRECTORY [WORD-LIST]\n");
    return 2;
  }
  const std::string data_dir = argv[1];
  const std::string out_dir = argv[2];
  cadencio::voice::PhoneticTranslator translator;
  if (!translator.LoadPhoneticRules(data_dir + "/regras.rgr") ||
      !translator.LoadPhoneticExceptions(data_dir + "/portug.exc")) {
    std::fprintf(stderr, "gen_piece_database: cannot read regras.rgr or portug.exc in %s\n",
                 data_dir.c_str());
    return 1;
  }
  std::set<std::string> pieces = cadencio::voicegen::SystematicPieces();
  if (!AddListTexts(translator, data_dir + "/prompts.txt", 3, pieces) ||
      !AddListTexts(translator, data_dir + "/voice-words.txt", 2, pieces)) {
    return 1;
  }
  std::size_t words = argc == 4 ? AddWordList(translator, argv[3], pieces) : 0;
  // Every piece that can end a yes/no question has its rising form too.
  std::set<std::string> questions;
  for (const std::string& name : pieces) {
    if (std::string question = cadencio::voicegen::QuestionPieceOf(name); !question.empty()) {
      questions.insert(question);
    }
  }
  pieces.insert(questions.begin(), questions.end());

  cadencio::voicegen::EspeakVoice voice("pt-br");
  if (!voice.Ok()) {
    std::fprintf(stderr, "gen_piece_database: %s\n", voice.Error().c_str());
    return 1;
  }
  // A syllable said alone gets the lengthening of a whole utterance; a quicker rate brings the
  // pieces nearer to the length of a syllable inside a word.
  voice.SetRate(kPieceWordsPerMinute);
  std::vector<cadencio::voice::PieceEntry> entries;
  std::vector<uint8_t> samples;
  for (const std::string& name : pieces) {
    std::vector<uint8_t> piece = cadencio::voicegen::RenderPiece(voice, name);
    if (piece.empty()) {
      std::fprintf(stderr, "gen_piece_database: warning: no sound for %s\n", name.c_str());
      continue;
    }
    entries.push_back(
        {name, static_cast<uint16_t>(piece.size()), static_cast<uint32_t>(samples.size())});
    samples.insert(samples.end(), piece.begin(), piece.end());
  }
  std::string index = cadencio::voice::EncodePieceIndex(entries);
  const std::string_view sample_bytes(reinterpret_cast<const char*>(samples.data()),
                                      samples.size());
  if (!cadencio::files::ReplaceFileAtomically(out_dir + "/DIFONES2.IND", index) ||
      !cadencio::files::ReplaceFileAtomically(out_dir + "/DIFONES2.DIF", sample_bytes)) {
    std::fprintf(stderr, "gen_piece_database: cannot write into %s\n", out_dir.c_str());
    return 1;
  }
  std::printf("gen_piece_database: %zu words, %zu pieces, %zu sample bytes\n", words,
              entries.size(), samples.size());
  return 0;
}
