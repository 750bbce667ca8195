// The aufonrec module's reader of letter recordings.
#include "voice/letter_wav_reader.hpp"

#include <algorithm>
#include <fstream>

#include "formats/byte_source.hpp"
#include "formats/riff_reader.hpp"

namespace cadencio::voice {
namespace {

// A stream read as a byte source.
class StreamSource final : public formats::ByteSource {
 public:
  explicit StreamSource(std::istream& in) : in_(in) {}
  std::size_t Read(uint8_t* to, std::size_t count) override {
    in_.read(reinterpret_cast<char*>(to), static_cast<std::streamsize>(count));
    const auto got = static_cast<std::size_t>(std::max<std::streamsize>(in_.gcount(), 0));
    position_ += got;
    return got;
  }

 private:
  std::istream& in_;
};

}  // namespace

bool ReadLetterSamples(std::istream& in, std::size_t max_bytes, std::vector<uint8_t>& out) {
  out.clear();
  // "fmt " first, its body not looked at; the data size taken as 16 bits.
  formats::RiffOptions options;
  options.fmt_fields = 0;
  options.data_size_16bit = true;
  StreamSource source(in);
  formats::RiffWav wav;
  if (!formats::ReadRiffHead(source, options, wav)) return false;
  out.resize(std::min<std::size_t>(wav.data_size, max_bytes));
  out.resize(source.Read(out.data(), out.size()));
  return true;
}

bool ReadLetterWav(const std::string& path, std::size_t max_bytes, std::vector<uint8_t>& out) {
  out.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  return ReadLetterSamples(in, max_bytes, out);
}

}  // namespace cadencio::voice
