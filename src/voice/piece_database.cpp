// The aufonrec module's database of recorded pieces: index, sample file and lookup.
#include "voice/piece_database.hpp"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "audio/pcm_fade.hpp"
#include "base/windows1252.hpp"
#include "files/file_reader.hpp"
#include "voice/voice_format.hpp"

namespace cadencio::voice {
namespace {

uint32_t ReadLe(const char* at, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(at[i]);
  return value;
}

void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

bool PieceNameLess(std::string_view a, std::string_view b) {
  // char_traits<char> compares bytes as unsigned char, like memcmp.
  return a.compare(b) < 0;
}

void PieceIndex::Load(std::string_view bytes) {
  entries_.clear();
  const std::size_t count = bytes.size() / kEntrySize;
  entries_.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const char* entry = bytes.data() + i * kEntrySize;
    const std::size_t name_length =
        std::min<std::size_t>(static_cast<uint8_t>(entry[0]), kMaxNameLength);
    PieceEntry piece;
    piece.name.assign(entry + 1, name_length);
    piece.length = static_cast<uint16_t>(ReadLe(entry + 9, 2));
    piece.offset = ReadLe(entry + 11, 4);
    entries_.push_back(std::move(piece));
  }
}

const PieceEntry* PieceIndex::Find(std::string_view name) const {
  std::size_t low = 0;
  std::size_t high = entries_.size();  // the name, if anywhere, lies in [low, high)
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    const std::string& here = entries_[middle].name;
    if (here == name) return &entries_[middle];
    if (PieceNameLess(here, name)) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return nullptr;
}

std::string EncodePieceIndex(std::vector<PieceEntry> entries) {
  for (PieceEntry& entry : entries) {
    entry.name = base::AsciiUpperCase(entry.name.substr(0, PieceIndex::kMaxNameLength));
  }
  std::stable_sort(entries.begin(), entries.end(), [](const PieceEntry& a, const PieceEntry& b) {
    return PieceNameLess(a.name, b.name);
  });
  std::string out;
  out.reserve(entries.size() * PieceIndex::kEntrySize);
  for (const PieceEntry& entry : entries) {
    out += static_cast<char>(entry.name.size());
    out += entry.name;
    out.append(PieceIndex::kMaxNameLength - entry.name.size(), '\0');
    PutLe(out, entry.length, 2);
    PutLe(out, entry.offset, 4);
  }
  return out;
}

std::size_t PieceByteCount(uint16_t length, int mode, std::size_t name_length,
                           const VoiceCuts& cuts, double factor) {
  int64_t kept = length;
  if (mode < 2 && name_length >= 3) {
    const int64_t cut = kept - cuts.piece_cut;
    kept = cut >= cuts.minimum_piece ? cut : std::min<int64_t>(kept, cuts.minimum_piece);
  }
  // Extended precision, fraction dropped: 1000 x 0.7 gives 699, as the stored voices expect.
  const long double bytes = static_cast<long double>(kept) * static_cast<long double>(factor);
  if (!(bytes >= 1.0L)) return 0;  // also NaN
  if (bytes >= 1.0e12L) return static_cast<std::size_t>(1.0e12L);
  return static_cast<std::size_t>(bytes);
}

bool PieceDatabase::Open(const std::string& index_path, const std::string& sample_path) {
  Close();
  files::FileContent index = files::ReadWholeFile(index_path, PieceIndex::kMaxIndexBytes);
  if (index.status != files::FileReadStatus::kOk) return false;

  auto samples = std::make_unique<std::ifstream>(sample_path, std::ios::binary);
  if (!*samples) return false;
  samples->seekg(0, std::ios::end);
  const std::streamoff sample_size = samples->tellg();
  if (sample_size < 0) return false;

  index_.Load(index.bytes);
  sample_size_ = static_cast<uint64_t>(sample_size);
  samples_ = std::move(samples);
  return true;
}

void PieceDatabase::OpenFromMemory(std::string_view index_bytes, std::string sample_bytes) {
  Close();
  index_.Load(index_bytes);
  sample_size_ = sample_bytes.size();
  samples_ = std::make_unique<std::istringstream>(std::move(sample_bytes));
}

void PieceDatabase::Close() {
  index_.Clear();
  samples_.reset();
  sample_size_ = 0;
}

bool PieceDatabase::Lookup(std::string_view name, int mode, double factor, const VoiceCuts& cuts,
                           std::size_t max_bytes, std::vector<uint8_t>& out) {
  out.clear();
  if (!samples_) return false;
  const PieceEntry* entry = index_.Find(base::AsciiUpperCase(name));
  if (entry == nullptr) return false;
  std::size_t count = PieceByteCount(entry->length, mode, name.size(), cuts, factor);
  count = std::min(count, max_bytes);
  // An entry that points past the end of the sample file gives what is there.
  const uint64_t available = entry->offset < sample_size_ ? sample_size_ - entry->offset : 0;
  count = static_cast<std::size_t>(std::min<uint64_t>(count, available));
  if (count == 0) return true;
  samples_->clear();
  samples_->seekg(static_cast<std::streamoff>(entry->offset), std::ios::beg);
  out.resize(count);
  samples_->read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(count));
  out.resize(static_cast<std::size_t>(std::max<std::streamsize>(samples_->gcount(), 0)));
  // A piece cut short ends in the middle of its sound: it fades out instead of stopping.
  if (out.size() < entry->length)
    audio::FadeOutUnsigned8(out, audio::CutFadeSamples(kVoiceSampleRate));
  return true;
}

}  // namespace cadencio::voice
