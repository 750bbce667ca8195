// Tests of profile text lookup and editing: the Windows private-profile reading rules, and
// edits that change only the lines written to.
#include "files/profile_text.hpp"

#include <gtest/gtest.h>

namespace cadencio::files {
namespace {

struct LookupCase {
  const char* name;
  std::string text;
  const char* section;
  const char* key;
  std::optional<std::string> expected;
};

TEST(ProfileLookup, FollowsThePrivateProfileRules) {
  const LookupCase cases[] = {
      {"plain", "[A]\nk=v\n", "A", "k", "v"},
      {"case of section and key", "[Cadencio]\nBpm=120\n", "CADENCIO", "bPM", "120"},
      {"blanks around key and value", "[A]\n  k \t=  v w \t\n", "A", "k", "v w"},
      {"blanks around the asked names", "[A]\nk=1\n", " A ", "\tk ", "1"},
      {"first key wins", "[A]\nk=1\nK=2\n", "A", "k", "1"},
      {"first section wins", "[A]\nk=1\n[a]\nk=2\n", "A", "k", "1"},
      {"only the first section is searched", "[A]\nx=1\n[A]\nk=2\n", "A", "k", std::nullopt},
      {"CRLF line ends", "[A]\r\nk=v\r\nj=w\r\n", "A", "j", "w"},
      {"CR line ends", "[A]\rk=v\rj=w\r[B]\rj=x\r", "A", "j", "w"},
      {"missing section", "[A]\nk=1\n", "B", "k", std::nullopt},
      {"missing key", "[A]\nk=1\n", "A", "j", std::nullopt},
      {"key of the next section", "[A]\n[B]\nk=1\n", "A", "k", std::nullopt},
      {"keys before any section", "k=0\n[A]\nk=1\n", "A", "k", "1"},
      {"comment line", "[A]\n;k=1\n  ; k=2\nk=3\n", "A", "k", "3"},
      {"line without equals sign", "[A]\nk\nk=4\n", "A", "k", "4"},
      {"empty value is present", "[A]\nk=\n", "A", "k", ""},
      {"equals sign inside value", "[A]\nk=a=b\n", "A", "k", "a=b"},
      {"quotes around value dropped", "[A]\nk=\"  x \"\n", "A", "k", "  x "},
      {"single quotes dropped", "[A]\nk='y'\n", "A", "k", "y"},
      {"unmatched quote kept", "[A]\nk=\"y\n", "A", "k", "\"y"},
      {"header with blanks and comment", "  [ A ]  ; note\nk=1\n", "A", "k", "1"},
      {"header without closing bracket", "[A\nk=1\n", "A", "k", "1"},
      {"UTF-8 byte order mark", "\xEF\xBB\xBF[A]\nk=1\n", "A", "k", "1"},
      {"Windows-1252 value as stored", "[A]\nk=Tern\xE1rio\n", "A", "k", "Tern\xE1rio"},
      {"no final line end", "[A]\nk=v", "A", "k", "v"},
      {"lone CR at the end", "[A]\nk=v\r", "A", "k", "v"},
      {"empty text", "", "A", "k", std::nullopt},
      {"NUL bytes are ordinary", std::string("[A]\nk=a\0b\n", 10), "A", "k",
       std::string("a\0b", 3)},
  };
  for (const LookupCase& c : cases) {
    EXPECT_EQ(FindProfileValue(c.text, c.section, c.key), c.expected) << c.name;
  }
}

TEST(ProfileLookup, ListsASectionInOrderWithFirstOccurrences) {
  std::string text = "[B]\nz=0\n[A]\nk=1\n;c=2\nJ = 'two'\nK=3\n[B]\nm=4\n";
  ProfileEntries expected = {{"k", "1"}, {"J", "two"}};
  EXPECT_EQ(ListProfileSection(text, "a"), expected);
  EXPECT_TRUE(ListProfileSection(text, "C").empty());
}

struct UpdateCase {
  const char* name;
  std::string before;
  const char* section;
  ProfileEntries entries;
  std::string after;
};

TEST(ProfileUpdate, ChangesOnlyTheLinesWrittenTo) {
  const UpdateCase cases[] = {
      {"replace in place keeps key spelling and layout",
       "[X]\nb=1\n[Cadencio]\n  Bpm = 60  \nk=1\n",
       "CADENCIO",
       {{"BPM", "120"}},
       "[X]\nb=1\n[Cadencio]\n  Bpm = 120\nk=1\n"},
      {"new key after the last key line",
       "[A]\nk=1\n\n; note\n[B]\nj=2\n",
       "A",
       {{"z", "9"}},
       "[A]\nk=1\nz=9\n\n; note\n[B]\nj=2\n"},
      {"new key in an empty section", "[A]\n[B]\n", "a", {{"k", "1"}}, "[A]\nk=1\n[B]\n"},
      {"comment right after the header stays below",
       "[A]\n;k=1\n",
       "A",
       {{"k", "2"}},
       "[A]\nk=2\n;k=1\n"},
      {"new section at the end", "[A]\nk=1\n", "B", {{"j", "2"}}, "[A]\nk=1\n\n[B]\nj=2\n"},
      {"new section after a blank last line",
       "[A]\nk=1\n\n",
       "B",
       {{"j", "2"}},
       "[A]\nk=1\n\n[B]\nj=2\n"},
      {"new section when the last line lacks its end",
       "[A]\nk=1",
       "B",
       {{"j", "2"}},
       "[A]\nk=1\n\n[B]\nj=2\n"},
      {"new key when the last line lacks its end",
       "[A]\nk=1",
       "A",
       {{"z", "2"}},
       "[A]\nk=1\nz=2\n"},
      {"lone CR at the end completed to CRLF",
       "[A]\r\nk=1\r",
       "A",
       {{"z", "2"}},
       "[A]\r\nk=1\r\nz=2\r\n"},
      {"empty text", "", "B", {{"j", "2"}}, "[B]\nj=2\n"},
      {"CRLF kept when replacing and adding",
       "[A]\r\nk=1\r\n",
       "A",
       {{"k", "2"}, {"z", "3"}},
       "[A]\r\nk=2\r\nz=3\r\n"},
      {"CR kept when replacing and adding",
       "[A]\rk=1\r[B]\r",
       "A",
       {{"k", "2"}, {"z", "3"}},
       "[A]\rk=2\rz=3\r[B]\r"},
      {"CRLF used for a new section",
       "[A]\r\nk=1\r\n",
       "B",
       {{"j", "2"}},
       "[A]\r\nk=1\r\n\r\n[B]\r\nj=2\r\n"},
      {"value cut at its first line break",
       "[A]\nk=1\n",
       "A",
       {{"k", "5\r\n[EVIL]\nx=1"}},
       "[A]\nk=5\n"},
      {"key cut at its first line break and trimmed",
       "[A]\n",
       "A",
       {{" z \nq=1", "1"}},
       "[A]\nz=1\n"},
      {"empty value", "[A]\nk=1\n", "A", {{"k", ""}}, "[A]\nk=\n"},
      {"first of two same sections",
       "[A]\nk=1\n[A]\nk=2\n",
       "A",
       {{"K", "3"}},
       "[A]\nk=3\n[A]\nk=2\n"},
      {"settings in their order into a new section",
       "[TRADUTOR]\nVELOCIDADE=3\n",
       "CADENCIO",
       {{"BPM", "120"},
        {"COMPASSO", "Tern\xE1rio"},
        {"SOMTEMPO", "TAMBOR"},
        {"SOMCOMPASSO", "PRATO"}},
       "[TRADUTOR]\nVELOCIDADE=3\n\n[CADENCIO]\nBPM=120\nCOMPASSO=Tern\xE1rio\nSOMTEMPO=TAMBOR\n"
       "SOMCOMPASSO=PRATO\n"},
      {"other sections, comments and bytes untouched",
       "; AUDIRA.INI\r\n[AUDIRA]\r\nPGMAUDIRA=c:\\sonaud\\\r\n\r\n[CADENCIO]\r\n"
       "DIRCADENCIO = c:\\sonaud\\som\\cadencio\\ ; x\r\nBPM=60\r\n\r\n; fim\r\n[VIDEO]\r\n"
       "FONTE=Lucida\xA0\r\n",
       "cadencio",
       {{"BPM", "90"}, {"SOMTEMPO", "padrao1"}},
       "; AUDIRA.INI\r\n[AUDIRA]\r\nPGMAUDIRA=c:\\sonaud\\\r\n\r\n[CADENCIO]\r\n"
       "DIRCADENCIO = c:\\sonaud\\som\\cadencio\\ ; x\r\nBPM=90\r\nSOMTEMPO=padrao1\r\n\r\n"
       "; fim\r\n[VIDEO]\r\nFONTE=Lucida\xA0\r\n"},
  };
  for (const UpdateCase& c : cases) {
    EXPECT_EQ(UpdateProfileText(c.before, c.section, c.entries), c.after) << c.name;
  }
}

TEST(ProfileUpdate, RefusesNamesThatCannotBeStored) {
  const std::pair<const char*, const char*> cases[] = {
      {"A", ""}, {"A", "  "}, {"A", "\nk"}, {"A", "a=b"}, {"A", ";k"}, {"A", "[k"}, {"A]", "k"},
  };
  for (const auto& [section, key] : cases) {
    EXPECT_EQ(UpdateProfileText("[A]\nk=1\n", section, {{"ok", "1"}, {key, "2"}}), std::nullopt)
        << "section '" << section << "' key '" << key << "'";
  }
}

TEST(ProfileUpdate, WrittenValuesReadBack) {
  const std::string texts[] = {"", "[A]\nk=1\n", "[a]\r\nK = old\r\n[B]\r\n", "x\n[A]"};
  const std::string values[] = {"",           "1",     "  padded  ",
                                "Bin\xE1rio", "a=b;c", std::string(144, 'x')};
  for (const std::string& text : texts) {
    for (const std::string& value : values) {
      std::optional<std::string> updated = UpdateProfileText(text, "A", {{"k", value}});
      ASSERT_TRUE(updated.has_value());
      std::string trimmed = value == "  padded  " ? "padded" : value;
      EXPECT_EQ(FindProfileValue(*updated, "A", "K"), trimmed) << text << " / " << value;
    }
  }
}

}  // namespace
}  // namespace cadencio::files
