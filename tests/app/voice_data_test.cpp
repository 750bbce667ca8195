// The generated sound data of the build's data root: every recording the default configuration
// can ask for exists and is a well-formed WAVE file, 8-bit mono at 11025 Hz with the plain
// 44-byte header wherever the player skips the header unread; the telephone tones carry their
// two frequencies; the spoken recordings are trimmed and share one level.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "app/message_catalogue.hpp"
#include "audio/wav_loader.hpp"
#include "base/windows1252.hpp"
#include "console/mixer_tone_player.hpp"
#include "files/paths.hpp"
#include "files/profile_file.hpp"
#include "speech/beep_and_click.hpp"
#include "speech/number_words.hpp"

namespace cadencio::app {
namespace {

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string ReadText(const std::string& path) {
  auto bytes = ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

uint32_t Le32(const std::vector<uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t{b[at + 3]} << 24);
}

uint16_t Le16(const std::vector<uint8_t>& b, std::size_t at) {
  return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

bool TagAt(const std::vector<uint8_t>& b, std::size_t at, const char* tag) {
  return std::equal(tag, tag + 4, b.begin() + static_cast<std::ptrdiff_t>(at));
}

std::string DefaultConfig() {
  return CADENCIO_SOURCE_DIR "/data/AUDIRA.INI";
}

// A directory of the default configuration, as the program finds it on Linux.
std::string ConfiguredDir(const char* section, const char* key, const char* fallback) {
  std::string dir = files::ProfileFile::ReadString(DefaultConfig(), section, key, fallback);
  if (!dir.empty() && dir.back() != '\\') dir += '\\';
  return dir;
}

std::string LetterPath(const std::string& name) {
  return files::MapWindowsPath(
      ConfiguredDir("TRADUTOR", "DIRLETRAS", "c:\\sonaud\\som\\letras\\") + name + ".wav",
      CADENCIO_DATA_ROOT);
}

std::string PromptPath(const std::string& key) {
  return files::MapWindowsPath(ConfiguredDir("CADENCIO", "DIRCADENCIO", "") + key + ".wav",
                               CADENCIO_DATA_ROOT);
}

// The samples of a letters-directory recording, checked to be 8-bit unsigned mono PCM at
// 11025 Hz with the plain 44-byte header whose sizes match the file.
::testing::AssertionResult ReadLetterRecording(const std::string& name,
                                               std::vector<uint8_t>* samples = nullptr) {
  auto fail = [&](const std::string& why) {
    return ::testing::AssertionFailure() << LetterPath(name) << ": " << why;
  };
  auto b = ReadBytes(LetterPath(name));
  if (b.empty()) return fail("missing or empty");
  if (b.size() <= 44) return fail("no samples");
  if (!TagAt(b, 0, "RIFF") || !TagAt(b, 8, "WAVE") || !TagAt(b, 12, "fmt ") ||
      !TagAt(b, 36, "data")) {
    return fail("not a plain 44-byte RIFF/WAVE header");
  }
  if (Le32(b, 16) != 16 || Le16(b, 20) != 1) return fail("not a 16-byte PCM format chunk");
  if (Le16(b, 22) != 1 || Le32(b, 24) != 11025 || Le16(b, 34) != 8 || Le16(b, 32) != 1 ||
      Le32(b, 28) != 11025) {
    return fail("not 8-bit mono at 11025 Hz");
  }
  if (Le32(b, 40) != b.size() - 44 || Le32(b, 4) != b.size() - 8) {
    return fail("header sizes do not match the file");
  }
  if (samples) samples->assign(b.begin() + 44, b.end());
  return ::testing::AssertionSuccess();
}

// Every recording name the number reader can ask for, for the numbers first..last, with the
// last word masculine or feminine. The words are gathered first: there are few of them.
std::set<std::string> NumberRecordingNames(uint64_t first, uint64_t last) {
  std::unordered_set<std::string> words;
  std::string word;
  for (uint64_t n = first; n <= last; ++n) {
    for (char c : speech::NumberWords(n) + ' ') {
      if (c != ' ') {
        word += c;
      } else if (!word.empty()) {
        words.insert(word);
        word.clear();
      }
    }
  }
  std::set<std::string> names;
  for (const auto& w : words) {
    names.insert(speech::WordRecordingName(w, false));
    names.insert(speech::WordRecordingName(w, true));
  }
  return names;
}

TEST(LetterRecordings, EveryNumberWordOfZeroTo999999Exists) {
  auto names = NumberRecordingNames(0, 999999);
  EXPECT_TRUE(names.count("_quatroc") && names.count("_dezeset") && names.count("_uma"));
  for (const auto& name : names) EXPECT_TRUE(ReadLetterRecording(name));
}

TEST(LetterRecordings, ScaleWordsOfLargeNumbersExist) {
  std::set<std::string> names;
  for (uint64_t n :
       {1000000ULL, 2000000ULL, 1000000000ULL, 2000000000ULL, 1000000000000ULL, 2000000000000ULL}) {
    auto more = NumberRecordingNames(n, n);
    names.insert(more.begin(), more.end());
  }
  for (const char* scale : {"_milhao", "_milhoes", "_bilhao", "_bilhoes", "_trilhao"}) {
    EXPECT_TRUE(names.count(scale)) << scale;
  }
  for (const auto& name : names) EXPECT_TRUE(ReadLetterRecording(name));
}

TEST(LetterRecordings, TimeAndDateWordsExist) {
  const char* weekdays[] = {"Domingo", "Segunda", "Terca", "Quarta", "Quinta", "Sexta", "Sabado"};
  const char* months[] = {"Janeiro", "Fevereiro", "Marco",    "Abril",   "Maio",     "Junho",
                          "Julho",   "Agosto",    "Setembro", "Outubro", "Novembro", "Dezembro"};
  for (const char* day : weekdays) EXPECT_TRUE(ReadLetterRecording(std::string("_") + day));
  for (const char* month : months) {
    EXPECT_TRUE(ReadLetterRecording('_' + std::string(month).substr(0, 7)));
  }
  for (const char* word : {"_primeir", "_de", "_e", "_hora", "_horas", "_minuto", "_minutos"}) {
    EXPECT_TRUE(ReadLetterRecording(word));
  }
}

TEST(LetterRecordings, EveryCharacterWithANameHasOne) {
  // The keys echoed as single bytes: Backspace, Tab, Ctrl+Enter, Enter, Esc, Ctrl+Backspace.
  std::vector<int> codes = {8, 9, 10, 13, 27, 127};
  for (int code = 32; code <= 255; ++code) {
    if (code != 127 && base::Windows1252ToUnicode(code) != 0) codes.push_back(code);
  }
  for (int code : codes) EXPECT_TRUE(ReadLetterRecording('_' + std::to_string(code)));
}

TEST(LetterRecordings, SpeechAndEditorPromptsExist) {
  for (const char* name : {"_zero", "_MENOS", "_DEL", "_APFCPO", "_APICPO", "_CPOAPA", "_FALACI",
                           "_FALDLG", "_VELOC"}) {
    EXPECT_TRUE(ReadLetterRecording(name));
  }
  for (int code = 'A'; code <= 'z'; ++code) {
    if (code > 'Z' && code < 'a') continue;
    EXPECT_TRUE(ReadLetterRecording("_FON" + std::to_string(code)));
  }
}

// Signal power at one frequency (Goertzel), samples centred on 128.
double PowerAt(const std::vector<uint8_t>& samples, double frequency) {
  const double w = 2 * std::acos(-1.0) * frequency / 11025;
  double s1 = 0, s2 = 0;
  for (uint8_t b : samples) {
    double s = (b - 128.0) + 2 * std::cos(w) * s1 - s2;
    s2 = s1;
    s1 = s;
  }
  return s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2;
}

TEST(LetterRecordings, TelephoneTonesCarryTheirRowAndColumnFrequencies) {
  struct Case {
    const char* file;
    int row;
    int column;
  };
  const Case cases[] = {
      {"dtmf_1", 697, 1209}, {"dtmf_2", 697, 1336}, {"dtmf_3", 697, 1477}, {"dtmf_4", 770, 1209},
      {"dtmf_5", 770, 1336}, {"dtmf_6", 770, 1477}, {"dtmf_7", 852, 1209}, {"dtmf_8", 852, 1336},
      {"dtmf_9", 852, 1477}, {"dtmf_X", 941, 1209}, {"dtmf_0", 941, 1336}, {"dtmf_#", 941, 1477},
  };
  const int all[] = {697, 770, 852, 941, 1209, 1336, 1477, 1633};
  for (const auto& c : cases) {
    std::vector<uint8_t> samples;
    ASSERT_TRUE(ReadLetterRecording(c.file, &samples));
    EXPECT_GE(samples.size(), 11025u / 20) << c.file << " is shorter than 50 ms";
    double row = PowerAt(samples, c.row);
    double column = PowerAt(samples, c.column);
    for (int f : all) {
      if (f == c.row || f == c.column) continue;
      EXPECT_LT(PowerAt(samples, f) * 100, std::min(row, column)) << c.file << " at " << f;
    }
  }
}

// Names of the spoken recordings listed for the letters directory.
std::vector<std::string> ListedLetterRecordings() {
  std::ifstream in(CADENCIO_SOURCE_DIR "/data/voice-words.txt");
  std::vector<std::string> names;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    names.push_back(line.substr(0, line.find('|')));
  }
  return names;
}

// RMS of the loudest 100 ms of 8-bit samples.
double LoudestLevel(const std::vector<uint8_t>& samples) {
  const std::size_t window = std::min<std::size_t>(1102, samples.size());
  double best = 0;
  for (std::size_t start = 0; start + window <= samples.size(); start += 55) {
    double sum = 0;
    for (std::size_t i = start; i < start + window; ++i)
      sum += (samples[i] - 128.0) * (samples[i] - 128.0);
    best = std::max(best, std::sqrt(sum / window));
  }
  return best;
}

TEST(LetterRecordings, SpokenRecordingsAreTrimmedAndShareOneLevel) {
  auto names = ListedLetterRecordings();
  ASSERT_GT(names.size(), 300u);
  std::vector<double> levels;
  for (const auto& name : names) {
    std::vector<uint8_t> samples;
    ASSERT_TRUE(ReadLetterRecording(name, &samples));
    auto sound = [](uint8_t b) { return std::abs(b - 128) > 1; };
    auto first = std::find_if(samples.begin(), samples.end(), sound);
    ASSERT_NE(first, samples.end()) << name << " is silent";
    auto last = std::find_if(samples.rbegin(), samples.rend(), sound);
    // At most 10 ms of silence before the sound and 30 ms after it.
    EXPECT_LE(first - samples.begin(), 110) << name;
    EXPECT_LE(last - samples.rbegin(), 330) << name;
    levels.push_back(LoudestLevel(samples));
  }
  // The loudest parts of any two recordings lie within 6 dB of each other.
  auto [low, high] = std::minmax_element(levels.begin(), levels.end());
  EXPECT_LT(*high, 2 * *low);
}

// The keys of the built-in catalogue, as written in its source.
std::vector<std::string> CatalogueKeys() {
  std::string source = ReadText(CADENCIO_SOURCE_DIR "/src/app/message_catalogue.cpp");
  std::regex entry("\\{\"([A-Z][A-Z0-9]*)\",");
  std::vector<std::string> keys;
  for (std::sregex_iterator it(source.begin(), source.end(), entry), end; it != end; ++it) {
    keys.push_back((*it)[1]);
  }
  return keys;
}

::testing::AssertionResult IsPlayablePrompt(const std::string& key) {
  auto image = ReadBytes(PromptPath(key));
  if (image.empty()) return ::testing::AssertionFailure() << PromptPath(key) << " is missing";
  auto pcm = audio::ParsePcmWav(image);
  if (!pcm || pcm->bytes.empty()) {
    return ::testing::AssertionFailure() << PromptPath(key) << " is no PCM sound";
  }
  if (pcm->format.channels != 1) return ::testing::AssertionFailure() << key << " is not mono";
  return ::testing::AssertionSuccess();
}

TEST(PromptRecordings, EveryCatalogueMessageHasARecording) {
  auto keys = CatalogueKeys();
  ASSERT_GT(keys.size(), 50u);
  for (const auto& key : keys) {
    EXPECT_NE(MessageText(key).rfind("--> ", 0), 0u) << key << " read from the source";
    EXPECT_TRUE(IsPlayablePrompt(key));
  }
}

TEST(PromptRecordings, TuningForkRepeatPromptsHaveRecordings) {
  EXPECT_TRUE(IsPlayablePrompt("CAREP"));
  EXPECT_TRUE(IsPlayablePrompt("CANAOREP"));
}

TEST(PromptRecordings, ListedTextsAreTheCatalogueTexts) {
  std::ifstream in(CADENCIO_SOURCE_DIR "/data/prompts.txt");
  std::string line;
  int listed = 0;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    auto bar = line.find('|');
    auto second = line.find('|', bar + 1);
    ASSERT_NE(second, std::string::npos) << line;
    std::string key = line.substr(0, bar);
    std::string text = line.substr(bar + 1, second - bar - 1);
    if (text.empty()) continue;  // a recording-only prompt
    EXPECT_EQ(text, base::Windows1252ToUtf8(MessageText(key))) << key;
    ++listed;
  }
  EXPECT_EQ(listed, static_cast<int>(CatalogueKeys().size()));
}

// The mean of 8-bit or 16-bit PCM as a fraction of full scale.
double MeanOfFullScale(const audio::PcmData& pcm) {
  double sum = 0;
  std::size_t count = 0;
  if (pcm.format.bits == 8) {
    for (uint8_t b : pcm.bytes) sum += (b - 128) / 128.0, ++count;
  } else {
    for (std::size_t i = 0; i + 1 < pcm.bytes.size(); i += 2, ++count) {
      sum += static_cast<int16_t>(Le16(pcm.bytes, i)) / 32768.0;
    }
  }
  return sum / static_cast<double>(std::max<std::size_t>(count, 1));
}

// Every sound the program makes or ships swings about the centre: a sound lying to one side
// steps the speaker off its rest and thumps. The beep and click the speech front end builds,
// the braille-mode tones and the window's beep, and every WAVE file of the data root (beat
// sounds, effects, tuning notes, prompts, letters).
TEST(Sounds, EverySoundIsCentredOnZero) {
  const formats::PcmFormat kMade{1, 11025, 8};
  std::vector<std::pair<std::string, audio::PcmData>> sounds = {
      {"beep", {kMade, speech::BeepSamples()}}, {"click", {kMade, speech::ClickSamples()}}};
  for (uint16_t hz : {200, 440, 800, 1000, 1500, 2000, 3000}) {
    sounds.push_back(
        {"tone " + std::to_string(hz) + " Hz", {kMade, console::BuildToneSamples(hz)}});
  }
  int files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(CADENCIO_DATA_ROOT)) {
    std::string name = entry.path().filename().string();
    std::transform(name.begin(), name.end(), name.begin(), ::tolower);
    if (!entry.is_regular_file() || name.size() < 4 || name.substr(name.size() - 4) != ".wav") {
      continue;
    }
    auto pcm = audio::ParsePcmWav(ReadBytes(entry.path().string()));
    ASSERT_TRUE(pcm && (pcm->format.bits == 8 || pcm->format.bits == 16) && !pcm->bytes.empty())
        << entry.path();
    sounds.push_back({entry.path().string(), std::move(*pcm)});
    ++files;
  }
  EXPECT_GT(files, 400);  // the data root was generated
  for (const auto& [name, pcm] : sounds) {
    ASSERT_FALSE(pcm.bytes.empty()) << name;
    const double mean = MeanOfFullScale(pcm);
    EXPECT_LE(std::abs(mean), 0.01) << name << ": mean " << mean << " of full scale";
  }
}

}  // namespace
}  // namespace cadencio::app
