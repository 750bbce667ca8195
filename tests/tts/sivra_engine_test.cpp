// The engine: start-up steps and their errors, the voice lookup, speaking in 16000-byte
// pieces with a padded last piece, MBROLA errors, and the WAV file mode, with an in-process
// MBROLA for exact control and with the stand-in `mbrola` program for the whole road.
#include "tts/sivra_engine.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "support/scratch_dir.hpp"
#include "synth/builtin_mbrola.hpp"
#include "synth/mbrola_loader.hpp"
#include "synth/mbrola_program.hpp"

namespace cadencio::tts {
namespace {

using testing::ReadBytes;
using testing::ScratchDir;
using testing::WriteBytes;
using Lines = std::vector<std::string>;

const std::string kData = CADENCIO_SOURCE_DIR "/data/sivratts/";

class RecordingHost final : public SivraHost {
 public:
  void PlaySamples(std::span<const int16_t> samples) override {
    pieces.emplace_back(samples.begin(), samples.end());
    switches_while_playing.push_back(fast || cut);
  }
  bool WavBusy() override { return busy; }
  void StopWav() override { ++stops; }
  bool FastPlayback() const override { return fast; }
  void SetFastPlayback(bool on) override { fast = on; }
  bool CutSpeech() const override { return cut; }
  void SetCutSpeech(bool on) override { cut = on; }
  void MessageBox(const std::string& text) override { messages.push_back(text); }

  std::vector<std::vector<int16_t>> pieces;
  std::vector<bool> switches_while_playing;
  bool fast = true;
  bool cut = true;
  bool busy = true;
  int stops = 0;
  Lines messages;
};

// MBROLA in the test's hands: each phoneme line "name ms ..." makes ms x 16 samples of value
// ms, ready once flushed; Read hands out at most `chunk` samples per call.
class ScriptedMbrola final : public synth::Mbrola {
 public:
  explicit ScriptedMbrola(Lines& calls) : calls_(calls) {}
  int Init(const std::string& database) override {
    calls_.push_back("init " + database);
    return init_result;
  }
  void SetNoError(int no_error) override {
    calls_.push_back("noerror " + std::to_string(no_error));
  }
  void Reset() override {
    calls_.push_back("reset");
    samples_.clear();
    error_ = 0;
    flushed_ = false;
  }
  int Write(const std::string& line) override {
    calls_.push_back("write " + line.substr(0, line.size() - 2));
    EXPECT_TRUE(line.ends_with("\r\n"));
    if (++writes_ == fail_on_write) error_ = 1;
    char name[8] = {};
    int ms = 0;
    if (std::sscanf(line.c_str(), "%7s %d", name, &ms) == 2 && line[0] != ';') {
      samples_.insert(samples_.end(), static_cast<std::size_t>(ms) * 16, static_cast<int16_t>(ms));
    }
    return 0;
  }
  void Flush() override {
    calls_.push_back("flush");
    flushed_ = true;
  }
  int Read(int16_t* out, int capacity) override {
    if (fail_read) {
      fail_read = false;
      error_ = 1;
      return -1;
    }
    if (!flushed_) return 0;
    const int n = std::min({capacity, chunk, static_cast<int>(samples_.size())});
    std::copy_n(samples_.begin(), n, out);
    samples_.erase(samples_.begin(), samples_.begin() + n);
    return n;
  }
  int LastError() override { return error_; }
  std::string LastErrorText() override { return error_ ? "error" : ""; }
  void Close() override { calls_.push_back("close"); }

  int init_result = 0;
  int chunk = 3000;
  int fail_on_write = 0;
  bool fail_read = false;

 private:
  Lines& calls_;
  std::vector<int16_t> samples_;
  int writes_ = 0;
  int error_ = 0;
  bool flushed_ = false;
};

class SivraEngineTest : public ::testing::Test {
 protected:
  SivraEngineTest()
      : engine_(
            host_,
            [this]() -> std::unique_ptr<synth::Mbrola> {
              if (!mbrola_available_) return nullptr;
              auto mbrola = std::make_unique<ScriptedMbrola>(calls_);
              mbrola_ = mbrola.get();
              mbrola->init_result = init_result_;
              return mbrola;
            },
            [this](const std::string& name) -> std::optional<std::string> {
              located_.push_back(name);
              return registry_;
            }) {}

  bool Start(const std::string& prosody = kData + "portug.pro",
             const std::string& diphones = kData + "portug.dfn",
             const std::string& abbreviations = kData + "portug.abr",
             const std::string& rules = kData + "portug.nrl") {
    return engine_.SivraStart("br4", rules, kData + "portug.exc", abbreviations, prosody, diphones);
  }

