// Notes and their pitch for the tuner: equal temperament with A4 = 440 Hz, the Portuguese
// solfège names, and a precise measure of a steady tone's frequency.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace cadencio::app {

// The nearest equal-tempered note (MIDI number, 69 = A4) and the distance from it in cents.
struct NearestNote {
  int midi = 0;
  double cents = 0;
};
NearestNote NearestNoteOf(double hz);
double NoteFrequency(int midi);

// "Dó", "Dó sustenido", "Ré" ... "Si" in Windows-1252, without the octave.
std::string SolfegeName(int midi);

// The magnitude of the spectrum of `windowed` (samples already windowed) at `hz`.
double SpectrumAt(const std::vector<double>& windowed, int rate, double hz);

// The frequency of the tone in `samples` near `coarse_hz`: the peaks of the Hann-windowed
// spectrum at the first harmonics, each found to a small fraction of a cent, combined with
// weights that favour the strong and the higher (finer) ones. 0 when no peak stands within 20
// cents of `coarse_hz` (the pitch detector's estimate is much closer on a steady tone).
double MeasurePitch(const float* samples, std::size_t count, int rate, double coarse_hz);

}  // namespace cadencio::app
