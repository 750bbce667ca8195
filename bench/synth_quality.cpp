// The built-in diphone synthesizer measured against espeak-ng, whose renderings its voice was
// cut from. Every sentence is rendered by espeak-ng; the synthesizer then says the same phones
// with espeak-ng's timing and melody (see espeak_phone_lines.hpp), and the two are compared:
//  1. mel-cepstral distance after DTW, beside the distance of espeak-ng's own rendering at
//     another speed (espeak-ng time-stretched) as a reference point;
//  2. clicks per minute (5 ms frames whose energy above 6 kHz lies 40 dB over the file's median)
//     over the catalogue messages and a paragraph, for both;
//  3. synthesis speed as a multiple of real time.
// With --spectrograms DIR it only writes the spectrograms of three sentences, by both voices.
//   synth_quality [--voice FILE] [--spectrograms DIR]

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "espeak_phone_lines.hpp"
#include "platform/wav_file.hpp"
#include "speech_measures.hpp"
#include "synth/builtin_mbrola.hpp"
#include "synth/diphone_voice.hpp"
#include "voice_gen/diphone_cutter.hpp"
#include "voice_gen/diphone_phones.hpp"
#include "voice_gen/espeak_voice.hpp"
#include "voice_gen/recording_list.hpp"

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

Said SayLines(platform::Mbrola& mbrola, const std::vector<std::string>& lines) {
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
double FirstSamplesMs(platform::Mbrola& mbrola, const std::vector<std::string>& lines) {
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

std::vector<std::string> CatalogueTexts() {
  std::vector<std::string> texts;
  for (const auto& line : voicegen::ReadRecordingList(CADENCIO_PROMPT_LIST, 3).lines) {
    const std::string& text = line.fields[2].empty() ? line.fields[1] : line.fields[2];
    if (!text.empty()) texts.push_back(text);
  }
  texts.push_back(kParagraph);
  return texts;
}

int WriteSpectrograms(voicegen::EspeakVoice& espeak, platform::Mbrola& mbrola,
                      const std::string& dir) {
  std::filesystem::create_directories(dir);
  const int rate = espeak.SampleRate();
  for (int i = 0; i < 3; ++i) {
    voicegen::Rendering r = espeak.Render(kSentences[i]);
    Said ours = SayLines(mbrola, bench::PhoneLinesFor(r, rate));
    const std::string base = dir + "/sentence" + std::to_string(i + 1);
    platform::WriteWav16Mono(base + "-builtin.wav", ours.samples, synth::kVoiceRate);
    if (!bench::WriteSpectrogramPng(base + "-builtin.png", ours.samples, synth::kVoiceRate) ||
        !bench::WriteSpectrogramPng(base + "-espeak.png", voicegen::ToVoiceRate(r.samples, rate),
                                    synth::kVoiceRate)) {
      std::fprintf(stderr, "synth_quality: cannot write in %s\n", dir.c_str());
      return 1;
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string voice_arg = "br4", spectrograms;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--voice") == 0) voice_arg = argv[i + 1];
    if (std::strcmp(argv[i], "--spectrograms") == 0) spectrograms = argv[i + 1];
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
  if (!spectrograms.empty()) return WriteSpectrograms(espeak, *mbrola, spectrograms);
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

  int clicks_ours = 0, clicks_espeak = 0;
  double minutes_ours = 0, minutes_espeak = 0;
  for (const std::string& text : CatalogueTexts()) {
    voicegen::Rendering r = espeak.Render(text);
    const std::vector<int16_t> reference = voicegen::ToVoiceRate(r.samples, rate);
    Said ours = SayLines(*mbrola, bench::PhoneLinesFor(r, rate));
    clicks_ours += bench::CountClicks(ours.samples, synth::kVoiceRate);
    clicks_espeak += bench::CountClicks(reference, synth::kVoiceRate);
    minutes_ours += ours.samples.size() / (60.0 * synth::kVoiceRate);
    minutes_espeak += reference.size() / (60.0 * synth::kVoiceRate);
    audio += ours.samples.size() / double(synth::kVoiceRate);
    busy += ours.seconds;
  }
  std::printf("Clicks per minute over the catalogue and a paragraph (%.1f min of speech):\n",
              minutes_ours);
  std::printf("  built-in %.2f (%d clicks), espeak-ng %.2f (%d clicks)\n\n",
              clicks_ours / minutes_ours, clicks_ours, clicks_espeak / minutes_espeak,
              clicks_espeak);
  std::printf("Synthesis speed: %.1f s of speech in %.3f s, %.0f x real time\n", audio, busy,
              audio / busy);
  const std::vector<std::string> paragraph = bench::PhoneLinesFor(espeak.Render(kParagraph), rate);
  std::printf("Time to the first samples of the paragraph, written line by line: %.1f ms\n",
              FirstSamplesMs(*mbrola, paragraph));
  return 0;
}
