// Reading numbers, the time and the date from word recordings.
#include "speech/number_reading.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sstream>
#include <vector>

#include "files/file_reader.hpp"
#include "files/paths.hpp"
#include "speech/number_words.hpp"
#include "speech/speech_front_end.hpp"
#include "voice/voice_format.hpp"

namespace cadencio::speech {

namespace {

using voice::kWavHeaderSize;
constexpr std::size_t kBufferSamples = 30000;

const char* const kWeekdays[] = {"Domingo", "Segunda", "Terca", "Quarta",
                                 "Quinta",  "Sexta",   "Sabado"};
const char* const kMonths[] = {"Janeiro",  "Fevereiro", "Marco",    "Abril",
                               "Maio",     "Junho",     "Julho",    "Agosto",
                               "Setembro", "Outubro",   "Novembro", "Dezembro"};

// The samples of a word recording after its 44-byte header, at most kBufferSamples of them;
// false when the file cannot be read.
bool ReadWordSamples(const std::string& path, std::vector<uint8_t>& samples) {
  const files::FileContent file = files::ReadWholeFile(path, kWavHeaderSize + kBufferSamples);
  if (file.status != files::FileReadStatus::kOk && file.status != files::FileReadStatus::kTooLarge)
    return false;
  const std::size_t header = std::min(file.bytes.size(), kWavHeaderSize);
  samples.assign(file.bytes.begin() + static_cast<std::ptrdiff_t>(header), file.bytes.end());
  return true;
}

// Plays the joined recordings and empties them for the next.
void PlayJoined(SpeechFrontEnd& speech, std::vector<uint8_t>& joined) {
  if (joined.empty()) return;
  speech.PlayVoiceSamples(joined);
  joined.clear();
}

// The names as the screen-reader mode writes them (Windows-1252 in octal escapes).
const char* const kWeekdayNames[] = {"Domingo", "Segunda", "Ter\347a", "Quarta",
                                     "Quinta",  "Sexta",   "S\341bado"};
const char* const kMonthNames[] = {"janeiro",  "fevereiro", "mar\347o", "abril",
                                   "maio",     "junho",     "julho",    "agosto",
                                   "setembro", "outubro",   "novembro", "dezembro"};

// "14 horas e 5 minutos", "1 hora": the time as the screen-reader mode writes it.
std::string HourMinuteText(int hour, int minute) {
  std::string text = std::to_string(hour) + (hour < 2 ? " hora" : " horas");
  if (minute != 0) text += " e " + std::to_string(minute) + (minute < 2 ? " minuto" : " minutos");
  return text;
}

void SpeakNumber(SpeechFrontEnd& speech, int n, bool feminine) {
  SpeakNumberWords(speech, NumberWords(static_cast<uint64_t>(n)), feminine);
}

}  // namespace

void SpeakNumberWords(SpeechFrontEnd& speech, const std::string& words, bool feminine) {
  std::vector<std::string> names;
  std::istringstream split(words);
  for (std::string word; split >> word;) names.push_back(word);
  std::string described;
  for (std::size_t i = 0; i < names.size(); ++i) {
    names[i] = WordRecordingName(names[i], feminine && i + 1 == names.size());
    described += (i ? " " : "") + names[i];
  }
  speech.Notify(SpeechEvent::kNumber, described);
  std::vector<uint8_t> joined;
  std::vector<uint8_t> samples;
  for (const std::string& name : names) {
    if (!ReadWordSamples(files::MapWindowsPath(speech.LettersDir() + name + ".wav"), samples)) {
      continue;  // a missing word file only drops that word
    }
    if (joined.size() + samples.size() > kBufferSamples) PlayJoined(speech, joined);
    joined.insert(joined.end(), samples.begin(), samples.end());
  }
  PlayJoined(speech, joined);
}

void SpeakHourMinute(SpeechFrontEnd& speech, int hour, int minute) {
  // The recordings are joined from words; the screen-reader mode writes the whole text.
  if (speech.WritesSpeech()) return speech.SpeakText(HourMinuteText(hour, minute));
  SpeakNumber(speech, hour, true);
  speech.PlayPromptWav(hour < 2 ? "_hora" : "_horas");
  if (minute != 0) {
    SpeakNumber(speech, minute, false);
    speech.PlayPromptWav(minute < 2 ? "_minuto" : "_minutos");
  }
}

void SpeakTime(const console::Console& console, SpeechFrontEnd& speech) {
  console::TimeParts now = console.GetTimeParts();
  char shown[8];
  std::snprintf(shown, sizeof shown, "%02d:%02d", now.hour % 100, now.minute % 100);
  speech.ShowSpoken(shown);
  SpeakHourMinute(speech, now.hour, now.minute);
}

void SpeakDate(const console::Console& console, SpeechFrontEnd& speech) {
  console::DateParts today = console.GetDateParts();
  using namespace std::chrono;
  year_month_day date{year(today.year), month(static_cast<unsigned>(today.month)),
                      day(static_cast<unsigned>(today.day))};
  unsigned weekday_index = weekday(sys_days(date)).c_encoding();  // 0 = Sunday
  int month_index = std::clamp(today.month, 1, 12) - 1;
  if (speech.WritesSpeech()) {
    return speech.SpeakText(std::string(kWeekdayNames[weekday_index % 7]) + ", " +
                            std::to_string(today.day) + " de " + kMonthNames[month_index] + " de " +
                            std::to_string(today.year));
  }
  speech.PlayPromptWav(('_' + std::string(kWeekdays[weekday_index % 7])).substr(0, 11));
  if (today.day == 1) {
    speech.PlayPromptWav("_primeir");
  } else {
    SpeakNumber(speech, today.day, false);
  }
  speech.PlayPromptWav("_de");
  speech.PlayPromptWav('_' + std::string(kMonths[month_index]).substr(0, 7));
  speech.PlayPromptWav("_de");
  if (today.year >= 2000) SpeakNumber(speech, 2000, false);
  if (today.year > 2000) speech.PlayPromptWav("_e");
  if (today.year % 100 != 0) SpeakNumber(speech, today.year % 100, false);
}

}  // namespace cadencio::speech
