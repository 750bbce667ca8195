// Finding the window's font file through fontconfig.
#include "frontends/window/font_file.hpp"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "base/windows1252.hpp"

namespace cadencio::frontends {

namespace {

constexpr const char* kFallbackFace = "DejaVu Sans Mono";
constexpr const char* kFallbackFiles[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf",
};
bool SameNameNoCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return base::AsciiLowerCase(x) == base::AsciiLowerCase(y);
  });
}

// The best fontconfig match of a family and weight: its file, and whether its family is the
// one asked for (fontconfig always answers with some font).
struct FontMatch {
  std::string file;
  bool same_family = false;
  bool bold = false;
};

FontMatch MatchFont(const std::string& family, int weight) {
  FontMatch result;
  if (!FcInit()) return result;
  // fontconfig's configuration is given back when the program ends, so that leak checkers
  // see nothing left over.
  static const bool released_at_exit = std::atexit([] { FcFini(); }) == 0;
  (void)released_at_exit;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  if (weight > 0) FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult outcome = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &outcome);
  if (match != nullptr) {
    FcChar8* file = nullptr;
    FcChar8* matched_family = nullptr;
    int matched_weight = FC_WEIGHT_REGULAR;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
      result.file = reinterpret_cast<const char*>(file);
    }
    if (FcPatternGetString(match, FC_FAMILY, 0, &matched_family) == FcResultMatch) {
      result.same_family = SameNameNoCase(reinterpret_cast<const char*>(matched_family), family);
    }
    FcPatternGetInteger(match, FC_WEIGHT, 0, &matched_weight);
    result.bold = matched_weight >= FC_WEIGHT_DEMIBOLD;
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return result;
}

}  // namespace

std::string FindFontFile(const std::string& face_utf8, int weight, bool* synthesise_bold) {
  FontMatch match = MatchFont(face_utf8, weight);
  if (!match.same_family || match.file.empty()) match = MatchFont(kFallbackFace, weight);
  if (!match.same_family || match.file.empty()) {
    match = {};
    const bool bold = weight >= 600;
    FILE* probe = std::fopen(kFallbackFiles[bold ? 1 : 0], "rb");
    if (probe == nullptr) return {};
    std::fclose(probe);
    match.file = kFallbackFiles[bold ? 1 : 0];
    match.bold = bold;
  }
  if (synthesise_bold != nullptr) *synthesise_bold = weight >= 600 && !match.bold;
  return match.file;
}

}  // namespace cadencio::frontends
