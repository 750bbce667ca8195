// The order in which an engine's voices are numbered for VOZ: Brazilian Portuguese voices
// first, then the other Portuguese voices, then every other voice in the order the engine
// lists them. Voice numbers count from 1 in that order.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace cadencio::engines {

// `languages` holds each voice's language code ("pt-br", "pt_BR", "pt", "en-us" ...) in the
// engine's order; the result lists the voices' indices in VOZ order.
std::vector<std::size_t> VoiceOrder(const std::vector<std::string>& languages);

// The index of voice number `voice` (from 1) in that order; -1 when there is no such voice.
int VoiceIndex(const std::vector<std::string>& languages, int voice);

}  // namespace cadencio::engines
