// The uttsSivra module: start-up, speaking through MBROLA into the playback or a WAV file,
// and closing with the WAV sizes set.
#include "tts/sivra_engine.hpp"

#include <algorithm>
#include <array>
#include <cstdio>

#include "files/paths.hpp"
#include "formats/wav_writer.hpp"
#include "synth/mbrola_voices.hpp"
#include "tts/sivra_pipeline.hpp"
#include "tts/tts_text.hpp"

namespace cadencio::tts {

namespace {

using formats::kWavHeaderSize;
constexpr const char* kDefaultDatabase = "br4";
constexpr const char* kFallbackDatabase = "sivratts\\br4";  // below the family's root
constexpr const char* kOutputError =
    "Arquivo de sa\xED"
    "da n\xE3o pode ser criado";

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The header of the engine's sound: 16-bit mono at its own rate.
void WriteHeader(std::span<uint8_t> header, uint32_t data_size) {
  formats::BuildWavHeader(header, data_size, kSivraSampleRate, 1, 16);
}

std::string OrDefault(const std::string& value, const char* fallback) {
  return value.empty() ? std::string(fallback) : value;
}

}  // namespace

struct SivraState {
  std::unique_ptr<synth::Mbrola> mbrola;
  std::string output_name;  // for the next start
  std::string open_name;    // of the file being written
  File output;
  bool file_mode = false;
  double pitch_factor = 1.0;
  double duration_factor = 1.0;
  std::vector<int16_t> read_buffer = std::vector<int16_t>(kSivraReadSamples);
  // The samples made and not yet played.
  std::vector<int16_t> pending = std::vector<int16_t>(kSivraReadSamples);
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
  if (voice.empty()) voice = files::MapWindowsPath(files::FamilyPath(kFallbackDatabase));
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
  std::array<uint8_t, kWavHeaderSize> header{};
  WriteHeader(header, 0);
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

void SivraEngine::PlayPending(std::size_t count) {
  host_.PlaySamples(std::span<const int16_t>(state_->pending.data(), count));
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
    return static_cast<std::size_t>(std::min(count, kSivraReadSamples));
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
      if (s.file_mode) {
        if (std::fwrite(s.read_buffer.data(), sizeof(int16_t), n, s.output.get()) != n) {
          result = false;
        }
        continue;
      }
      if (pending + n >= kSivraPieceSamples && pending > 0) {
        PlayPending(pending);
        pending = 0;
      }
      std::copy_n(s.read_buffer.begin(), n,
                  s.pending.begin() + static_cast<std::ptrdiff_t>(pending));
      pending += n;
    }
  }
  // 6. The last piece, at least 128 samples long.
  if (!s.file_mode && pending > 0) {
    if (pending < kSivraMinLastSamples) {
      std::fill(s.pending.begin() + static_cast<std::ptrdiff_t>(pending),
                s.pending.begin() + kSivraMinLastSamples, 0);
      pending = kSivraMinLastSamples;
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
      if (size >= static_cast<long>(kWavHeaderSize)) {
        std::array<uint8_t, kWavHeaderSize> header{};
        WriteHeader(header, static_cast<uint32_t>(size - static_cast<long>(kWavHeaderSize)));
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
