// The MBROLA phoneme lines: phones with durations and pitch points, comments, flushes, and the
// lines that must be refused rather than turned into a wrong or endless sound.
#include "synth/phoneme_line.hpp"

#include <gtest/gtest.h>

namespace cadencio::synth {
namespace {

TEST(PhonemeLineTest, ReadsPhonesCommentsAndFlushes) {
  struct Case {
    const char* line;
    LineKind kind;
    const char* name;
    double ms;
    std::vector<PitchPoint> points;
  };
  const Case cases[] = {
      {"a 120", LineKind::kPhone, "a", 120, {}},
      {"a 120 50 130", LineKind::kPhone, "a", 120, {{50, 130}}},
      {"lh\t85.5\t0 200 100 180\r", LineKind::kPhone, "lh", 85.5, {{0, 200}, {100, 180}}},
      {"  _   100  ", LineKind::kPhone, "_", 100, {}},
      {"r2 0", LineKind::kPhone, "r2", 0, {}},
      {"e 50 -10 200 150 210", LineKind::kPhone, "e", 50, {{0, 200}, {100, 210}}},  // clamped
      {";casa", LineKind::kComment, "", 0, {}},
      {"  ; a 100", LineKind::kComment, "", 0, {}},
      {"#", LineKind::kFlush, "", 0, {}},
      {"", LineKind::kEmpty, "", 0, {}},
      {" \t \r", LineKind::kEmpty, "", 0, {}},
  };
  for (const Case& c : cases) {
    ParsedLine got = ParsePhonemeLine(c.line);
    EXPECT_EQ(got.kind, c.kind) << c.line;
    if (c.kind != LineKind::kPhone) continue;
    EXPECT_EQ(got.phone.name, c.name) << c.line;
    EXPECT_DOUBLE_EQ(got.phone.duration_ms, c.ms) << c.line;
    ASSERT_EQ(got.phone.points.size(), c.points.size()) << c.line;
    for (std::size_t i = 0; i < c.points.size(); ++i) {
      EXPECT_DOUBLE_EQ(got.phone.points[i].percent, c.points[i].percent) << c.line;
      EXPECT_DOUBLE_EQ(got.phone.points[i].hz, c.points[i].hz) << c.line;
    }
  }
}

TEST(PhonemeLineTest, RefusesBadLines) {
  const char* const bad[] = {
      "a",
      "a x",
      "a -5",
      "a nan",
      "a inf",
      "a 60001",
      "a 1e9",
      "a 100 50",
      "a 100 50 0",
      "a 100 50 -3",
      "a 100 50 nan",
      "a 100 x 120",
      "a 100 50 2001",
      "a 12abc",
      "a 100 nan 120",
  };
  for (const char* line : bad) {
    ParsedLine got = ParsePhonemeLine(line);
    EXPECT_EQ(got.kind, LineKind::kBad) << line;
    EXPECT_FALSE(got.error.empty()) << line;
  }
}

}  // namespace
}  // namespace cadencio::synth
