// Profile (INI) text held in memory: lookup with the Windows private-profile rules and editing
// that rewrites only the lines concerned.
#include "files/profile_text.hpp"

#include <algorithm>
#include <cstddef>

#include "base/windows1252.hpp"

namespace cadencio::files {
namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// One line of the text: where it starts, its bytes without the line end, and the line end
// ("\n", "\r\n", "\r", or nothing for a last line without one). CR, LF and CR LF end lines
// alike, as the editors of every system write them.
struct Line {
  std::size_t start = 0;
  std::string_view text;
  std::string_view end;
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t stop = std::min(text.find_first_of("\r\n", pos), text.size());
    const std::size_t next =
        std::min(text.compare(stop, 2, "\r\n") == 0 ? stop + 2 : stop + 1, text.size());
    lines.push_back({pos, text.substr(pos, stop - pos), text.substr(stop, next - stop)});
    pos = next;
  }
  return lines;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (base::AsciiLowerCase(a[i]) != base::AsciiLowerCase(b[i])) return false;
  }
  return true;
}

std::string_view CutAtLineBreak(std::string_view s) {
  return s.substr(0, std::min(s.find('\r'), s.find('\n')));
}

// A section or key name as it can stand in a file: up to its first line break, without the
// blanks around it. Reading and writing use the same names.
std::string_view CleanName(std::string_view name) {
  return base::TrimBlanks(CutAtLineBreak(name));
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

enum class LineKind { kOther, kSection, kKey };

// What a line is: a section header (name = text between '[' and ']'), a key line (name = text
// before the first '=', value_pos = where the value starts after '=' and its blanks), or
// anything else (blank line, ';' comment, text without '=').
struct LineInfo {
  LineKind kind = LineKind::kOther;
  std::string_view name;
  std::size_t value_pos = 0;
  std::string_view value;
};

LineInfo Classify(std::string_view text, bool first_line) {
  std::size_t pos = 0;
  if (first_line && text.starts_with(kUtf8Bom)) pos = kUtf8Bom.size();
  pos = text.find_first_not_of(kBlanks, pos);
  if (pos == std::string_view::npos || text[pos] == ';') return {};
  LineInfo info;
  if (text[pos] == '[') {
    std::string_view rest = text.substr(pos + 1);
    info.kind = LineKind::kSection;
    info.name = base::TrimBlanks(rest.substr(0, rest.find(']')));
    return info;
  }
  std::size_t eq = text.find('=', pos);
  if (eq == std::string_view::npos) return {};
  info.name = base::TrimBlanks(text.substr(pos, eq - pos));
  if (info.name.empty()) return {};
  info.kind = LineKind::kKey;
  std::size_t value_pos = text.find_first_not_of(kBlanks, eq + 1);
  info.value_pos = value_pos == std::string_view::npos ? text.size() : value_pos;
  info.value = base::TrimBlanks(text.substr(info.value_pos));
  return info;
}

// The first section called `section`: the index of its header line and the index just past its
// last line (the next header or the end of the text).
struct SectionSpan {
  std::size_t header = 0;
  std::size_t last = 0;
  bool found = false;
};

SectionSpan FindSection(const std::vector<Line>& lines, std::string_view section) {
  SectionSpan span;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    LineInfo info = Classify(lines[i].text, i == 0);
    if (info.kind != LineKind::kSection) continue;
    if (span.found) {
      span.last = i;
      return span;
    }
    if (EqualNoCase(info.name, section)) {
      span.found = true;
      span.header = i;
    }
  }
  span.last = lines.size();
  return span;
}

// The line end new lines get: the file's own (its first one), LF for a text without one.
std::string_view LineEndStyle(const std::vector<Line>& lines) {
  for (const Line& line : lines) {
    if (!line.end.empty()) return line.end;
  }
  return "\n";
}

// What completes the line end of a line that new lines follow: the whole end for a last line
// without one, the LF of a lone CR in a text of CR LF ends.
std::string_view MissingLineEnd(const Line& line, std::string_view eol) {
  if (line.end.empty()) return eol;
  if (line.end == "\r" && eol == "\r\n") return "\n";
  return {};
}

std::string WriteOne(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view value) {
  std::vector<Line> lines = SplitLines(text);
  std::string_view eol = LineEndStyle(lines);
  std::string out;
  out.reserve(text.size() + section.size() + key.size() + value.size() + 8);

  SectionSpan span = FindSection(lines, section);
  if (!span.found) {
    out.append(text);
    if (!lines.empty()) {
      out.append(MissingLineEnd(lines.back(), eol));
      if (!base::TrimBlanks(lines.back().text).empty()) out.append(eol);
    }
    out.append("[").append(section).append("]").append(eol);
    out.append(key).append("=").append(value).append(eol);
    return out;
  }

  std::size_t after = span.header;
  for (std::size_t i = span.header + 1; i < span.last; ++i) {
    LineInfo info = Classify(lines[i].text, false);
    if (info.kind != LineKind::kKey) continue;
    if (EqualNoCase(info.name, key)) {
      std::size_t cut = lines[i].start + info.value_pos;
      out.append(text.substr(0, cut)).append(value);
      out.append(text.substr(lines[i].start + lines[i].text.size()));
      return out;
    }
    after = i;
  }
  const Line& anchor = lines[after];
  std::size_t insert_at = anchor.start + anchor.text.size() + anchor.end.size();
  out.append(text.substr(0, insert_at));
  out.append(MissingLineEnd(anchor, eol));
  out.append(key).append("=").append(value).append(eol);
  out.append(text.substr(insert_at));
  return out;
}

}  // namespace

std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key) {
  std::vector<Line> lines = SplitLines(text);
  SectionSpan span = FindSection(lines, CleanName(section));
  if (!span.found) return std::nullopt;
  std::string_view wanted = CleanName(key);
  for (std::size_t i = span.header + 1; i < span.last; ++i) {
    LineInfo info = Classify(lines[i].text, false);
    if (info.kind == LineKind::kKey && EqualNoCase(info.name, wanted)) {
      return std::string(Unquote(info.value));
    }
  }
  return std::nullopt;
}

ProfileEntries ListProfileSection(std::string_view text, std::string_view section) {
  ProfileEntries entries;
  std::vector<Line> lines = SplitLines(text);
  SectionSpan span = FindSection(lines, CleanName(section));
  if (!span.found) return entries;
  for (std::size_t i = span.header + 1; i < span.last; ++i) {
    LineInfo info = Classify(lines[i].text, false);
    if (info.kind != LineKind::kKey) continue;
    bool seen = false;
    for (const auto& entry : entries) seen = seen || EqualNoCase(entry.first, info.name);
    if (!seen) entries.emplace_back(std::string(info.name), std::string(Unquote(info.value)));
  }
  return entries;
}

std::optional<std::string> UpdateProfileText(std::string_view text, std::string_view section,
                                             const ProfileEntries& entries) {
  std::string_view clean_section = CleanName(section);
  if (clean_section.find(']') != std::string_view::npos) return std::nullopt;
  for (const auto& [key, value] : entries) {
    std::string_view clean_key = CleanName(key);
    if (clean_key.empty() || clean_key.front() == ';' || clean_key.front() == '[' ||
        clean_key.find('=') != std::string_view::npos) {
      return std::nullopt;
    }
  }
  std::string out(text);
  for (const auto& [key, value] : entries) {
    out = WriteOne(out, clean_section, CleanName(key), CutAtLineBreak(value));
  }
  return out;
}

}  // namespace cadencio::files
