// The system's engines as the dispatch's starters.
#include "speech/engines/system_engines.hpp"

#include <memory>
#include <optional>

#include "speech/engines/espeak_engine.hpp"
#include "speech/engines/sivra_glue.hpp"
#include "speech/engines/speechd_engine.hpp"
#include "synth/mbrola_voices.hpp"

namespace cadencio::speech {

void InstallSystemEngines(EngineDispatch& dispatch, tts::MbrolaLoader load_mbrola) {
  dispatch.SetStarter(
      EngineFamily::kInProcess,
      [](EngineContext& context, const EngineVoice& voice) { return Sapi4Start(context, voice); });
  dispatch.SetStarter(EngineFamily::kService, [](EngineContext& context, const EngineVoice& voice) {
    return Sapi5Start(context, voice);
  });
  // The file set is read when the built-in TTS is first started, by then from the AUDIRA.INI
  // that the front end reads; the values are the same as when read at program start.
  auto files = std::make_shared<std::optional<SivraFileSet>>();
  dispatch.SetStarter(EngineFamily::kSivra, [files, load_mbrola = std::move(load_mbrola)](
                                                EngineContext& context, const EngineVoice& voice) {
    if (!*files) {
      *files = LoadSivraConfig(
          context.read_ini, [](const std::string& name) { return synth::FindMbrolaVoice(name); });
    }
    return SivraGlueStart(context, voice, **files, load_mbrola);
  });
}

}  // namespace cadencio::speech
