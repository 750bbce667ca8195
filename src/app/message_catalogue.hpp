// The caMsg module: every sentence the metronome says, by key, and the rule that writes it and
// then plays its recording or speaks it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "console/console.hpp"
#include "speech/speech_front_end.hpp"

namespace cadencio::app {

// The catalogue text of a key, or nothing for an unknown key.
std::optional<std::string> FindMessageText(const std::string& key);

// The catalogue text of a key; an unknown key gives "--> Mensagem inválida: " and the key.
std::string MessageText(const std::string& key);

// Every key of the catalogue, in its order.
std::vector<std::string> CatalogueKeys();

// Writes the key's text (when line_ends >= 0), then line_ends line ends, then plays the key's
// recording from the prompt directory or, when there is none, speaks the text.
void SayMessage(console::Console& console, speech::SpeechFrontEnd& speech, const std::string& key,
                int line_ends);

// The key of a measure's name after a tempo (", ternário"); null for a measure said as
// ", compasso de " and its number.
const char* MeasureKey(int beats);

// Writes and says the measure after a tempo: ", binário", ", ternário", ", quaternário", or
// ", compasso de 5".
void SayMeasure(console::Console& console, speech::SpeechFrontEnd& speech, int beats);

// Writes and says the number of Link's peers and ends the line: "2 parceiros", "1 parceiro".
void SayPeers(console::Console& console, speech::SpeechFrontEnd& speech, int peers);

}  // namespace cadencio::app
