// The microphone through SDL2's capture API, on SDL's `disk` driver: what the driver reads from
// its input file arrives through Read, in order, and no capture device means none is opened.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "audio/sdl/sdl_audio.hpp"
#include "support/scratch_dir.hpp"

namespace cadencio::audio {
namespace {

TEST(SdlCapture, DiskDriverDeliversTheInputFileInOrder) {
  testing::ScratchDir dir;
  const std::string path = dir / "in.raw";
  // Two seconds of a 220 Hz sine as raw native floats, the format the capture asks for.
  std::vector<float> tone(2 * 44100);
  for (std::size_t i = 0; i < tone.size(); ++i) {
    tone[i] = static_cast<float>(0.5 * std::sin(2 * std::acos(-1.0) * 220 * i / 44100.0));
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(tone.data(), sizeof(float), tone.size(), file);
  std::fclose(file);

  testing::ScopedEnv driver("SDL_AUDIODRIVER", "disk");
  testing::ScopedEnv in_file("SDL_DISKAUDIOFILEIN", path);
  auto input = OpenSdlCapture(44100);
  ASSERT_NE(input, nullptr);
  EXPECT_EQ(input->DriverName(), "disk");
  ASSERT_EQ(input->SampleRate(), 44100);

  std::vector<float> heard;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (heard.size() < 8192 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    input->Read(heard);
  }
  ASSERT_GE(heard.size(), 8192u);
  for (std::size_t i = 0; i < 8192; ++i) ASSERT_FLOAT_EQ(heard[i], tone[i]) << "sample " << i;
}

TEST(SdlCapture, NoMicrophoneOpensNothing) {
  // SDL's `dummy` driver records only silence; a driver that does not exist records nothing.
  for (const char* name : {"dummy", "no-such-driver"}) {
    testing::ScopedEnv driver("SDL_AUDIODRIVER", name);
    EXPECT_EQ(OpenSdlCapture(44100), nullptr) << name;
  }
}

}  // namespace
}  // namespace cadencio::audio
