// The "|"-separated recording lists.
#include "lib/recording_list.hpp"

#include <fstream>
#include <set>

namespace cadencio::voicegen {

namespace {

std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields;
  std::string::size_type start = 0;
  while (true) {
    auto bar = line.find('|', start);
    fields.push_back(line.substr(start, bar == std::string::npos ? bar : bar - start));
    if (bar == std::string::npos) return fields;
    start = bar + 1;
  }
}

}  // namespace

bool IsPlainFileName(const std::string& name) {
  if (name.empty() || name.size() > 64) return false;
  for (unsigned char c : name) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '_' || c == '#' || c == '-';
    if (!ok) return false;
  }
  return true;
}

RecordingList ReadRecordingList(const std::string& path, std::size_t field_count) {
  RecordingList list;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    list.error = path + ": cannot be read";
    return list;
  }
  std::set<std::string> names;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    auto where = path + ":" + std::to_string(number) + ": ";
    auto fields = SplitFields(line);
    if (fields.size() != field_count) {
      list.error = where + "expected " + std::to_string(field_count) + " fields separated by |";
      return list;
    }
    if (!IsPlainFileName(fields[0])) {
      list.error = where + "bad file name \"" + fields[0] + "\"";
      return list;
    }
    if (!names.insert(fields[0]).second) {
      list.error = where + "\"" + fields[0] + "\" is listed twice";
      return list;
    }
    list.lines.push_back({number, std::move(fields)});
  }
  return list;
}

}  // namespace cadencio::voicegen
