// The text side of the field editor: word moves, the word F1 reads, the word F12 opens, the
// replacement of a selection, and the program chosen to open a link or file.
#include "dialogs/field_text.hpp"

#include <gtest/gtest.h>

#include <map>

#include "dialogs/open_link.hpp"

namespace cadencio::dialogs {
namespace {

// A field text padded with blanks to `capacity`.
std::string Field(const std::string& text, int capacity = 20) {
  std::string field = text;
  field.resize(capacity, ' ');
  return field;
}

TEST(FieldWordMoves, NextWord) {
  struct Case {
    const char* text;
    int from;
    int to;
    bool refused;
  };
  const Case cases[] = {
      {"abc def", 1, 5, false},        // past the letters and the blank
      {"abc def", 3, 5, false},        // from inside a word
      {"123abc def", 1, 4, false},     // a digit run stops before letters
      {"abc123 x", 1, 4, false},       // letters stop before digits
      {".abc def", 1, 6, false},       // a mark takes the letters after it
      {"a.b", 1, 2, false},            // ... but not another mark
      {"ab\xE7\xE3o x", 1, 7, false},  // bytes 128..255 are letters
      {"   abc", 1, 4, false},         // from a blank: only the blanks
      {"abc def", 5, 8, true},         // the last word: after the last non-blank, refused
      {"", 1, 1, true},                // a blank field
      {"abc", 21, 4, true},            // from beyond the text
  };
  for (const auto& c : cases) {
    WordMove move = NextWord(Field(c.text), c.from);
    EXPECT_EQ(move.pos, c.to) << c.text << " from " << c.from;
    EXPECT_EQ(move.refused, c.refused) << c.text << " from " << c.from;
  }
}

TEST(FieldWordMoves, PreviousWord) {
  struct Case {
    const char* text;
    int from;
    int to;
    bool refused;
  };
  const Case cases[] = {
      {"abc def", 8, 5, false},  // from after the last word to its start
      {"abc def", 5, 1, false},  // from a word's start to the one before
      {"abc def", 7, 5, false},  // from inside a word to its start
      {"ab 1234", 8, 4, false},  // the first digit of a digit run
      {"ab12", 5, 3, false},     // digits do not join the letters before them
      {"abc.", 5, 1, false},     // a mark and the letters before it
      {"x   y", 5, 1, false},    // past the blanks
      {"   abc", 4, 1, true},    // only blanks before the cursor
      {"abc", 1, 1, true},       // at the start
      {"abc", 21, 1, false},     // from just beyond a full field's end
  };
  for (const auto& c : cases) {
    WordMove move = PreviousWord(Field(c.text), c.from);
    EXPECT_EQ(move.pos, c.to) << c.text << " from " << c.from;
    EXPECT_EQ(move.refused, c.refused) << c.text << " from " << c.from;
  }
}

TEST(FieldWordMoves, LastNonBlank) {
  EXPECT_EQ(LastNonBlank(Field("")), 0);
  EXPECT_EQ(LastNonBlank(Field("a b")), 3);
  EXPECT_EQ(LastNonBlank(Field(" ")), 0);
  EXPECT_EQ(LastNonBlank(std::string(5, 'x')), 5);
}

TEST(FieldReadableWord, KindsAndBounds) {
  struct Case {
    const char* text;
    int from;
    ReadableWord::Kind kind;
    int start;
    int end;
  };
  const Case cases[] = {
      {"casa 42", 1, ReadableWord::kSpeak, 1, 5},
      {"casa 42", 5, ReadableWord::kSpeak, 6, 8},   // blanks are skipped
      {"-5 graus", 1, ReadableWord::kSpeak, 1, 3},  // a minus sign with its digits
      {"12-34", 1, ReadableWord::kSpeak, 1, 3},     // digits only, the '-' is left
      {"str x", 1, ReadableWord::kSpell, 1, 4},     // consonants only: spelled
      {"STR", 1, ReadableWord::kSpell, 1, 4},       // ... in capitals too
      {"sim", 1, ReadableWord::kSpeak, 1, 4},       // a vowel: spoken
      {"n\xE3o", 1, ReadableWord::kSpeak, 1, 4},    // a byte of 128..255 is no consonant
      {"?abc", 1, ReadableWord::kSpell, 1, 2},      // any other character alone
      {"abc", 4, ReadableWord::kNothing, 4, 4},     // only blanks to the end
  };
  for (const auto& c : cases) {
    ReadableWord word = ReadableWordAt(Field(c.text), c.from);
    EXPECT_EQ(word.kind, c.kind) << c.text << " from " << c.from;
    if (c.kind == ReadableWord::kNothing) continue;
    EXPECT_EQ(word.start, c.start) << c.text << " from " << c.from;
    EXPECT_EQ(word.end, c.end) << c.text << " from " << c.from;
  }
}

TEST(FieldLinkWord, AroundTheCursorAndStripped) {
  struct Case {
    const char* text;
    int pos;
    const char* word;
  };
  const Case cases[] = {
      {"veja (www.exemplo.com) agora", 8, "www.exemplo.com)"},  // ')' is not stripped
      {"veja (www.exemplo.com) agora", 6, "www.exemplo.com)"},  // from the word's first cell
      {"\"notas.txt\".", 3, "notas.txt"},
      {"*-_[{<=>x>=<}]", 1, "x>=<}]"},
      {"a b", 2, "a"},  // on the blank after a word: that word
      {"a  b", 3, ""},  // between blanks: nothing
      {"(((", 2, ""},   // everything stripped
      {"abc", 21, ""},  // beyond the text in the padding
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LinkWordAt(Field(c.text, 30), c.pos), c.word) << c.text << " at " << c.pos;
  }
}

TEST(FieldReplaceRange, ReplacesCutsAndPads) {
  EXPECT_EQ(ReplaceRange(Field("abcdef", 8), 5, 7, "XYZ", 8), "abcdXYZ ");
  EXPECT_EQ(ReplaceRange(Field("abc", 6), 2, 2, "12", 6), "a12bc ");    // an empty range inserts
  EXPECT_EQ(ReplaceRange(Field("abcdef", 6), 1, 7, "", 6), "      ");   // an empty paste deletes
  EXPECT_EQ(ReplaceRange(Field("abc", 4), 2, 3, "123456", 4), "a123");  // cut to the capacity
}

// --- the program that opens a word --------------------------------------------------------

OpenRequest Resolve(const std::string& word, std::map<std::string, std::string> keys = {}) {
  return ResolveOpenRequest(
      word,
      [&keys](const std::string& key) {
        auto it = keys.find(key);
        return it == keys.end() ? std::string() : it->second;
      },
      "/home/user/docs");
}

TEST(OpenRequest, LinksGoToTheWebProgram) {
  for (const char* link : {"http://a.b", "https://a.b/c?d=1&e=2", "www.exemplo.com.br"}) {
    OpenRequest request = Resolve(link, {{"PROG.HTM", "/usr/bin/navegador"}});
    EXPECT_EQ(request.program, "/usr/bin/navegador") << link;
    EXPECT_EQ(request.parameter, link);
  }
  // Without a configured program the system's handler opens it; "www." becomes an address.
  EXPECT_EQ(Resolve("www.a.com").program, "xdg-open");
  EXPECT_EQ(Resolve("www.a.com").parameter, "http://www.a.com");
  EXPECT_EQ(Resolve("https://a.com").parameter, "https://a.com");
}

TEST(OpenRequest, FilesGoToTheProgramOfTheirExtension) {
  OpenRequest text = Resolve("notas.txt", {{"PROG.TXT", "editor"}});
  EXPECT_EQ(text.program, "editor");
  EXPECT_EQ(text.parameter, "notas.txt");
  // The 3 characters after the first '.', upper-cased with the accented letters.
  EXPECT_EQ(Resolve("a.b.doc", {{"PROG.B.D", "x"}}).program, "x");
  EXPECT_EQ(Resolve("m\xFAsica.\xE1ud", {{"PROG.\xC1UD", "player"}}).program, "player");
  // No '.': the first 3 characters.
  EXPECT_EQ(Resolve("leiame", {{"PROG.LEI", "viewer"}}).program, "viewer");
  // No program for the extension: the system's handler gets the word.
  OpenRequest plain = Resolve("foto.jpg");
  EXPECT_EQ(plain.program, "xdg-open");
  EXPECT_EQ(plain.parameter, "foto.jpg");
}

TEST(OpenRequest, ProgramsRunThemselvesFromTheCurrentDirectory) {
  OpenRequest relative = Resolve("jogo.exe");
  EXPECT_EQ(relative.program, "/home/user/docs/jogo.exe");
  EXPECT_EQ(relative.parameter, "");
  EXPECT_EQ(Resolve("RUN.COM").program, "/home/user/docs/RUN.COM");
  EXPECT_EQ(Resolve("/opt/x.exe").program, "/opt/x.exe");
  EXPECT_EQ(Resolve("d:\\jogos\\x.exe").program, "/jogos/x.exe");
}

TEST(OpenRequest, WordsNeverBecomeOptions) {
  EXPECT_EQ(Resolve("-rf.txt").parameter, "./-rf.txt");
}

TEST(OpenRequest, TheWordIsCutTo255Characters) {
  std::string word = "http://" + std::string(400, 'a');
  EXPECT_EQ(Resolve(word, {{"PROG.HTM", "p"}}).parameter.size(), 255u);
}

}  // namespace
}  // namespace cadencio::dialogs
