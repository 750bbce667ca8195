// The uttsSivra module: start-up, speaking through MBROLA into the playback or a WAV file,
// and closing with the WAV sizes set.
#include "tts/sivra_engine.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "files/paths.hpp"
#include "synth/mbrola_voices.hpp"
#include "tts/sivra_pipeline.hpp"
#include "tts/tts_text.hpp"

namespace cadencio::tts {

namespace {

constexpr std::size_t kHeaderBytes = 44;
constexpr const char* kDefaultDatabase = "br4";
constexpr const char* kFallbackDatabase = "c:\\sonaud\\sivratts\\br4";
constexpr const char* kOutputError =
    "Arquivo de sa\xED"
    "da n\xE3o pode ser criado";

void PutLe(uint8_t* at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string OrDefault(const std::string& value, const char* fallback) {
  return value.empty() ? std::string(fallback) : value;
}

}  // namespace

void FillWaveHeader(std::span<uint8_t, 44> header, uint32_t sample_rate, uint16_t bits,
                    uint16_t channels, uint32_t data_size) {
  uint8_t* h = header.data();
  const uint32_t block_align = channels * (bits / 8u);
  std::memcpy(h, "RIFF", 4);
  PutLe(h + 4, data_size + 36, 4);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  PutLe(h + 16, 16, 4);
  PutLe(h + 20, 1, 2);
  PutLe(h + 22, channels, 2);
  PutLe(h + 24, sample_rate, 4);
  PutLe(h + 28, block_align * sample_rate, 4);
  PutLe(h + 32, block_align, 2);
  PutLe(h + 34, bits, 2);
  std::memcpy(h + 36, "data", 4);
  PutLe(h + 40, data_size, 4);
}

struct SivraState {
  std::unique_ptr<synth::Mbrola> mbrola;
  std::string output_name;  // for the next start
  std::string open_name;    // of the file being written
  File output;
  bool file_mode = false;
  double pitch_factor = 1.0;
  double duration_factor = 1.0;
  std::vector<int16_t> read_buffer = std::vector<int16_t>(kSivraReadSamples);
  // The WAVE header directly followed by the pending sample bytes: one image to play.
  std::vector<uint8_t> image = std::vector<uint8_t>(kHeaderBytes + 2 * kSivraReadSamples);
  SivraPipeline pipeline;
  std::vector<std::string> last_lines;
};

SivraEngine::SivraEngine(SivraHost& host, MbrolaLoader loader, VoiceLocator locator)
    : host_(host),
      loader_(std::move(loader)),
      locator_(std::move(locator)),
      state_(std::make_unique<SivraState>()) {
  if (!locator_) {
    locator_ = [](const std::string& database) { return synth::FindMbrolaVoice(database); };
  }
}

SivraEngine::~SivraEngine() {
  if (state_->mbrola || state_->output) SivraClose();
}

void SivraEngine::SivraSetOutputFile(const std::string& path) {
  state_->output_name = path;
}

bool SivraEngine::SivraStart(const std::string& database, const std::string& rules,
                             const std::string& exceptions, const std::string& abbreviations,
                             const std::string& prosody, const std::string& diphones) {
  SivraState& s = *state_;
  // A start without a close loads everything again.
  if (s.mbrola) s.mbrola->Close();
  FinishOutputFile();
  // 1. Load MBROLA.
  s.mbrola = loader_();
  if (!s.mbrola) return false;
  // 2-4. Defaults; the voice's entry in the registry's stand-in replaces the name, and an
  // entry without a file gives the engine's own directory.
  std::string voice = OrDefault(database, kDefaultDatabase);
  if (const std::optional<std::string> located = locator_(voice)) voice = *located;
  if (voice.empty()) voice = files::MapWindowsPath(kFallbackDatabase);
  // 5-6. Open the voice; go on after unknown diphones.
  if (s.mbrola->Init(voice) < 0) {
    s.mbrola.reset();
    return false;
  }
  s.mbrola->SetNoError(1);
  // 7-10. The language data.
  const auto map = [](const std::string& path, const char* fallback) {
    return files::MapWindowsPath(OrDefault(path, fallback));
  };
  const SivraFiles files{map(rules, "portug.nrl"), map(exceptions, "portug.exc"),
                         map(abbreviations, "portug.abr"), map(prosody, "portug.pro"),
                         map(diphones, "portug.dfn")};
  const std::string failure =
      s.pipeline.Load(files, [this](const std::string& text) { host_.MessageBox(text); });
  if (!failure.empty()) {
    error_ = failure;
    return false;
  }
  // 11-12. Speech to the sound device, or to the output file.
  if (s.output_name.empty()) return true;
  s.open_name = s.output_name;
  s.output.reset(std::fopen(s.open_name.c_str(), "wb"));
  if (!s.output) return false;
  std::array<uint8_t, kHeaderBytes> header{};
  FillWaveHeader(header, kSivraSampleRate, 16, 1, 0);
  if (std::fwrite(header.data(), 1, header.size(), s.output.get()) != header.size() ||
      std::fflush(s.output.get()) != 0) {
    error_ = kOutputError;
    s.output.reset();
    return false;
  }
  s.file_mode = true;
  return true;
}

void SivraEngine::SivraSetFactors(double pitch_factor, double duration_factor) {
  state_->pitch_factor = pitch_factor;
  state_->duration_factor = duration_factor;
}

void SivraEngine::PlayPending(std::size_t bytes) {
  std::vector<uint8_t>& image = state_->image;
  FillWaveHeader(std::span<uint8_t, 44>(image.data(), 44), kSivraSampleRate, 16, 1,
                 static_cast<uint32_t>(bytes));
  host_.PlayWavBuffer(std::span<const uint8_t>(image.data(), kHeaderBytes + bytes));
}

bool SivraEngine::SivraSpeak(const std::string& text) {
  SivraState& s = *state_;
  // 1. Nothing to say.
  if (base::TrimBlanksAndControls(text).empty()) return true;
  if (!s.mbrola) return false;
  // 2. The pipeline.
  s.last_lines = s.pipeline.TextToPhonemeLines(text, s.pitch_factor, s.duration_factor);
  // 3. The synthesized sound is played as it is.
  const bool fast = host_.FastPlayback();
  const bool cut = host_.CutSpeech();
  host_.SetFastPlayback(false);
  host_.SetCutSpeech(false);
  // 4-5. Each line to MBROLA, and whatever it has made so far to the sound or the file.
  synth::Mbrola& mbrola = *s.mbrola;
  mbrola.Reset();
  std::size_t pending = 0;
  bool result = true;
  const auto read = [&] {
    const int count = mbrola.Read(s.read_buffer.data(), kSivraReadSamples);
    if (count < 0) {
      if (mbrola.LastError() != 0) {
        mbrola.Reset();
        result = false;
      }
      return std::size_t{0};
    }
    return static_cast<std::size_t>(std::min(count, kSivraReadSamples)) * 2;
  };
  const std::vector<std::string>& lines = s.last_lines;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const bool last = i + 1 == lines.size();
    if (lines[i].empty() && !last) continue;
    mbrola.Write(lines[i] + "\r\n");
    if (mbrola.LastError() != 0) {
      mbrola.Reset();
      result = false;
    }
    if (last) mbrola.Flush();
    for (std::size_t n = read(); n > 0; n = read()) {
      const auto* bytes = reinterpret_cast<const uint8_t*>(s.read_buffer.data());
      if (s.file_mode) {
        if (std::fwrite(bytes, 1, n, s.output.get()) != n) result = false;
        continue;
      }
      if (pending + n >= kSivraPieceBytes && pending > 0) {
        PlayPending(pending);
        pending = 0;
      }
      std::memcpy(s.image.data() + kHeaderBytes + pending, bytes, n);
      pending += n;
    }
  }
  // 6. The last piece, at least 256 bytes long.
  if (!s.file_mode && pending > 0) {
    if (pending < kSivraMinLastPiece) {
      std::memset(s.image.data() + kHeaderBytes + pending, 0, kSivraMinLastPiece - pending);
      pending = kSivraMinLastPiece;
    }
    PlayPending(pending);
  }
  if (s.file_mode && std::fflush(s.output.get()) != 0) result = false;
  // 7.
  host_.SetFastPlayback(fast);
  host_.SetCutSpeech(cut);
  return result;
}

bool SivraEngine::SivraBusy() {
  return !state_->file_mode && host_.WavBusy();
}

void SivraEngine::SivraStop() {
  if (!state_->file_mode) host_.StopWav();
}

// Closes the output file with the sizes of what it holds in its header.
void SivraEngine::FinishOutputFile() {
  SivraState& s = *state_;
  if (s.file_mode && s.output) {
    s.output.reset();
    File file(std::fopen(s.open_name.c_str(), "r+b"));
    if (file && std::fseek(file.get(), 0, SEEK_END) == 0) {
      const long size = std::ftell(file.get());
      if (size >= static_cast<long>(kHeaderBytes)) {
        std::array<uint8_t, kHeaderBytes> header{};
        FillWaveHeader(header, kSivraSampleRate, 16, 1,
                       static_cast<uint32_t>(size - static_cast<long>(kHeaderBytes)));
        std::rewind(file.get());
        std::fwrite(header.data(), 1, header.size(), file.get());
      }
    }
  }
  s.output.reset();
  s.file_mode = false;
}

void SivraEngine::SivraClose() {
  SivraState& s = *state_;
  // 1. The output file gets the sizes of what it holds.
  FinishOutputFile();
  // 2-3. The data, then MBROLA.
  s.pipeline.Free();
  if (s.mbrola) s.mbrola->Close();
  s.mbrola.reset();
}

const std::vector<std::string>& SivraEngine::LastPhonemeLines() const {
  return state_->last_lines;
}

}  // namespace cadencio::tts
