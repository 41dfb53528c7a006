// Renders scanhost's operation reference and the symbology numbers into the
// host guide: replaces the lines between each section's two marker lines of
// the file given, or prints the sections when no file is given.
#include <stdio.h>

#include <fstream>
#include <sstream>
#include <string>

#include "operation_reference.h"
#include "symbology_reference.h"

namespace {

struct Section {
  const char* begin;
  const char* end;
  std::string (*render)();
};

const Section kSections[] = {
    {scanhost::kReferenceBeginMarker, scanhost::kReferenceEndMarker, scanhost::referenceSection},
    {scanhost::kSymbologyBeginMarker, scanhost::kSymbologyEndMarker, scanhost::symbologySection},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    for (const Section& section : kSections) fputs(section.render().c_str(), stdout);
    return 0;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::string guide = text.str();
  for (const Section& section : kSections) {
    const std::string begin = std::string(section.begin) + "\n";
    const std::string end = std::string(section.end) + "\n";
    const size_t from = guide.find(begin);
    const size_t to = guide.find(end);
    if (!in || from == std::string::npos || to == std::string::npos || to < from) {
      fprintf(stderr, "guide_reference: %s has no section between the markers %s\n", argv[1],
              section.begin);
      return 1;
    }
    guide = guide.substr(0, from + begin.size()) + section.render() + guide.substr(to);
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << guide;
  return out ? 0 : 1;
}
