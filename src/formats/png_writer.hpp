// Writing an RGB image as a PNG file (uncompressed deflate blocks), for window screenshots.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cadencio::formats {

// `rgb` holds width * height pixels of three bytes, row by row. False when the file cannot be
// written or the sizes do not match.
bool WritePngFile(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb);

}  // namespace cadencio::formats
