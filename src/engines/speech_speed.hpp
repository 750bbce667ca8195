// The speech speed levels (1 slow … 5 fast, 3 normal) as the engines take them. The recorded
// voice has its own settings per level; an engine speaks at its configured rate at speed 3 and
// by a factor of that rate at the others, the same factor for every engine, so that each level
// is as much faster than the one below it and speed 5 is about two and a half times as fast as
// speed 1.
#pragma once

namespace cadencio::engines {

inline constexpr int kNormalSpeed = 3;

// How many times as fast as speed 3 a level speaks: 1.25 for each level up. A level outside
// 1..5 is taken as the nearest one.
double SpeedFactor(int speed);

// speech-dispatcher's rate (-100..100) that speaks `factor` times as fast as `rate`, on the rate
// scale of its espeak-ng output module, the usual one: -100 is 80 words per minute, 0 is 170,
// 100 is 449, in a straight line on each side of 0.
int ServiceRateTimes(int rate, double factor);
// The words per minute of a speech-dispatcher rate on that scale.
double ServiceWordsPerMinute(int rate);

}  // namespace cadencio::engines
