// Writes the program's key lists for people.
//   gen_key_pages roff <en|pt_BR> <dir>   one <ID>.roff a key list, for the manual page templates
//   gen_key_pages readme <README.md>      rewrites the README's key tables from the program's
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "lib/key_pages.hpp"

namespace {

int Usage() {
  std::fputs("usage: gen_key_pages roff <en|pt_BR> <dir> | readme <README.md>\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using cadencio::tools::KeyLanguage;
  if (argc == 4 && std::string(argv[1]) == "roff") {
    const KeyLanguage language =
        std::string(argv[2]) == "en" ? KeyLanguage::kEnglish : KeyLanguage::kPortuguese;
    for (const cadencio::app::KeySection& section : cadencio::app::KeySections()) {
      const std::string path = std::string(argv[3]) + "/" + std::string(section.id) + ".roff";
      std::ofstream out(path, std::ios::binary);
      out << cadencio::tools::RoffKeyList(section.keys, language);
      if (!out) {
        std::fprintf(stderr, "gen_key_pages: cannot write %s\n", path.c_str());
        return 1;
      }
    }
    return 0;
  }
  if (argc == 3 && std::string(argv[1]) == "readme") {
    std::ifstream in(argv[2], std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::vector<std::string> missing;
    const std::string updated = cadencio::tools::WithKeyTables(text.str(), &missing);
    for (const std::string& id : missing) {
      std::fprintf(stderr, "gen_key_pages: %s has no \"<!-- keys:%s -->\" marker\n", argv[2],
                   id.c_str());
    }
    if (!in || !missing.empty()) return 1;
    std::ofstream out(argv[2], std::ios::binary);
    out << updated;
    return out ? 0 : 1;
  }
  return Usage();
}
