// Fuzz target for the recorded voice's piece database: the input is split into an index file
// and a sample file, the index is loaded, and every entry and a few fixed names are looked up
// with cut settings taken from the input. Nothing may crash or hang, no lookup may give more
// bytes than asked for or than the sample file holds, and an index re-encoded in sorted order
// must find every one of its names.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "voice/piece_database.hpp"

namespace {

using cadencio::voice::EncodePieceIndex;
using cadencio::voice::PieceDatabase;
using cadencio::voice::PieceIndex;
using cadencio::voice::VoiceCuts;

int Signed16(const uint8_t* at) {
  return static_cast<int16_t>(at[0] | (at[1] << 8));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 7) return 0;
  // Header: split point (2 bytes), piece cut and minimum piece (signed, 2 bytes each), limit.
  const std::size_t split = std::min<std::size_t>(data[0] | (data[1] << 8), size - 7);
  const VoiceCuts cuts{Signed16(data + 2), Signed16(data + 4), 100};
  const std::size_t max_bytes = 1 + data[6] * 256u;
  const std::string_view body(reinterpret_cast<const char*>(data + 7), size - 7);
  const std::string_view index_bytes = body.substr(0, split);
  const std::string samples(body.substr(split));

  PieceDatabase database;
  database.OpenFromMemory(index_bytes, samples);
  std::vector<uint8_t> out;
  std::vector<std::string> names;
  for (const auto& entry : database.Index().entries()) names.push_back(entry.name);
  for (const char* fixed : {"$KA", "$A", "$", "", "_97", "$KACIRC", "$ABCDEFGHIJK"}) {
    names.push_back(fixed);
  }
  for (const std::string& name : names) {
    for (const int mode : {0, 1, 2}) {
      for (const double factor : {1.0, 0.9, 0.7, 0.6, 0.54}) {
        database.Lookup(name, mode, factor, cuts, max_bytes, out);
        if (out.size() > max_bytes || out.size() > samples.size()) __builtin_trap();
      }
    }
  }

  // Sorted again, the same entries are all found by the binary search.
  PieceIndex sorted;
  sorted.Load(EncodePieceIndex(database.Index().entries()));
  for (const auto& entry : sorted.entries()) {
    if (sorted.Find(entry.name) == nullptr) __builtin_trap();
  }
  return 0;
}
