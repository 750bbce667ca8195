// What the Link benchmark reports of beat trains placed on one time line (microseconds): how
// far each beat of one train lies from the nearest of another, and the tempo a train plays; and
// where the clicks of a recording start.
#pragma once

#include <cstdint>
#include <vector>

namespace cadencio::bench {

// A straight line t = a x + b, fitted by least squares about the points' means.
struct Line {
  double a = 0, b = 0;
  double At(double x) const { return a * x + b; }
};
Line FitLine(const std::vector<double>& x, const std::vector<double>& t);

// Distances from each of `beats` between `from` and `to` to the nearest of `other`, in ms
// (positive: the other beat is later).
std::vector<double> Offsets(const std::vector<double>& beats, const std::vector<double>& other,
                            double from, double to);
// A line of the offsets' count, mean, and median, 95th percentile and largest of their sizes.
// Offsets larger than `unmatched_ms` are beats the other train has none near (a click it did
// not play): they are left out of the figures, and counted.
void PrintOffsets(const char* what, std::vector<double> offsets, double unmatched_ms = 250);
// The offsets larger than `unmatched_ms`, taken out of `offsets`.
std::vector<double> TakeUnmatched(std::vector<double>& offsets, double unmatched_ms);
// The tempo of the beats between two moments, in BPM, from the median interval; 0 for none.
double TempoBetween(const std::vector<double>& beats, double from, double to);
// The clicks of a recording whose sound starts loud (LinkHut's): the first frame at or above
// half scale after 50 ms below it.
std::vector<int64_t> LoudStarts(const std::vector<float>& samples, int rate);

}  // namespace cadencio::bench
