// The built-in TTS engine is not built yet: its start fails, so the program speaks with the
// recorded voice as it does whenever the configured engine cannot start.
#include "tts/sivra_engine.hpp"

namespace cadencio::tts {

struct SivraState {};

SivraEngine::SivraEngine(SivraHost& host, MbrolaLoader loader)
    : host_(host), loader_(std::move(loader)) {}
SivraEngine::~SivraEngine() = default;

void SivraEngine::SivraSetOutputFile(const std::string&) {}
bool SivraEngine::SivraStart(const std::string&, const std::string&, const std::string&,
                             const std::string&, const std::string&, const std::string&) {
  return false;  // Seam: the engine's pipeline and MBROLA driver are not built yet.
}
void SivraEngine::SivraSetFactors(double, double) {}
bool SivraEngine::SivraSpeak(const std::string&) {
  return false;
}
bool SivraEngine::SivraBusy() {
  return false;
}
void SivraEngine::SivraStop() {}
void SivraEngine::SivraClose() {}

}  // namespace cadencio::tts
