// libFuzzer target for the effects file: the input is the file's bytes. Reading must keep at
// most 199 entries, each one line of at most 255 bytes that is neither empty, a comment nor a
// section header; the effect and model lists must share the entries out between them and come
// out in sort-key order; the name and file parts of every entry must be consistent with it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/effects_file.hpp"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckList(const std::vector<std::string>& list) {
  if (list.size() <= 2) return;
  for (std::size_t i = 1; i < list.size(); ++i) {
    Check(cadencio::app::SortKey(list[i - 1]).compare(cadencio::app::SortKey(list[i])) <= 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace cadencio::app;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto entries = ParseEffectsText(text);
  Check(entries.size() <= static_cast<std::size_t>(kMaxEffectEntries));
  std::size_t models = 0;
  for (const auto& entry : entries) {
    Check(!entry.empty() && entry.size() <= kMaxEntryLength);
    Check(entry[0] != ';' && entry[0] != '[');
    Check(entry.find_first_of("\r\n") == std::string::npos);
    models += entry[0] == '*';
    const std::string name = EntryName(entry);
    const std::string file = EntryFile(entry);
    Check(file.size() >= 4 && file.compare(file.size() - 4, 4, ".WAV") == 0);
    Check(name.size() < entry.size() || name.empty());
    Check(SortKey(entry).size() == entry.size());
    MatchesLetter(entry, static_cast<uint8_t>(size % 256));
  }
  const auto effect_list = BuildEntryList(entries, false);
  const auto model_list = BuildEntryList(entries, true);
  Check(model_list.size() == models);
  Check(effect_list.size() + model_list.size() == entries.size());
  CheckList(effect_list);
  CheckList(model_list);
  return 0;
}
