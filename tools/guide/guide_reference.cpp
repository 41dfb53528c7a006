// Renders scanhost's operation reference into the host guide: replaces the
// lines between the reference's two marker lines of the file given, or
// prints the section when no file is given.
#include <stdio.h>

#include <fstream>
#include <sstream>
#include <string>

#include "operation_reference.h"

int main(int argc, char** argv) {
  const std::string section = scanhost::referenceSection();
  if (argc < 2) {
    fputs(section.c_str(), stdout);
    return 0;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  const std::string guide = text.str();
  const std::string begin = std::string(scanhost::kReferenceBeginMarker) + "\n";
  const std::string end = std::string(scanhost::kReferenceEndMarker) + "\n";
  const size_t from = guide.find(begin);
  const size_t to = guide.find(end);
  if (!in || from == std::string::npos || to == std::string::npos || to < from) {
    fprintf(stderr, "guide_reference: %s has no reference section between its markers\n", argv[1]);
    return 1;
  }
  const std::string updated = guide.substr(0, from + begin.size()) + section + guide.substr(to);
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << updated;
  return out ? 0 : 1;
}
