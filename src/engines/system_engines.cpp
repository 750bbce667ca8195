// The system's engines as the dispatch's starters.
#include "engines/system_engines.hpp"

#include <memory>
#include <optional>

#include "engines/espeak_engine.hpp"
#include "engines/sivra_glue.hpp"
#include "engines/speechd_engine.hpp"
#include "synth/mbrola_voices.hpp"

namespace cadencio::engines {

void InstallSystemEngines(EngineDispatch& dispatch, tts::MbrolaLoader load_mbrola) {
  dispatch.SetStarter(
      EngineFamily::kInProcess,
      [](EngineContext& context, const EngineVoice& voice) { return StartEspeak(context, voice); });
  dispatch.SetStarter(EngineFamily::kService, [](EngineContext& context, const EngineVoice& voice) {
    return StartSpeechDispatcher(context, voice);
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

}  // namespace cadencio::engines
