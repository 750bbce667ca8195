// The built-in diphone synthesizer measured against espeak-ng, whose renderings its voice was
// cut from. Every sentence is rendered by espeak-ng; the synthesizer then says the same phones
// with espeak-ng's timing and melody (see espeak_phone_lines.hpp), and the two are compared:
//  1. mel-cepstral distance after DTW, beside the distance of espeak-ng's own rendering at
//     another speed (espeak-ng time-stretched) as a reference point;
//  2. clicks per minute over the catalogue messages and a paragraph (speech_measures.hpp: loud
//     frames, 40 dB over the file's median above 6 kHz, and the bursts among them), for both
//     (espeak-ng also converted to 44100 Hz as the program plays 16 kHz sound), and for the same
//     texts said by the built-in TTS itself (its normalisation, rules and prosody write the
//     lines), once as the synthesizer hands the samples to the playback and once as the program
//     plays them (the captured stream at 44100 Hz);
//  3. the joins between diphones that stand out from their surroundings;
//  4. synthesis speed as a multiple of real time.
// --dump-clicks lists every loud frame of the TTS's samples and of the played stream with the
// phone lines around it, and every join that stands out.
// With --spectrograms DIR it only writes the spectrograms of three sentences, by both voices,
// and three catalogue messages said by the built-in TTS as WAV files to listen to.
//   synth_quality [--voice FILE] [--spectrograms DIR] [--dump-clicks]

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "audio/resampler.hpp"
#include "audio/wav_loader.hpp"
#include "base/windows1252.hpp"
#include "files/paths.hpp"
#include "formats/wav_writer.hpp"
#include "lib/diphone_cutter.hpp"
#include "lib/diphone_phones.hpp"
#include "lib/espeak_voice.hpp"
#include "lib/recording_list.hpp"
#include "lib/sound_shaping.hpp"
#include "lib/spoken_corpus.hpp"
#include "measures/espeak_phone_lines.hpp"
#include "measures/speech_measures.hpp"
#include "synth/builtin_mbrola.hpp"
#include "synth/diphone_voice.hpp"
#include "synth/phoneme_line.hpp"
#include "synth/psola.hpp"
#include "tts/sivra_engine.hpp"

namespace {

using namespace cadencio;
using Seconds = std::chrono::duration<double>;

const char* const kSentences[] = {
    "O metrônomo marca o tempo da música.",
    "Qual é o andamento desta peça?",
    "Ela saiu cedo para o ensaio da orquestra.",
    "Aperte a tecla F9 para escolher novos efeitos.",
    "O violão está afinado em mi, lá, ré, sol, si e mi.",
    "Meu irmão tocava piano todas as manhãs.",
    "Hoje a banda vai tocar um samba e uma valsa.",
    "Confirma o fim do programa?",
    "Os músicos estudam devagar e aumentam a velocidade aos poucos.",
    "Cada compasso tem quatro tempos fortes e fracos.",
};

constexpr const char* kParagraph =
    "O metrônomo é um aparelho que marca o andamento da música com batidas regulares. Os "
    "músicos estudam devagar, a sessenta batidas por minuto, e aumentam a velocidade aos poucos; "
    "assim, cada trecho difícil fica seguro antes de ser tocado no tempo certo: é a lição "
    "mais antiga da prática musical.";

struct Said {
  std::vector<int16_t> samples;
  double seconds = 0;  // synthesis time
};

Said SayLines(synth::Mbrola& mbrola, const std::vector<std::string>& lines) {
  Said out;
  const auto start = std::chrono::steady_clock::now();
  mbrola.Reset();
  for (const std::string& line : lines) mbrola.Write(line + "\r\n");
  mbrola.Flush();
  int16_t buffer[16000];
  for (int n; (n = mbrola.Read(buffer, 16000)) > 0;)
    out.samples.insert(out.samples.end(), buffer, buffer + n);
  out.seconds = Seconds(std::chrono::steady_clock::now() - start).count();
  return out;
}

// Milliseconds from the first line written to the first samples read, reading after every line
// as the TTS's driver does (lines are written without a final flush until the end).
double FirstSamplesMs(synth::Mbrola& mbrola, const std::vector<std::string>& lines) {
  mbrola.Reset();
  int16_t buffer[16000];
  const auto start = std::chrono::steady_clock::now();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    mbrola.Write(lines[i] + "\r\n");
    if (i + 1 == lines.size()) mbrola.Flush();
    if (mbrola.Read(buffer, 16000) > 0) break;
  }
  const double ms = Seconds(std::chrono::steady_clock::now() - start).count() * 1000;
  mbrola.Reset();
  return ms;
}