  RecordingHost host_;
  Lines calls_;
  Lines located_;
  std::optional<std::string> registry_;
  bool mbrola_available_ = true;
  int init_result_ = 0;
  ScriptedMbrola* mbrola_ = nullptr;
  SivraEngine engine_;
  ScratchDir dir_;
};

TEST_F(SivraEngineTest, StartStepsAndErrorTexts) {
  WriteBytes(dir_ / "bad.pro", "[CHAVES]\n");
  const std::string missing = dir_ / "missing";
  struct Case {
    std::string name;
    bool available;
    int init;
    std::string prosody, diphones, abbreviations, rules;
    std::string error;
    bool mbrola_left;
  };
  const std::string pro = kData + "portug.pro";
  const std::string dfn = kData + "portug.dfn";
  const std::string abr = kData + "portug.abr";
  const std::string nrl = kData + "portug.nrl";
  const Case cases[] = {
      {"no mbrola", false, 0, pro, dfn, abr, nrl, "", false},
      {"voice not opened", true, -1, pro, dfn, abr, nrl, "", false},
      {"rules", true, 0, pro, dfn, abr, missing, "Erro na base de dados de portugu\xEAs", true},
      {"abbreviations", true, 0, pro, dfn, missing, nrl, "Erro no arquivo de abreviaturas", true},
      {"prosody", true, 0, dir_ / "bad.pro", dfn, abr, nrl,
       "Erro no arquivo de pros\xF3"
       "dia",
       true},
      {"diphones", true, 0, pro, missing, abr, nrl,
       "Erro no arquivo de pros\xF3"
       "dia",
       true},
  };
  for (const Case& c : cases) {
    mbrola_available_ = c.available;
    init_result_ = c.init;
    calls_.clear();
    host_.messages.clear();
    SivraEngine engine(
        host_,
        [this]() -> std::unique_ptr<synth::Mbrola> {
          if (!mbrola_available_) return nullptr;
          auto mbrola = std::make_unique<ScriptedMbrola>(calls_);
          mbrola->init_result = init_result_;
          return mbrola;
        },
        [](const std::string&) { return std::nullopt; });
    EXPECT_FALSE(engine.SivraStart("br4", c.rules, kData + "portug.exc", c.abbreviations, c.prosody,
                                   c.diphones))
        << c.name;
    EXPECT_EQ(engine.SivraError(), c.error) << c.name;
    engine.SivraClose();
    EXPECT_EQ(!calls_.empty() && calls_.back() == "close", c.mbrola_left) << c.name;
  }
  // The faulty prosody file was shown to the user.
  mbrola_available_ = true;
  init_result_ = 0;
  host_.messages.clear();
  EXPECT_FALSE(Start(dir_ / "bad.pro"));
  EXPECT_EQ(host_.messages, Lines{"Dura\xE7\xE3o dos difones errada ou ausente"});

  // An output file that cannot be created fails the start without an error text.
  SivraEngine engine(host_, [this]() { return std::make_unique<ScriptedMbrola>(calls_); });
  engine.SivraSetOutputFile(dir_ / "no-dir/out.wav");
  EXPECT_FALSE(engine.SivraStart("br4", kData + "portug.nrl", kData + "portug.exc",
                                 kData + "portug.abr", kData + "portug.pro", kData + "portug.dfn"));
  EXPECT_EQ(engine.SivraError(), "");
}

// The voice's entry replaces the database name; an entry without a file gives the engine's
// own directory; without an entry the name goes to MBROLA unchanged.
TEST_F(SivraEngineTest, VoiceLookup) {
  struct Case {
    std::optional<std::string> entry;
    std::string database;
    std::string init;
  };
  const Case cases[] = {{std::nullopt, "br4", "init br4"},
                        {std::nullopt, "", "init br4"},
                        {"/usr/share/mbrola/br4/br4", "br4", "init /usr/share/mbrola/br4/br4"}};
  for (const Case& c : cases) {
    registry_ = c.entry;
    calls_.clear();
    ASSERT_TRUE(engine_.SivraStart(c.database, kData + "portug.nrl", kData + "portug.exc",
                                   kData + "portug.abr", kData + "portug.pro",
                                   kData + "portug.dfn"));
    const auto init = std::find_if(calls_.begin(), calls_.end(), [](const std::string& call) {
      return call.starts_with("init");
    });
    ASSERT_LT(init + 1, calls_.end());
    EXPECT_EQ(*init, c.init);
    EXPECT_EQ(*(init + 1), "noerror 1");
    EXPECT_EQ(located_.back(), "br4");
  }
  registry_ = "";
  calls_.clear();
  ASSERT_TRUE(Start());
  const std::string init = calls_.at(1);  // after the close of the previous start
  EXPECT_TRUE(init.starts_with("init /") && init.ends_with("sivratts/br4")) << init;
}

TEST_F(SivraEngineTest, SpeaksInPiecesWithTheSwitchesOff) {
  ASSERT_TRUE(Start());
  calls_.clear();
  EXPECT_TRUE(engine_.SivraSpeak(" \t\r\n"));  // blanks only: MBROLA is not touched
  EXPECT_TRUE(calls_.empty());

  EXPECT_TRUE(engine_.SivraSpeak("Ela saiu de casa."));
  const Lines& lines = engine_.LastPhonemeLines();
  ASSERT_FALSE(lines.empty());
  // Every line but the inner empty ones is written, then the flush.
  Lines written;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!lines[i].empty() || i + 1 == lines.size()) written.push_back("write " + lines[i]);
  }
  Lines expected = {"reset"};
  expected.insert(expected.end(), written.begin(), written.end());
  expected.push_back("flush");
  EXPECT_EQ(calls_, expected);

