// The beat rules of a song's map and the places of its cues.
#include "app/map_rules.hpp"

#include <algorithm>

#include "app/message_catalogue.hpp"

namespace cadencio::app {

namespace {

// The frames of a rule's first `measures` measures.
int64_t MeasuresFrames(const audio::BeatRule& rule, int64_t measures) {
  const int parts = std::max(rule.parts, 1);
  return audio::ScheduleFrame(measures * rule.beats * parts, parts, rule.bpm, rule.rate);
}

}  // namespace

std::string CueText(const PlayedSection& section, const PlayedSection& before) {
  std::string text = section.name;
  if (section.bpm != before.bpm) text += ", " + std::to_string(section.bpm);
  if (section.beats != before.beats) {
    text += MessageText("CACOMPDE") + std::to_string(section.beats);
  }
  return text;
}

PlacedCue PlaceCue(const SectionCue& cue, int64_t last_measure_frames, int64_t before_frames,
                   int rate) {
  const int64_t gap = int64_t{rate} * kCueGapMs / 1000;
  const auto lead = [gap](const audio::Sound* sound) { return sound->FrameCount() + gap; };
  if (cue.whole != nullptr && lead(cue.whole) <= last_measure_frames) {
    return {cue.whole, lead(cue.whole)};
  }
  if (cue.name != nullptr && lead(cue.name) <= before_frames) return {cue.name, lead(cue.name)};
  return {};
}

void LinkMapRules(std::vector<audio::BeatRule>& rules, const std::vector<PlayedSection>& sections,
                  const std::vector<SectionCue>& cues, bool loop) {
  const std::size_t count = std::min(rules.size(), sections.size());
  for (std::size_t i = 0; i < count; ++i) {
    audio::BeatRule& rule = rules[i];
    rule.measures = std::max(sections[i].measures, 1);
    rule.section = static_cast<int>(i);
    rule.then = i + 1 < count ? &rules[i + 1] : (loop ? &rules[0] : nullptr);
    rule.trainer_target = 0;  // the map's tempos hold
    rule.cue = nullptr;
  }
  for (std::size_t i = 0; i < count && i < cues.size(); ++i) {
    if (i == 0 && !loop) continue;  // the first section has none before it
    const audio::BeatRule& before = rules[i == 0 ? count - 1 : i - 1];
    const int64_t all = MeasuresFrames(before, before.measures);
    const int64_t last = all - MeasuresFrames(before, before.measures - 1);
    const PlacedCue placed = PlaceCue(cues[i], last, all, before.rate);
    rules[i].cue = placed.sound;
    rules[i].cue_lead = placed.lead;
  }
}

MapPlace PlaceAt(const audio::BeatRule& rule, int64_t frame) {
  audio::PatternCursor cursor(rule);
  cursor.SkipTo(frame);
  if (cursor.Ended()) return {0, 0, true};
  return {std::max(cursor.Section(), 0),
          static_cast<int32_t>(std::max<int64_t>(cursor.SectionMeasure(), 0)), false};
}

}  // namespace cadencio::app
