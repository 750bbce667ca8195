// The MBROLA driver over a program, proved with a stand-in `mbrola` that turns each phoneme
// line of n ms into n x 16 samples of value n: start and voice check, writing, flushing,
// reading in pieces, reset, errors, and a long utterance that never blocks the pipes.
#include "synth/mbrola_program.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "support/scratch_dir.hpp"

namespace cadencio::synth {
namespace {

using testing::ReadBytes;
using testing::ScopedEnv;
using testing::ScratchDir;
using testing::WriteBytes;

class MbrolaProgramTest : public ::testing::Test {
 protected:
  MbrolaProgramTest() : log_env_("FAKE_MBROLA_LOG", dir_ / "log") {
    WriteBytes(voice_, "FAKE-MBROLA-VOICE\n");
  }

  // Every sample of the utterance, read in pieces of `piece` samples.
  static std::vector<int16_t> ReadAll(Mbrola& mbrola, int piece) {
    std::vector<int16_t> all;
    std::vector<int16_t> buffer(piece);
    int n = 0;
    while ((n = mbrola.Read(buffer.data(), piece)) > 0) {
      EXPECT_LE(n, piece);
      all.insert(all.end(), buffer.begin(), buffer.begin() + n);
    }
    return all;
  }

  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    std::string text = ReadBytes(dir_ / "log");
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
      lines.push_back(text.substr(start, end - start));
    }
    return lines;
  }

  ScratchDir dir_;
  ScopedEnv log_env_;
  std::string voice_ = dir_ / "br4";
};

TEST_F(MbrolaProgramTest, InitChecksProgramAndVoice) {
  MbrolaProgram good(FAKE_MBROLA);
  EXPECT_EQ(good.Init(voice_), 0);
  EXPECT_EQ(good.LastError(), 0);

  WriteBytes(dir_ / "not-a-voice", "RIFF....");
  struct Case {
    std::string program;
    std::string voice;
  };
  const Case cases[] = {{FAKE_MBROLA, dir_ / "missing"},
                        {FAKE_MBROLA, dir_ / "not-a-voice"},
                        {dir_ / "no-such-mbrola", voice_}};
  for (const Case& c : cases) {
    MbrolaProgram bad(c.program);
    EXPECT_LT(bad.Init(c.voice), 0) << c.program << " " << c.voice;
    EXPECT_NE(bad.LastError(), 0) << c.program << " " << c.voice;
    EXPECT_FALSE(bad.LastErrorText().empty());
  }
}

TEST_F(MbrolaProgramTest, WriteFlushAndReadInPieces) {
  MbrolaProgram mbrola(FAKE_MBROLA);
  ASSERT_EQ(mbrola.Init(voice_), 0);
  mbrola.SetNoError(1);
  mbrola.Reset();
  const std::vector<std::string> lines = {";casa\r\n", "k 80 50 230\r\n",   "a 145 80 230\r\n",
                                          "z 130\r\n", "a 1000 50 230\r\n", "\r\n"};
  int16_t scratch[16];
  for (const std::string& line : lines) {
    EXPECT_EQ(mbrola.Write(line), 0);
    EXPECT_EQ(mbrola.LastError(), 0);
    EXPECT_GE(mbrola.Read(scratch, 0), 0);  // nothing asked, nothing taken
  }
  mbrola.Flush();
  const std::vector<int16_t> samples = ReadAll(mbrola, 1000);
  ASSERT_EQ(samples.size(), (80u + 145u + 130u + 1000u) * 16u);
  EXPECT_EQ(samples.front(), 80);
  EXPECT_EQ(samples[80 * 16], 145);
  EXPECT_EQ(samples[(80 + 145) * 16], 130);
  EXPECT_EQ(samples.back(), 1000);
  EXPECT_EQ(mbrola.Read(scratch, 16), 0);  // the utterance has ended
  EXPECT_EQ(mbrola.LastError(), 0);

  const std::vector<std::string> log = LogLines();
  ASSERT_GE(log.size(), 8u);
  EXPECT_EQ(log[log.size() - 8], "<start>");
  EXPECT_EQ(log[log.size() - 7], ";casa");
  EXPECT_EQ(log.back(), "#");

  // The next utterance runs as well.
  ASSERT_EQ(mbrola.Write("_ 10\r\n"), 0);
  mbrola.Flush();
  EXPECT_EQ(ReadAll(mbrola, 16000).size(), 160u);
}

TEST_F(MbrolaProgramTest, ResetDropsPendingInputAndOutput) {
  MbrolaProgram mbrola(FAKE_MBROLA);
  ASSERT_EQ(mbrola.Init(voice_), 0);
  mbrola.Write("a 10\r\n");
  mbrola.Write("b 20\r\n");
  mbrola.Reset();
  mbrola.Write("c 30\r\n");
  mbrola.Flush();
  const std::vector<int16_t> samples = ReadAll(mbrola, 16000);
  ASSERT_EQ(samples.size(), 480u);
  EXPECT_EQ(samples.front(), 30);
}

TEST_F(MbrolaProgramTest, ErrorsAreReportedAndResetClearsThem) {
  struct Case {
    int no_error;
    std::string line;
    bool error;
  };
  const Case cases[] = {{1, "?? 50\r\n", false}, {0, "?? 50\r\n", true}, {1, "CRASH\r\n", true}};
  for (const Case& c : cases) {
    MbrolaProgram mbrola(FAKE_MBROLA);
    ASSERT_EQ(mbrola.Init(voice_), 0);
    mbrola.SetNoError(c.no_error);
    mbrola.Write("a 10\r\n");
    mbrola.Write(c.line);
    mbrola.Write("b 10\r\n");
    mbrola.Flush();
    ReadAll(mbrola, 16000);
    EXPECT_EQ(mbrola.LastError() != 0, c.error) << c.line << " no_error " << c.no_error;
    if (c.line == "CRASH\r\n") {
      EXPECT_NE(mbrola.LastErrorText().find("crashed on purpose"), std::string::npos);
    }
    mbrola.Reset();
    EXPECT_EQ(mbrola.LastError(), 0);
    mbrola.Write("c 10\r\n");
    mbrola.Flush();
    EXPECT_EQ(ReadAll(mbrola, 16000).size(), 160u) << c.line;
  }
}

// Megabytes of output while the writer does not read: the driver keeps both pipes moving.
TEST_F(MbrolaProgramTest, LongUtteranceWithoutReadingNeverBlocks) {
  MbrolaProgram mbrola(FAKE_MBROLA);
  ASSERT_EQ(mbrola.Init(voice_), 0);
  for (int i = 0; i < 2000; ++i) ASSERT_EQ(mbrola.Write("a 100\r\n"), 0) << i;
  mbrola.Flush();
  EXPECT_EQ(ReadAll(mbrola, 16000).size(), 2000u * 1600u);
}

TEST(MbrolaProgramLookup, FoundInPathWhenExecutable) {
  ScratchDir dir;
  WriteBytes(dir / "plain", "not a program");
  EXPECT_TRUE(FindProgram("sh").has_value());
  EXPECT_EQ(FindProgram(FAKE_MBROLA), std::string(FAKE_MBROLA));
  EXPECT_FALSE(FindProgram("no-such-program-anywhere").has_value());
  EXPECT_FALSE(FindProgram(dir / "plain").has_value());  // not executable
}

}  // namespace
}  // namespace cadencio::synth
