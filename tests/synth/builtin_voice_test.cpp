// The built-in voice that the build makes from espeak-ng, spoken through the synthesizer: on ten
// Portuguese utterances the durations are exact, the pitch lies within half a semitone of the
// points, and no join between two diphones stands out as a click.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "lib/pitch_analysis.hpp"
#include "synth/builtin_mbrola.hpp"
#include "synth/phoneme_line.hpp"
#include "synth/psola.hpp"

namespace cadencio::synth {
namespace {

// casa, marca, bom dia, tempo (two points in a line), sino, luz (low), felizes, rato, pão, chá
// (rising), written as the TTS writes them.
const std::vector<std::vector<std::string>> kUtterances = {
    {"_ 100", "k 80", "a 145 50 230", "z 130", "a 145 50 200", "_ 100"},
    {"_ 80", "m 70", "a 130 50 210", "r2 60", "k 80", "@ 120 50 180", "_ 80"},
    {"_ 80", "b 60", "on 150 50 220", "d 60", "i 140 50 260", "@ 110 50 190", "_ 80"},
    {"_ 80", "t 70", "e 120 20 200 80 240", "m 60", "p 80", "u 120 50 190", "_ 80"},
    {"_ 80", "s 90", "i 130 50 300", "n 60", "u 120 50 220", "_ 80"},
    {"_ 80", "l 60", "u 150 50 150", "s2 90", "_ 80"},
    {"_ 80", "f 90", "e 100 50 230", "l 60", "i 130 50 250", "z 70", "i 110 50 200", "s2 80",
     "_ 80"},
    {"_ 80", "rr 90", "a 140 50 230", "t 80", "u 120 50 180", "_ 80"},
    {"_ 80", "p 80", "an 160 50 210", "w 70", "_ 80"},
    {"_ 80", "x 100", "a 200 25 180 75 260", "_ 80"},
};

class BuiltinVoiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string path = std::string(CADENCIO_DATA_ROOT) + "/sivratts/br4.cdv";
    ASSERT_EQ(mbrola_->Init(path), 0) << mbrola_->LastErrorText();
    std::optional<DiphoneVoice> voice = LoadVoiceFile(path);
    ASSERT_TRUE(voice);
    voice_ = std::move(*voice);
  }

  std::vector<int16_t> Say(const std::vector<std::string>& lines) {
    mbrola_->Reset();
    for (const std::string& line : lines) EXPECT_EQ(mbrola_->Write(line + "\r\n"), 0) << line;
    mbrola_->Flush();
    std::vector<int16_t> out(16000);
    std::vector<int16_t> all;
    for (int n; (n = mbrola_->Read(out.data(), 16000)) > 0;)
      all.insert(all.end(), out.begin(), out.begin() + n);
    return all;
  }

  std::vector<SynthPhone> Phones(const std::vector<std::string>& lines) {
    std::vector<SynthPhone> phones;
    std::vector<double> ms;
    for (const std::string& line : lines) {
      PhoneLine p = ParsePhonemeLine(line).phone;
      phones.push_back({voice_.PhoneIndex(p.name), 0, p.points});
      ms.push_back(p.duration_ms);
    }
    std::vector<int64_t> counts = PhoneSampleCounts(ms);
    for (std::size_t i = 0; i < phones.size(); ++i) phones[i].samples = counts[i];
    return phones;
  }

  std::unique_ptr<synth::Mbrola> mbrola_ = OpenBuiltinMbrola();
  DiphoneVoice voice_;
};

