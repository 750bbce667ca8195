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
void PrintOffsets(const char* what, std::vector<double> offsets);
// The tempo of the beats between two moments, in BPM, from the median interval; 0 for none.
double TempoBetween(const std::vector<double>& beats, double from, double to);
// The clicks of a recording whose sound starts loud (LinkHut's): the first frame at or above
// half scale after 50 ms below it.
std::vector<int64_t> LoudStarts(const std::vector<float>& samples, int rate);

}  // namespace cadencio::bench
