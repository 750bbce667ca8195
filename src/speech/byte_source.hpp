// Where WAV playback reads a file from: the platform's byte readers.
#pragma once

#include "platform/byte_source.hpp"

namespace cadencio::speech {

using platform::ByteSource;
using platform::FileByteSource;
using platform::MemoryByteSource;

}  // namespace cadencio::speech
