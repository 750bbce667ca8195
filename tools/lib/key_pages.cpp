// Writing the key lists as roff and Markdown.
#include "lib/key_pages.hpp"

#include <cstdint>
#include <cstdio>

namespace cadencio::tools {

namespace {

// roff text: a backslash is \e, a hyphen \-, a line never starts with a control character, and
// a letter beyond ASCII is named by its code point (\[u00E1]), which groff and mandoc both read
// whatever the page's encoding.
std::string Roff(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<uint8_t>(text[i]);
    if (byte < 0x80) {
      if (byte == '\\') {
        out += "\\e";
      } else if (byte == '-') {
        out += "\\-";
      } else if ((byte == '.' || byte == '\'') && (out.empty() || out.back() == '\n')) {
        out += "\\&";
        out += static_cast<char>(byte);
      } else {
        out += static_cast<char>(byte);
      }
      continue;
    }
    // One UTF-8 sequence: its length from the first byte, its bits from all of them.
    const int length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
    uint32_t code = byte & (0x7F >> length);
    for (int k = 1; k < length && i + 1 < text.size(); ++k) {
      code = (code << 6) | (static_cast<uint8_t>(text[++i]) & 0x3F);
    }
    char name[16];
    std::snprintf(name, sizeof name, "\\[u%04X]", static_cast<unsigned>(code));
    out += name;
  }
  return out;
}

// The keys of a line in bold, "Up / Down" as "Up, Down".
std::string RoffKeys(std::string_view keys) {
  std::string line = ".B \"";
  for (std::size_t from = 0;;) {
    const std::size_t slash = keys.find(" / ", from);
    line += Roff(keys.substr(from, slash - from));
    if (slash == std::string_view::npos) break;
    line += ", ";
    from = slash + 3;
  }
  return line + "\"";
}

}  // namespace

std::string RoffKeyList(const std::vector<app::KeyDoc>& keys, KeyLanguage language) {
  const bool english = language == KeyLanguage::kEnglish;
  std::string out;
  for (const app::KeyDoc& key : keys) {
    out += ".TP\n" + RoffKeys(english ? key.keys_en : key.keys_pt) + "\n" +
           Roff(english ? key.what_en : key.what_pt) + ".\n";
  }
  if (!out.empty()) out.pop_back();  // the template's line end follows
  return out;
}

std::string MarkdownKeyTable(const std::vector<app::KeyDoc>& keys) {
  std::string out = "| Key | What it does |\n|---|---|\n";
  for (const app::KeyDoc& key : keys) {
    out += "| " + std::string(key.keys_en) + " | " + std::string(key.what_en) + " |\n";
  }
  return out;
}

std::string WithKeyTables(std::string_view readme, std::vector<std::string>* missing) {
  std::string out(readme);
  for (const app::KeySection& section : app::KeySections()) {
    const std::string begin = "<!-- keys:" + std::string(section.id) + " -->\n";
    const std::size_t start = out.find(begin);
    const std::size_t end =
        start == std::string::npos ? start : out.find("<!-- /keys -->", start + begin.size());
    if (end == std::string::npos) {
      if (missing != nullptr) missing->emplace_back(section.id);
      continue;
    }
    out.replace(start + begin.size(), end - start - begin.size(), MarkdownKeyTable(section.keys));
  }
  return out;
}

}  // namespace cadencio::tools
