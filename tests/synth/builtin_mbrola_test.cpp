// The built-in synthesizer through the MBROLA operations, on a small voice made by the test:
// finding the voice, exact durations, reading in pieces, reset, flush by '#', missing diphones
// with and without SetNoError, and the pitch following the points.
#include "synth/builtin_mbrola.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "lib/pitch_analysis.hpp"
#include "support/test_voice.hpp"

namespace cadencio::synth {
namespace {

namespace fs = std::filesystem;

class BuiltinMbrolaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("builtin_mbrola_test_" + std::to_string(::getpid()));
    fs::create_directories(root_ / "sivratts");
    voice_path_ = (root_ / "sivratts" / "tv.cdv").string();
    const std::vector<uint8_t> image = SerializeVoice(testing::MakeTestVoice());
    std::ofstream(voice_path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()),
               static_cast<std::streamsize>(image.size()));
    ::setenv("SONAUD_ROOT", root_.c_str(), 1);
    ASSERT_EQ(mbrola_->Init(voice_path_), 0) << mbrola_->LastErrorText();
  }
  void TearDown() override {
    ::unsetenv("SONAUD_ROOT");
    fs::remove_all(root_);
  }

  // Writes the lines, flushes, reads everything.
  std::vector<int16_t> Say(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) mbrola_->Write(line + "\r\n");
    mbrola_->Flush();
    return ReadAll(16000);
  }
  std::vector<int16_t> ReadAll(int capacity) {
    std::vector<int16_t> out;
    std::vector<int16_t> buffer(static_cast<std::size_t>(capacity));
    for (int n; (n = mbrola_->Read(buffer.data(), capacity)) > 0;) {
      EXPECT_LE(n, capacity);
      out.insert(out.end(), buffer.begin(), buffer.begin() + n);
    }
    return out;
  }

  fs::path root_;
  std::string voice_path_;
  std::unique_ptr<synth::Mbrola> mbrola_ = OpenBuiltinMbrola();
};

TEST_F(BuiltinMbrolaTest, FindsTheVoiceByPathNameOrLastComponent) {
  const std::string found[] = {
      voice_path_, (root_ / "sivratts" / "tv").string(), "tv",
      "TV",        "c:\\sonaud\\sivratts\\tv",           "/usr/share/mbrola/tv/tv"};
  for (const std::string& database : found) {
    auto other = OpenBuiltinMbrola();
    EXPECT_EQ(other->Init(database), 0) << database;
  }
  const std::string not_found[] = {"", "br9", (root_ / "sivratts").string() + "/",
                                   "/nonexistent/tv.cdv.x"};
  for (const std::string& database : not_found) {
    auto other = OpenBuiltinMbrola();
    EXPECT_LT(other->Init(database), 0) << database;
  }
  // A file that is not a voice.
  const std::string text = (root_ / "sivratts" / "plain.cdv").string();
  std::ofstream(text) << "not a voice\n";
  EXPECT_LT(OpenBuiltinMbrola()->Init(text), 0);
  // Nothing works before a voice is open.
  auto closed = OpenBuiltinMbrola();
  int16_t sample = 0;
  EXPECT_LT(closed->Write("a 100\r\n"), 0);
  EXPECT_LT(closed->Read(&sample, 1), 0);
}

TEST_F(BuiltinMbrolaTest, DurationsAreExactToTheSample) {
  // Milliseconds times 16, rounded on the running total.
  const std::vector<std::vector<std::string>> utterances = {
      {"_ 100", "a 120 50 130", "_ 100"},
      {"a 1"},
      {"s 0.03", "a 12.5", "i 12.5", "s 0.03"},
      {"_ 33.3", "a 33.3", "i 33.3", "s 33.3", "_ 33.3"},
      {"i 2000 0 180 100 240"},
      {"_ 0", "a 0"},
  };
  const std::size_t expected[] = {5120, 16, 16 * 25 + 1, 2664, 32000, 0};
  for (std::size_t i = 0; i < utterances.size(); ++i) {
    EXPECT_EQ(Say(utterances[i]).size(), expected[i]) << "utterance " << i;
  }
}

