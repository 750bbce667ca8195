// The tuner that listens, opened with O in the tuning fork: it hears the string through the
// capture device and says the note and how far it is off ("Lá, 12 acima"), or, in fine tuning
// (F), ticks faster the further the string is off. F1 lists its keys; Esc or O returns to the
// tuning fork.
#pragma once

#include <functional>
#include <memory>

#include "audio/audio_input.hpp"
#include "audio/audio_output.hpp"
#include "console/console.hpp"
#include "speech/speech_front_end.hpp"

namespace cadencio::app {

// What the tuner needs beyond the console and speech: the sound output for the fine-tuning
// ticks, and a way to open the capture device (it is opened only while the tuner listens).
struct TunerDevices {
  audio::AudioOutput* output = nullptr;
  std::function<std::unique_ptr<audio::AudioInput>()> open_input;
};

// Runs the tuner until Esc or O; says "Nenhum microfone encontrado" and returns when no capture
// device opens.
void RunTuner(console::Console& console, speech::SpeechFrontEnd& speech,
              const TunerDevices& devices);

// Runs the tuner on an open input (the loop itself).
void RunTunerOn(console::Console& console, speech::SpeechFrontEnd& speech, audio::AudioInput& input,
                audio::AudioOutput* output);

void ShowTunerHelp(console::Console& console, speech::SpeechFrontEnd& speech);

}  // namespace cadencio::app
