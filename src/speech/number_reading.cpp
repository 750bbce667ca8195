// Reading the time and the date from word recordings.
#include "speech/number_reading.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "speech/number_words.hpp"

namespace cadencio::speech {

namespace {

const char* const kWeekdays[] = {"Domingo", "Segunda", "Terca", "Quarta",
                                 "Quinta",  "Sexta",   "Sabado"};
const char* const kMonths[] = {"Janeiro",  "Fevereiro", "Marco",    "Abril",
                               "Maio",     "Junho",     "Julho",    "Agosto",
                               "Setembro", "Outubro",   "Novembro", "Dezembro"};

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
  speech.SpeakNumberWords(NumberWords(static_cast<uint64_t>(n)), feminine);
}

}  // namespace

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

void SpeakTime(SpeechFrontEnd& speech) {
  const base::Clock::DateTime now = speech.Clock().LocalDateTime();
  char shown[8];
  std::snprintf(shown, sizeof shown, "%02d:%02d", now.hour % 100, now.minute % 100);
  speech.ShowSpoken(shown);
  SpeakHourMinute(speech, now.hour, now.minute);
}

void SpeakDate(SpeechFrontEnd& speech) {
  const base::Clock::DateTime today = speech.Clock().LocalDateTime();
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