// The built-in TTS as the program runs it with the shipped voice settings (pitch and rate 0),
// speaking with our synthesizer and the given voice file; the pieces the engine hands to the
// playback are collected.
class TtsSpeaker : private tts::SivraHost {
 public:
  explicit TtsSpeaker(const std::string& voice_file)
      : engine_(*this, synth::OpenBuiltinMbrola, [voice_file](const std::string&) {
          return std::optional<std::string>(voice_file);
        }) {}

  bool Start() {
    const std::string dir = files::DataRoot() + "/sivratts/portug";
    if (!engine_.SivraStart("br4", dir + ".nrl", dir + ".exc", dir + ".abr", dir + ".pro",
                            dir + ".dfn")) {
      return false;
    }
    engine_.SivraSetFactors(1.0, 0.8);
    return true;
  }

  // A Windows-1252 text as the TTS says it.
  std::vector<int16_t> Say(const std::string& text) {
    samples_.clear();
    engine_.SivraSpeak(text);
    return samples_;
  }
  const std::vector<std::string>& Lines() const { return engine_.LastPhonemeLines(); }

 private:
  void PlaySamples(std::span<const int16_t> samples) override {
    samples_.insert(samples_.end(), samples.begin(), samples.end());
  }
  bool WavBusy() override { return false; }
  void StopWav() override {}
  bool FastPlayback() const override { return false; }
  void SetFastPlayback(bool) override {}
  bool CutSpeech() const override { return false; }
  void SetCutSpeech(bool) override {}
  void MessageBox(const std::string& text) override {
    std::fprintf(stderr, "synth_quality: %s\n", text.c_str());
  }

  tts::SivraEngine engine_;
  std::vector<int16_t> samples_;
};

// A step kStep high, dying away within a few milliseconds, added to a copy of the sound every
// half second where the sound around (10 ms) is no louder, tells how many clicks of that size
// each click measure finds.
constexpr int kStep = 3000;

// Loud frames and bursts per minute of speech, and the share of added steps each finds.
struct ClickTally {
  int loud = 0, bursts = 0, steps = 0, steps_loud = 0, steps_burst = 0;
  double minutes = 0;
  void Add(const std::vector<int16_t>& samples, int rate) {
    const bench::ClickFrameSet set = bench::FindClickFrames(samples, rate);
    loud += static_cast<int>(set.loud.size());
    bursts += static_cast<int>(set.bursts.size());
    minutes += static_cast<double>(samples.size()) / (60.0 * rate);
    AddSteps(samples, rate);
  }
  void AddSteps(std::vector<int16_t> x, int rate) {
    std::vector<std::size_t> at;
    const auto around = static_cast<std::size_t>(rate / 200);
    for (std::size_t p = around; p + 2 * around < x.size();
         p += static_cast<std::size_t>(rate / 2)) {
      double sum = 0;
      for (std::size_t n = p - around; n < p + around; ++n) sum += double(x[n]) * x[n];
      if (std::sqrt(sum / static_cast<double>(2 * around)) > kStep) continue;
      at.push_back(p);
      for (std::size_t n = p; n < x.size() && n < p + 8 * around; ++n) {
        const double v = x[n] + kStep * std::exp(-static_cast<double>(n - p) * 1000 / rate);
        x[n] = static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
      }
    }
    const bench::ClickFrameSet set = bench::FindClickFrames(x, rate);
    const auto found = [&](const std::vector<std::size_t>& frames, std::size_t p) {
      return std::any_of(frames.begin(), frames.end(),
                         [&](std::size_t f) { return f + 2 * around > p && f <= p; });
    };
    for (std::size_t p : at) {
      ++steps;
      steps_loud += found(set.loud, p);
      steps_burst += found(set.bursts, p);
    }
  }
  void Print(const char* what) const {
    std::printf("  %-44s %5.1f min %8.2f (%3d) %8.2f (%3d) %5.0f %% %5.0f %%\n", what, minutes,
                loud / minutes, loud, bursts / minutes, bursts,
                100.0 * steps_loud / std::max(1, steps), 100.0 * steps_burst / std::max(1, steps));
  }
};

