// The calibrated latency as AUDIRA.INI keeps it: written by the calibration, read at start,
// and a value that is no latency taken as none.
#include "app/settings_store.hpp"

#include <gtest/gtest.h>

#include <string>

#include "support/scratch_dir.hpp"

namespace cadencio::app {
namespace {

using testing::ScopedEnv;
using testing::ScratchDir;
using testing::WriteBytes;

TEST(SettingsStore, TheLatencyIsReadBackAndABadOneIsNone) {
  ScratchDir dir;
  ScopedEnv windir("AUDIRA_WINDIR", dir.path());
  const files::AudiraSettings settings(dir.path());
  struct Case {
    std::string stored;
    double latency_ms;  // below 0: none
  };
  const Case cases[] = {
      {"57.1", 57.1}, {" 12 ", 12}, {"0", 0}, {"-3", -1},  {"abc", -1},
      {"12ms", -1},   {"999", -1},  {"", -1}, {"nan", -1}, {"1e2", 100},
  };
  for (const Case& c : cases) {
    WriteBytes(dir / "AUDIRA.INI", "[CADENCIO]\nBPM=90\nLATENCIA=" + c.stored + "\n");
    MetronomeState state;
    LoadDefaults(settings, state);
    EXPECT_DOUBLE_EQ(state.LatencyMs, c.latency_ms) << c.stored;
  }
  // Stored to a tenth of a millisecond, and nothing else of the section lost.
  ASSERT_TRUE(StoreLatency(settings, 48.26));
  MetronomeState state;
  LoadDefaults(settings, state);
  EXPECT_DOUBLE_EQ(state.LatencyMs, 48.3);
  EXPECT_EQ(state.BpmText, "90");
}

}  // namespace
}  // namespace cadencio::app
