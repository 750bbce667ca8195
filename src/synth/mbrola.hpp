// The MBROLA diphone synthesizer's operations, as the built-in Portuguese TTS drives them: one
// interface over the `mbrola` program (when installed) and over the built-in synthesizer that
// stands in for it. Phoneme lines go in, 16-bit mono samples at 16000 Hz come out.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace cadencio::synth {

class Mbrola {
 public:
  virtual ~Mbrola() = default;
  // init_MBR: opens the voice database; negative when it cannot be opened.
  virtual int Init(const std::string& database) = 0;
  // setNoError_MBR: with 1, unknown diphones are reported but synthesis goes on.
  virtual void SetNoError(int no_error) = 0;
  // reset_MBR: drops the input and output pending from an earlier utterance.
  virtual void Reset() = 0;
  // write_MBR: queues one phoneme line (ending in CR LF); negative on failure.
  virtual int Write(const std::string& line) = 0;
  // flush_MBR: everything written so far is synthesized.
  virtual void Flush() = 0;
  // read_MBR: up to `capacity` samples; their count, 0 when nothing is ready, negative on error.
  virtual int Read(int16_t* samples, int capacity) = 0;
  // lastError_MBR / lastErrorStr_MBR: non-zero (and a text) after an error.
  virtual int LastError() = 0;
  virtual std::string LastErrorText() = 0;
  // close_MBR: releases the voice.
  virtual void Close() = 0;
};

}  // namespace cadencio::synth