// Sound at 16000 Hz as the program's wave-out channel hands it to the mixer: converted to the
// stream's rate with the converter the channel plays with.
std::vector<int16_t> AsPlayed(const std::vector<int16_t>& x) {
  return voicegen::ToSigned16(voicegen::Resample(voicegen::ToFloat(x), synth::kVoiceRate,
                                                 say::kCaptureRate, audio::kPlaybackQuality));
}

// The phones of MBROLA lines as the synthesizer takes them (an unknown phone is a pause).
std::vector<synth::SynthPhone> PhonesOf(const synth::DiphoneVoice& voice,
                                        const std::vector<std::string>& lines) {
  std::vector<synth::SynthPhone> phones;
  std::vector<double> ms;
  for (const std::string& line : lines) {
    synth::ParsedLine parsed = synth::ParsePhonemeLine(line);
    if (parsed.kind != synth::LineKind::kPhone) continue;
    const int phone = voice.PhoneIndex(parsed.phone.name);
    phones.push_back({phone < 0 ? voice.PhoneIndex("_") : phone, 0, parsed.phone.points});
    ms.push_back(parsed.phone.duration_ms);
  }
  const std::vector<int64_t> counts = synth::PhoneSampleCounts(ms);
  for (std::size_t i = 0; i < phones.size(); ++i) phones[i].samples = counts[i];
  return phones;
}

// Joins between diphones whose waveform stands out from its surroundings by more than 6 dB: a
// step or break that the synthesizer made where two diphones meet. So that a count of 0 says
// something, the same test is also run on copies of every tenth join with a step added there
// (one that dies away within a few milliseconds, kTestSteps high), at the joins where the sound
// around is no louder than the step (RMS over 10 ms), so that the step is not masked; the share
// found is told.
constexpr double kStandOutDb = 6;
constexpr int kTestSteps[] = {1000, 3000};

struct JoinTally {
  int joins = 0, standing_out = 0;
  int tested[2] = {0, 0};
  int found[2] = {0, 0};
  double worst = -100;
  // With `dump`, every join that stands out is listed with the phones around it.
  void Add(const synth::DiphoneVoice& voice, const std::vector<int16_t>& samples,
           const std::vector<std::string>& lines, bool dump) {
    const std::vector<synth::SynthPhone> phones = PhonesOf(voice, lines);
    for (int64_t join : synth::JoinPositions(voice, phones, voice.PhoneIndex("_"))) {
      const double db = bench::StandOutDb(samples, join, synth::kVoiceRate);
      if (joins++ % 10 == 0) TestSteps(samples, join);
      standing_out += db > kStandOutDb;
      worst = std::max(worst, db);
      if (!dump || db <= kStandOutDb) continue;
      std::size_t i = 0;
      for (int64_t end = phones[0].samples; i + 1 < phones.size() && end <= join;)
        end += phones[++i].samples;
      std::printf("  join at %.1f ms stands out by %.1f dB, in", join * 1000.0 / synth::kVoiceRate,
                  db);
      for (std::size_t j = i > 0 ? i - 1 : 0; j <= i + 1 && j < phones.size(); ++j)
        std::printf(" %s%s", j == i ? "*" : "", voice.phones[phones[j].phone].c_str());
      std::printf("\n");
    }
  }
  void TestSteps(const std::vector<int16_t>& samples, int64_t join) {
    const int64_t half = synth::kVoiceRate / 50;  // 20 ms either side
    if (join < half || join + half > static_cast<int64_t>(samples.size())) return;
    double sum = 0;
    for (int64_t n = join - half / 4; n < join + half / 4; ++n)
      sum += double(samples[n]) * samples[n];
    const double rms = std::sqrt(sum / static_cast<double>(half / 2));
    for (int k = 0; k < 2; ++k) {
      if (rms > kTestSteps[k]) continue;
      ++tested[k];
      std::vector<int16_t> copy(samples.begin() + join - half, samples.begin() + join + half);
      for (int64_t n = 0; n < half; ++n) {
        const double v = copy[half + n] + kTestSteps[k] * std::exp(-n / 16.0);
        copy[half + n] = static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
      }
      found[k] += bench::StandOutDb(copy, half, synth::kVoiceRate) > kStandOutDb;
    }
  }
  void Print(const char* what) const {
    std::printf("  %-44s %6d joins, %4d stand out by more than %.0f dB; the most %.1f dB\n", what,
                joins, standing_out, kStandOutDb, worst);
    for (int k = 0; k < 2; ++k) {
      std::printf("  %-44s a step of %d added at %d joins no louder is found at %.0f %%\n", "",
                  kTestSteps[k], tested[k], 100.0 * found[k] / std::max(1, tested[k]));
    }
  }
};

