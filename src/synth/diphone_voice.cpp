// The voice file: writing and checked reading.
//
// Layout, all numbers little-endian:
//   "CDNVOICE", u32 version (1), u32 sample rate (16000), u32 natural pitch in mHz,
//   u32 phone count, per phone: u8 name length, name bytes,
//   u32 diphone count, per diphone: u16 first, u16 second, u32 begin, u32 boundary, u32 end,
//   u32 sample count, u32 mark count, the samples (i16), the marks (u32: position in 1/64
//   sample, bit 31 set when voiced).
#include "synth/diphone_voice.hpp"

#include <cmath>
#include <iterator>

#include "files/file_reader.hpp"

namespace cadencio::synth {

namespace {

constexpr uint32_t kVersion = 1;
constexpr uint32_t kMaxPhones = 256;
constexpr uint32_t kMaxPhoneName = 8;
constexpr uint32_t kMaxDiphoneSamples = 4 * kVoiceRate;
constexpr uint32_t kVoicedBit = 0x80000000u;

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// Reads fields from an image; every read past the end fails and the reader stays failed.
class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& image) : image_(image) {}
  bool Ok() const { return ok_; }
  std::size_t Left() const { return image_.size() - pos_; }

  uint32_t U16() {
    if (!Need(2)) return 0;
    uint32_t v = image_[pos_] | (image_[pos_ + 1] << 8);
    pos_ += 2;
    return v;
  }
  uint32_t U32() {
    uint32_t low = U16();
    return low | (U16() << 16);
  }
  std::string Bytes(std::size_t n) {
    if (!Need(n)) return {};
    std::string s(image_.begin() + static_cast<std::ptrdiff_t>(pos_),
                  image_.begin() + static_cast<std::ptrdiff_t>(pos_ + n));
    pos_ += n;
    return s;
  }
  void Fail() { ok_ = false; }

 private:
  bool Need(std::size_t n) {
    if (!ok_ || Left() < n) ok_ = false;
    return ok_;
  }
  const std::vector<uint8_t>& image_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

bool ReadDiphone(Reader& in, std::size_t phone_count, Diphone& d) {
  d.first = static_cast<uint16_t>(in.U16());
  d.second = static_cast<uint16_t>(in.U16());
  d.begin = in.U32();
  d.boundary = in.U32();
  d.end = in.U32();
  uint32_t sample_count = in.U32();
  uint32_t mark_count = in.U32();
  if (!in.Ok() || d.first >= phone_count || d.second >= phone_count) return false;
  if (sample_count > kMaxDiphoneSamples || mark_count > sample_count) return false;
  if (!(d.begin <= d.boundary && d.boundary <= d.end && d.end <= sample_count)) return false;
  if (in.Left() < 2ull * sample_count + 4ull * mark_count) return false;
  d.samples.resize(sample_count);
  for (auto& s : d.samples) s = static_cast<int16_t>(in.U16());
  d.marks.resize(mark_count);
  for (std::size_t i = 0; i < mark_count; ++i) {
    uint32_t v = in.U32();
    d.marks[i] = {(v & ~kVoicedBit) / kMarkScale, (v & kVoicedBit) != 0};
    if (d.marks[i].position >= sample_count) return false;
    if (i > 0 && d.marks[i].position <= d.marks[i - 1].position) return false;
  }
  return in.Ok();
}

}  // namespace

int DiphoneVoice::PhoneIndex(std::string_view name) const {
  for (std::size_t i = 0; i < phones.size(); ++i) {
    if (phones[i] == name) return static_cast<int>(i);
  }
  return -1;
}

void DiphoneVoice::Index() {
  const std::size_t n = phones.size();
  table_.assign(n * n, -1);
  for (std::size_t i = 0; i < diphones.size(); ++i) {
    const Diphone& d = diphones[i];
    if (d.first < n && d.second < n) table_[d.first * n + d.second] = static_cast<int32_t>(i);
  }
}

const Diphone* DiphoneVoice::Find(int first, int second) const {
  const int n = static_cast<int>(phones.size());
  if (first < 0 || second < 0 || first >= n || second >= n) return nullptr;
  const std::size_t at = static_cast<std::size_t>(first) * phones.size() + second;
  if (at >= table_.size() || table_[at] < 0) return nullptr;
  return &diphones[static_cast<std::size_t>(table_[at])];
}

std::vector<uint8_t> SerializeVoice(const DiphoneVoice& voice) {
  std::vector<uint8_t> out(kVoiceMagic.begin(), kVoiceMagic.end());
  Put32(out, kVersion);
  Put32(out, kVoiceRate);
  Put32(out, static_cast<uint32_t>(voice.natural_pitch * 1000 + 0.5));
  Put32(out, static_cast<uint32_t>(voice.phones.size()));
  for (const std::string& p : voice.phones) {
    out.push_back(static_cast<uint8_t>(p.size()));
    out.insert(out.end(), p.begin(), p.end());
  }
  Put32(out, static_cast<uint32_t>(voice.diphones.size()));
  for (const Diphone& d : voice.diphones) {
    Put16(out, d.first);
    Put16(out, d.second);
    Put32(out, d.begin);
    Put32(out, d.boundary);
    Put32(out, d.end);
    Put32(out, static_cast<uint32_t>(d.samples.size()));
    Put32(out, static_cast<uint32_t>(d.marks.size()));
    for (int16_t s : d.samples) Put16(out, static_cast<uint16_t>(s));
    for (const PitchMark& m : d.marks) {
      const auto position = static_cast<uint32_t>(std::lround(m.position * kMarkScale));
      Put32(out, position | (m.voiced ? kVoicedBit : 0));
    }
  }
  return out;
}

std::optional<DiphoneVoice> ParseVoice(const std::vector<uint8_t>& image) {
  Reader in(image);
  if (in.Bytes(kVoiceMagic.size()) != kVoiceMagic) return std::nullopt;
  if (in.U32() != kVersion || in.U32() != kVoiceRate) return std::nullopt;
  DiphoneVoice voice;
  voice.natural_pitch = in.U32() / 1000.0;
  uint32_t phone_count = in.U32();
  if (!in.Ok() || phone_count == 0 || phone_count > kMaxPhones) return std::nullopt;
  for (uint32_t i = 0; i < phone_count; ++i) {
    std::string len = in.Bytes(1);
    if (!in.Ok() || len[0] == 0 || static_cast<uint8_t>(len[0]) > kMaxPhoneName) {
      return std::nullopt;
    }
    voice.phones.push_back(in.Bytes(static_cast<uint8_t>(len[0])));
  }
  uint32_t diphone_count = in.U32();
  if (!in.Ok() || diphone_count > phone_count * phone_count) return std::nullopt;
  voice.diphones.resize(diphone_count);
  for (Diphone& d : voice.diphones) {
    if (!ReadDiphone(in, phone_count, d)) return std::nullopt;
  }
  if (!in.Ok() || in.Left() != 0) return std::nullopt;
  voice.Index();
  return voice;
}

std::optional<DiphoneVoice> LoadVoiceFile(const std::string& path) {
  const std::optional<std::string> bytes = files::ReadDataFile(path);
  if (!bytes) return std::nullopt;
  const std::vector<uint8_t> image(bytes->begin(), bytes->end());
  return ParseVoice(image);
}

bool IsVoiceFile(const std::string& path) {
  // Only the head is read: a longer file stops at the limit.
  return files::ReadWholeFile(path, kVoiceMagic.size()).bytes == kVoiceMagic;
}

}  // namespace cadencio::synth