TEST_F(BuiltinVoiceTest, DurationsAndPitchFollowTheLines) {
  for (const auto& lines : kUtterances) {
    const std::vector<int16_t> samples = Say(lines);
    const std::vector<SynthPhone> phones = Phones(lines);
    int64_t total = 0;
    for (const SynthPhone& p : phones) total += p.samples;
    ASSERT_EQ(static_cast<int64_t>(samples.size()), total) << lines[1];
    // Each point, measured over 30 ms around it inside its vowel.
    int64_t at = 0;
    for (std::size_t i = 0; i < phones.size(); ++i) {
      for (const PitchPoint& p : phones[i].points) {
        const int64_t centre = at + std::llround(phones[i].samples * p.percent / 100);
        const int64_t from = std::max(at, centre - 240),
                      to = std::min(at + phones[i].samples, from + 480);
        const double hz =
            voicegen::ExcerptPitch(samples, static_cast<std::size_t>(to - 480),
                                   static_cast<std::size_t>(to), {p.hz / 1.6, p.hz * 1.6});
        EXPECT_NEAR(12 * std::log2(hz / p.hz), 0, 0.5)
            << lines[i] << " in the utterance of " << lines[1] << ": " << hz << " Hz";
      }
      at += phones[i].samples;
    }
  }
}

// Energy of the signal's first difference (its high frequencies) in 2 ms around `at`.
double EdgeEnergy(const std::vector<int16_t>& x, int64_t at) {
  double sum = 0;
  for (int64_t n = std::max<int64_t>(1, at - 16); n < std::min<int64_t>(x.size(), at + 16); ++n) {
    const double d = double(x[n]) - x[n - 1];
    sum += d * d;
  }
  return sum / 32 + 1;
}

TEST_F(BuiltinVoiceTest, JoinsDoNotStandOut) {
  double worst = -100;
  for (const auto& lines : kUtterances) {
    const std::vector<int16_t> samples = Say(lines);
    for (int64_t join : JoinPositions(voice_, Phones(lines), voice_.PhoneIndex("_"))) {
      // Against the loudest of the 2 ms windows 3 to 9 ms either side.
      double around = 0;
      for (int64_t d : {48, 80, 112, 144}) {
        around = std::max({around, EdgeEnergy(samples, join - d), EdgeEnergy(samples, join + d)});
      }
      const double db = 10 * std::log10(EdgeEnergy(samples, join) / around);
      worst = std::max(worst, db);
      EXPECT_LT(db, 6) << "join at sample " << join << " of the utterance of " << lines[1];
    }
  }
  std::printf("loudest join against its surroundings: %.1f dB\n", worst);
}

// Highest normalised autocorrelation of x[from, to) at lags of 3.5 to 6 ms, about one frame
// spacing of the noise (the voice's natural period).
double PeriodicityNearFrameRate(const std::vector<int16_t>& x, std::size_t from, std::size_t to) {
  double best = 0;
  for (std::size_t lag = 56; lag <= 96; ++lag) {
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = from; i + lag < to; ++i) {
      ab += double(x[i]) * x[i + lag];
      aa += double(x[i]) * x[i];
      bb += double(x[i + lag]) * x[i + lag];
    }
    best = std::max(best, ab / std::sqrt(aa * bb + 1));
  }
  return best;
}

double Rms(const std::vector<int16_t>& x, std::size_t from, std::size_t to) {
  double sum = 0;
  for (std::size_t i = from; i < to; ++i) sum += double(x[i]) * x[i];
  return std::sqrt(sum / static_cast<double>(to - from));
}

TEST_F(BuiltinVoiceTest, StretchedFricativesStayNoise) {
  // An s or ch twice as long as the voice's own repeats frames of noise; repeated as they are,
  // they buzz at the frame rate. The middle half of the fricative is measured.
  for (const char* phone : {"s", "x"}) {
    double plain_rms = 0;
    for (int ms : {80, 200}) {
      const std::vector<int16_t> x =
          Say({"_ 100", "a 100 50 220", std::string(phone) + " " + std::to_string(ms),
               "a 100 50 220", "_ 100"});
      const std::size_t from = 16 * (200 + ms / 4), to = 16 * (200 + ms * 3 / 4);
      EXPECT_LT(PeriodicityNearFrameRate(x, from, to), 0.3) << phone << " of " << ms << " ms";
      if (plain_rms == 0) plain_rms = Rms(x, from, to);
      EXPECT_NEAR(20 * std::log10(Rms(x, from, to) / plain_rms), 0, 1.5)
          << phone << " of " << ms << " ms keeps its level";
    }
  }
}

}  // namespace
}  // namespace cadencio::synth