// The phone line of an utterance's lines that holds `ms`, between the lines on either side.
std::string LinesAround(const std::vector<std::string>& lines, double ms) {
  std::vector<std::string> phones;
  double end = 0;
  std::size_t at = 0;
  for (const std::string& line : lines) {
    synth::ParsedLine parsed = synth::ParsePhonemeLine(line);
    if (parsed.kind != synth::LineKind::kPhone) continue;
    if (end <= ms) at = phones.size();
    phones.push_back(line);
    end += parsed.phone.duration_ms;
  }
  std::string around;
  for (std::size_t j = at > 0 ? at - 1 : 0; j <= at + 1 && j < phones.size(); ++j)
    around += (j == at ? " *[" : " [") + phones[j] + "]";
  return around;
}

// Lists every loud frame of a stream ('B' marks the bursts) with the text being said then (the
// last that began before it) and the phone lines the built-in TTS writes there.
void DumpClicks(const std::vector<int16_t>& samples, int rate,
                const std::vector<std::pair<double, std::string>>& texts, TtsSpeaker& tts) {
  const bench::ClickFrameSet set = bench::FindClickFrames(samples, rate);
  std::size_t spoken = texts.size();
  for (std::size_t at : set.loud) {
    const double ms = static_cast<double>(at) * 1000 / rate;
    std::size_t t = 0;
    while (t + 1 < texts.size() && texts[t + 1].first <= ms) ++t;
    if (t >= texts.size()) continue;
    if (t != spoken) {
      spoken = t;
      tts.Say(texts[t].second);
      std::printf("-- %s\n", base::Windows1252ToUtf8(texts[t].second).c_str());
    }
    const bool burst = std::find(set.bursts.begin(), set.bursts.end(), at) != set.bursts.end();
    const double into = ms - texts[t].first;
    std::printf("  %c %8.1f ms (%6.1f ms into it):%s\n", burst ? 'B' : ' ', ms, into,
                LinesAround(tts.Lines(), into).c_str());
  }
}

std::vector<std::string> CatalogueTexts() {
  std::vector<std::string> texts;
  for (const auto& line : voicegen::ReadRecordingList(CADENCIO_PROMPT_LIST, 3).lines) {
    const std::string& text = line.fields[2].empty() ? line.fields[1] : line.fields[2];
    if (!text.empty()) texts.push_back(text);
  }
  texts.push_back(kParagraph);
  return texts;
}

// Three catalogue messages said by the built-in TTS, to listen to.
constexpr int kListeningMessages[] = {1, 12, 28};