TEST_F(BuiltinMbrolaTest, ReadsInPiecesAndResets) {
  const std::vector<std::string> lines = {"_ 50", "a 200 50 220", "s 80", "i 150", "_ 50"};
  const std::vector<int16_t> whole = Say(lines);
  ASSERT_EQ(whole.size(), 530u * 16);
  for (int capacity : {1, 100, 7999, 16000}) {
    for (const std::string& line : lines) mbrola_->Write(line + "\r\n");
    int16_t sample = 0;
    EXPECT_EQ(mbrola_->Read(&sample, 1), 0) << "nothing before the flush";
    mbrola_->Flush();
    EXPECT_EQ(ReadAll(capacity), whole) << "capacity " << capacity;
  }
  // '#' flushes like Flush; a line may come in parts.
  for (const std::string& line : lines) mbrola_->Write(line + "\r\n");
  mbrola_->Write("#");
  mbrola_->Write("\r\n");
  EXPECT_EQ(ReadAll(16000), whole);
  // Reset drops what was written and what was made.
  mbrola_->Write("a 100\r\n");
  mbrola_->Reset();
  mbrola_->Flush();
  EXPECT_TRUE(ReadAll(16000).empty());
  for (const std::string& line : lines) mbrola_->Write(line + "\r\n");
  mbrola_->Flush();
  mbrola_->Reset();
  EXPECT_TRUE(ReadAll(16000).empty());
}

TEST_F(BuiltinMbrolaTest, HandsOutSpeechBeforeAPauseWithoutWaitingForTheFlush) {
  // A second of speech followed by a pause is ready before the flush; the rest comes with it,
  // and the whole keeps its exact length.
  for (const char* line : {"_ 100", "a 600 50 210", "i 400 50 190", "_ 200", "a 300"}) {
    mbrola_->Write(std::string(line) + "\r\n");
  }
  const std::vector<int16_t> early = ReadAll(1000);
  EXPECT_EQ(early.size(), 1300u * 16);
  mbrola_->Flush();
  EXPECT_EQ(ReadAll(1000).size(), 300u * 16);
}

TEST_F(BuiltinMbrolaTest, ReportsMissingDiphonesAndBadLines) {
  // Without SetNoError the line is refused and the error stays until a reset.
  EXPECT_EQ(mbrola_->Write("s 50\r\n"), 0);
  EXPECT_LT(mbrola_->Write("s 50\r\n"), 0);
  EXPECT_NE(mbrola_->LastError(), 0);
  EXPECT_NE(mbrola_->LastErrorText().find("s-s"), std::string::npos) << mbrola_->LastErrorText();
  mbrola_->Reset();
  EXPECT_EQ(mbrola_->LastError(), 0);
  const std::string refused[] = {"q 50\r\n", "a\r\n", "a 100 50\r\n", "a -1\r\n",
                                 "a 100" + std::string(5000, ' ') + "50 200\r\n"};
  for (const std::string& line : refused) {
    mbrola_->Reset();
    EXPECT_LT(mbrola_->Write(line), 0) << line;
    EXPECT_NE(mbrola_->LastError(), 0) << line;
  }
  // With SetNoError(1) synthesis goes on: the missing pair is spoken as silence, the unknown
  // phone as a pause, and the length stays exact.
  mbrola_->Reset();
  mbrola_->SetNoError(1);
  const std::vector<int16_t> samples = Say({"a 100", "s 50", "s 50", "q 50", "a 100"});
  EXPECT_EQ(mbrola_->LastError(), 0);
  EXPECT_NE(mbrola_->LastErrorText().find("unknown"), std::string::npos);
  EXPECT_EQ(samples.size(), 350u * 16);
}

TEST_F(BuiltinMbrolaTest, PitchFollowsThePoints) {
  // A long a whose pitch goes from 150 to 300 Hz and back, and an i held at 250 Hz.
  const std::vector<int16_t> samples =
      Say({"_ 50", "a 600 0 150 50 300 100 150", "i 300 50 250", "_ 50"});
  struct Probe {
    double ms;
    double hz;
  };
  const Probe probes[] = {{50 + 150, 225}, {50 + 300, 300}, {50 + 450, 225}, {650 + 150, 250}};
  for (const Probe& p : probes) {
    const auto centre = static_cast<std::size_t>(p.ms * 16);
    const double hz = voicegen::ExcerptPitch(samples, centre - 240, centre + 240, {100, 500});
    EXPECT_NEAR(12 * std::log2(hz / p.hz), 0, 0.5) << "at " << p.ms << " ms: " << hz << " Hz";
  }
  // Without points the voice keeps its own pitch.
  const std::vector<int16_t> natural = Say({"a 300"});
  EXPECT_NEAR(voicegen::ExcerptPitch(natural, 1600, 3200, {100, 500}), 200, 2);
}

}  // namespace
}  // namespace cadencio::synth