  // Reads of 3000 samples are handed over as soon as the next one would reach 8000 samples
  // (16000 bytes): pieces of 6000 samples, and what is left at the end.
  std::size_t total = 0;
  ASSERT_GE(host_.pieces.size(), 2u);
  for (std::size_t i = 0; i < host_.pieces.size(); ++i) {
    if (i + 1 < host_.pieces.size()) {
      EXPECT_EQ(host_.pieces[i].size(), 6000u) << i;
    }
    total += host_.pieces[i].size();
  }
  EXPECT_FALSE(host_.switches_while_playing[0]);
  EXPECT_TRUE(host_.fast && host_.cut);  // restored
  std::size_t expected_samples = 0;
  for (const std::string& line : lines) {
    char name[8] = {};
    int ms = 0;
    if (line[0] != ';' && std::sscanf(line.c_str(), "%7s %d", name, &ms) == 2) {
      expected_samples += static_cast<std::size_t>(ms) * 16;
    }
  }
  EXPECT_EQ(total, expected_samples);
}

TEST_F(SivraEngineTest, ShortLastPieceIsPaddedTo128Samples) {
  // 4 ms of sound: 64 samples, 128 bytes.
  WriteBytes(dir_ / "tiny.pro",
             "[DURA\xC7\xC3O]\n__=0\n_=0\n_.=0\na=4\n@=4\n[CHAVES]\n[PROS\xD3"
             "DIA]\n");
  ASSERT_TRUE(Start(dir_ / "tiny.pro"));
  host_.pieces.clear();
  EXPECT_TRUE(engine_.SivraSpeak("a"));
  ASSERT_EQ(host_.pieces.size(), 1u);
  const std::vector<int16_t>& piece = host_.pieces[0];
  ASSERT_EQ(piece.size(), 128u);
  // The 64 samples of the one 4 ms phoneme, then silence.
  EXPECT_EQ(std::count(piece.begin(), piece.begin() + 64, 4), 64);
  EXPECT_EQ(std::count(piece.begin() + 64, piece.end(), 0), 64);
}

TEST_F(SivraEngineTest, MbrolaErrorsResetAndGoOn) {
  ASSERT_TRUE(Start());
  mbrola_->fail_on_write = 3;
  calls_.clear();
  EXPECT_FALSE(engine_.SivraSpeak("Ela saiu."));
  // The reset follows the failing write, and the lines after it are still written.
  const auto third = std::find_if(
      calls_.begin() + 1, calls_.end(),
      [n = 0](const std::string& c) mutable { return c.starts_with("write") && ++n == 3; });
  ASSERT_NE(third, calls_.end());
  EXPECT_EQ(*(third + 1), "reset");
  EXPECT_EQ(calls_.back(), "flush");
  EXPECT_TRUE(engine_.SivraSpeak("Ela saiu."));  // the next text is fine again

  mbrola_->fail_read = true;
  EXPECT_FALSE(engine_.SivraSpeak("Ela saiu."));
  EXPECT_TRUE(engine_.SivraSpeak(""));  // an empty text is not spoken
}

TEST_F(SivraEngineTest, BusyAndStopFollowThePlayback) {
  ASSERT_TRUE(Start());
  host_.busy = true;
  EXPECT_TRUE(engine_.SivraBusy());
  host_.busy = false;
  EXPECT_FALSE(engine_.SivraBusy());
  engine_.SivraStop();
  EXPECT_EQ(host_.stops, 1);
}

// The engine over the stand-in `mbrola` program, writing into WAV files.
class SivraEngineFile : public ::testing::Test {
 protected:
  SivraEngineFile() { WriteBytes(dir / "voice", "FAKE-MBROLA-VOICE"); }
  bool Start(const std::string& out) {
    engine.SivraSetOutputFile(out);
    return engine.SivraStart("", kData + "portug.nrl", kData + "portug.exc", kData + "portug.abr",
                             kData + "portug.pro", kData + "portug.dfn");
  }
  ScratchDir dir;
  RecordingHost host;
  SivraEngine engine{host, [] { return std::make_unique<synth::MbrolaProgram>(FAKE_MBROLA); },
                     [this](const std::string&) { return dir / "voice"; }};
};