int WriteArtefacts(voicegen::EspeakVoice& espeak, synth::Mbrola& mbrola, TtsSpeaker& tts,
                   const std::string& dir) {
  std::filesystem::create_directories(dir);
  const int rate = espeak.SampleRate();
  for (int i = 0; i < 3; ++i) {
    voicegen::Rendering r = espeak.Render(kSentences[i]);
    Said ours = SayLines(mbrola, bench::PhoneLinesFor(r, rate));
    const std::string base = dir + "/sentence" + std::to_string(i + 1);
    formats::WriteWav16Mono(base + "-builtin.wav", ours.samples, synth::kVoiceRate);
    if (!bench::WriteSpectrogramPng(base + "-builtin.png", ours.samples, synth::kVoiceRate) ||
        !bench::WriteSpectrogramPng(base + "-espeak.png", voicegen::ToVoiceRate(r.samples, rate),
                                    synth::kVoiceRate)) {
      std::fprintf(stderr, "synth_quality: cannot write in %s\n", dir.c_str());
      return 1;
    }
  }
  const std::vector<std::string> texts = say::CatalogueAndParagraph();
  for (int k = 0; k < 3; ++k) {
    const std::string path = dir + "/message" + std::to_string(k + 1) + "-tts.wav";
    if (!formats::WriteWav16Mono(path, tts.Say(texts.at(kListeningMessages[k])),
                                 synth::kVoiceRate)) {
      std::fprintf(stderr, "synth_quality: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string voice_arg = "br4", spectrograms;
  bool dump = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--voice") == 0 && i + 1 < argc) voice_arg = argv[++i];
    if (std::strcmp(argv[i], "--spectrograms") == 0 && i + 1 < argc) spectrograms = argv[++i];
    if (std::strcmp(argv[i], "--dump-clicks") == 0) dump = true;
  }
  auto mbrola = synth::OpenBuiltinMbrola();
  if (mbrola->Init(voice_arg) < 0) {
    std::fprintf(stderr, "synth_quality: %s\n", mbrola->LastErrorText().c_str());
    return 1;
  }
  mbrola->SetNoError(1);
  // The speaker the voice was built from, with espeak-ng's ordinary intonation.
  voicegen::EspeakVoice espeak(voicegen::kDiphoneSpeaker);
  if (!voicegen::StartDiphoneSpeaker(espeak, false)) {
    std::fprintf(stderr, "synth_quality: %s\n", espeak.Error().c_str());
    return 1;
  }
  TtsSpeaker tts(synth::FindBuiltinVoice(voice_arg));
  if (!tts.Start()) {
    std::fprintf(stderr, "synth_quality: the built-in TTS does not start\n");
    return 1;
  }
  if (!spectrograms.empty()) return WriteArtefacts(espeak, *mbrola, tts, spectrograms);
  const int rate = espeak.SampleRate();

  std::printf("Mel-cepstral distance to espeak-ng after DTW (dB)\n");
  std::printf("%-64s %9s %9s %9s\n", "sentence", "built-in", "flat", "stretched");
  double sum_ours = 0, sum_flat = 0, sum_stretched = 0, audio = 0, busy = 0;
  for (const char* text : kSentences) {
    voicegen::Rendering r = espeak.Render(text);
    const std::vector<int16_t> reference = voicegen::ToVoiceRate(r.samples, rate);
    Said ours = SayLines(*mbrola, bench::PhoneLinesFor(r, rate));
    espeak.SetRate(120);
    const std::vector<int16_t> stretched = voicegen::ToVoiceRate(espeak.Render(text).samples, rate);
    espeak.SetRate(150);
    // Both on one steady pitch: the synthesizer's lines without pitch points.
    voicegen::StartDiphoneSpeaker(espeak, true);
    voicegen::Rendering flat_r = espeak.Render(text);
    voicegen::StartDiphoneSpeaker(espeak, false);
    std::vector<std::string> flat_lines = bench::PhoneLinesFor(flat_r, rate);
    for (std::string& line : flat_lines) line = line.substr(0, line.find(" 50 "));
    Said flat = SayLines(*mbrola, flat_lines);
    const double d_ours = bench::MelCepstralDistance(ours.samples, reference, synth::kVoiceRate);
    const double d_flat = bench::MelCepstralDistance(
        flat.samples, voicegen::ToVoiceRate(flat_r.samples, rate), synth::kVoiceRate);
    const double d_stretched = bench::MelCepstralDistance(stretched, reference, synth::kVoiceRate);
    std::printf("%-64s %9.2f %9.2f %9.2f\n", text, d_ours, d_flat, d_stretched);
    sum_ours += d_ours;
    sum_flat += d_flat;
    sum_stretched += d_stretched;
  }
  const double count = sizeof kSentences / sizeof kSentences[0];
  std::printf("%-64s %9.2f %9.2f %9.2f\n\n", "mean", sum_ours / count, sum_flat / count,
              sum_stretched / count);

  const std::optional<synth::DiphoneVoice> voice =
      synth::LoadVoiceFile(synth::FindBuiltinVoice(voice_arg));
  if (!voice) {
    std::fprintf(stderr, "synth_quality: cannot read the voice %s\n", voice_arg.c_str());
    return 1;
  }
  ClickTally ours_tally, espeak_tally, espeak_played_tally, tts_tally, played_tally;
  JoinTally ours_joins, tts_joins;
  for (const std::string& text : CatalogueTexts()) {
    voicegen::Rendering r = espeak.Render(text);
    const std::vector<int16_t> reference = voicegen::ToVoiceRate(r.samples, rate);
    const std::vector<std::string> lines = bench::PhoneLinesFor(r, rate);
    Said ours = SayLines(*mbrola, lines);
    ours_tally.Add(ours.samples, synth::kVoiceRate);
    ours_joins.Add(*voice, ours.samples, lines, false);
    espeak_tally.Add(reference, synth::kVoiceRate);
    espeak_played_tally.Add(AsPlayed(reference), say::kCaptureRate);
    audio += ours.samples.size() / double(synth::kVoiceRate);
    busy += ours.seconds;
  }
  const std::vector<std::string> texts = say::CatalogueAndParagraph();
  for (const std::string& text : texts) {
    const std::vector<int16_t> said = tts.Say(text);
    tts_tally.Add(said, synth::kVoiceRate);
    tts_joins.Add(*voice, said, tts.Lines(), dump);
  }
  std::vector<std::pair<double, std::string>> played;  // when each text was handed over (ms)
  // The program itself speaking with the built-in TTS (the data root's voice), as captured.
  const say::ShippedConfig config(say::FindVoice("sivra"));
  const say::SpokenTake take = say::SpeakTexts(
      config.DataRoot(), 0, texts,
      [&played](const speech::SpeechEvent& e) {
        if (e.kind == speech::SpeechEvent::kEngineText)
          played.emplace_back(static_cast<double>(e.at_ms), e.detail);
      },
      true);
  if (take.speaking_ms >= 0) played_tally.Add(take.samples, say::kCaptureRate);
  if (dump) {
    std::printf("Loud frames of the TTS's own samples ('B': a burst):\n");
    for (const std::string& text : texts)
      DumpClicks(tts.Say(text), synth::kVoiceRate, {{0.0, text}}, tts);
    std::printf("Loud frames of the stream the program plays:\n");
    DumpClicks(take.samples, say::kCaptureRate, played, tts);
    std::printf("\n");
  }
  std::printf("Clicks per minute over the catalogue and a paragraph:\n");
  std::printf("  %-44s %9s %14s %14s   steps found\n", "", "speech", "loud frames", "bursts");
  ours_tally.Print("built-in, espeak-ng's phones and timing");
  espeak_tally.Print("espeak-ng at 16000 Hz");
  espeak_played_tally.Print("the same, converted as the program plays it");
  tts_tally.Print("built-in TTS, its own lines");
  if (take.speaking_ms >= 0) {
    played_tally.Print("built-in TTS as the program plays it");
  } else {
    std::printf("  the program's built-in TTS did not speak: %s%s\n", config.Error().c_str(),
                take.error.c_str());
  }
  std::printf("\n");
  std::printf("Joins over the same texts:\n");
  ours_joins.Print("built-in, espeak-ng's phones and timing");
  tts_joins.Print("built-in TTS, its own lines");
  std::printf("\n");
  std::printf("Synthesis speed: %.1f s of speech in %.3f s, %.0f x real time\n", audio, busy,
              audio / busy);
  const std::vector<std::string> paragraph = bench::PhoneLinesFor(espeak.Render(kParagraph), rate);
  std::printf("Time to the first samples of the paragraph, written line by line: %.1f ms\n",
              FirstSamplesMs(*mbrola, paragraph));
  return 0;
}