// The whole road with the stand-in `mbrola` program, into a WAV file.
TEST_F(SivraEngineFile, WritesAValidWaveFileWithMatchingSizes) {
  const std::string out = dir / "out.wav";
  ASSERT_TRUE(Start(out)) << engine.SivraError();
  engine.SivraSetFactors(1.0, 0.5);
  std::vector<int16_t> expected;
  for (const char* text : {"O metr\xF4nomo marca 120 batidas.", "Quer ouvir de novo?"}) {
    ASSERT_TRUE(engine.SivraSpeak(text)) << text;
    for (const std::string& line : engine.LastPhonemeLines()) {
      char name[8] = {};
      int ms = 0;
      if (!line.empty() && line[0] != ';' && std::sscanf(line.c_str(), "%7s %d", name, &ms) == 2) {
        expected.insert(expected.end(), static_cast<std::size_t>(ms) * 16,
                        static_cast<int16_t>(ms));
      }
    }
  }
  host.busy = true;
  EXPECT_FALSE(engine.SivraBusy());
  engine.SivraStop();
  EXPECT_EQ(host.stops, 0);
  EXPECT_TRUE(host.pieces.empty());
  engine.SivraClose();

  const std::string wav = ReadBytes(out);
  ASSERT_EQ(wav.size(), 44 + expected.size() * 2);
  uint32_t riff = 0;
  uint32_t data = 0;
  uint32_t rate = 0;
  std::memcpy(&riff, wav.data() + 4, 4);
  std::memcpy(&rate, wav.data() + 24, 4);
  std::memcpy(&data, wav.data() + 40, 4);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(riff, wav.size() - 8);
  EXPECT_EQ(data, wav.size() - 44);
  EXPECT_EQ(rate, 16000u);
  EXPECT_EQ(std::memcmp(wav.data() + 44, expected.data(), expected.size() * 2), 0);
}

// Starting again without a close finishes the file of the first start.
TEST_F(SivraEngineFile, RestartFinishesTheFirstFile) {
  ASSERT_TRUE(Start(dir / "one.wav"));
  ASSERT_TRUE(engine.SivraSpeak("Sim."));
  ASSERT_TRUE(Start(dir / "two.wav"));
  const std::string wav = ReadBytes(dir / "one.wav");
  ASSERT_GT(wav.size(), 44u);
  uint32_t data = 0;
  std::memcpy(&data, wav.data() + 40, 4);
  EXPECT_EQ(data, wav.size() - 44);
}

// The usual loading: the `mbrola` program for a voice outside the program's data, when the
// program is in PATH; else the built-in synthesizer, when there is one.
TEST(DefaultMbrola, ProgramForInstalledVoicesElseBuiltIn) {
  ScratchDir bin;
  ScratchDir voices;
  ScratchDir data_root;
  std::filesystem::create_symlink(FAKE_MBROLA, bin / "mbrola");
  WriteBytes(voices / "br4", "FAKE-MBROLA-VOICE");
  WriteBytes(data_root / "br4", "FAKE-MBROLA-VOICE");
  testing::ScopedEnv root("SONAUD_ROOT", data_root.path());
  EXPECT_TRUE(synth::IsMbrolaVoiceFile(voices / "br4"));
  EXPECT_FALSE(synth::IsMbrolaVoiceFile(data_root / "br4"));  // the program's own voice
  EXPECT_FALSE(synth::IsMbrolaVoiceFile(voices / "missing"));

  const bool builtin = synth::OpenBuiltinMbrola() != nullptr;
  {
    testing::ScopedEnv path("PATH", bin.path());
    const std::unique_ptr<synth::Mbrola> mbrola = synth::LoadMbrola();
    ASSERT_NE(mbrola, nullptr);
    EXPECT_EQ(mbrola->Init(voices / "br4"), 0);
    mbrola->Reset();
    mbrola->Write("a 10\r\n");
    mbrola->Flush();
    int16_t samples[400];
    EXPECT_EQ(mbrola->Read(samples, 400), 160);  // the stand-in program spoke
    if (!builtin) {
      EXPECT_LT(synth::LoadMbrola()->Init(data_root / "br4"), 0);
    }
  }
  testing::ScopedEnv path("PATH", voices.path());
  EXPECT_EQ(synth::LoadMbrola() != nullptr, builtin);
}

}  // namespace
}  // namespace cadencio::tts
