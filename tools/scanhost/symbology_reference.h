// The host guide's symbology numbers, rendered from the plug-in's own tables:
// each host id with its vendor number and enable field, each vendor number
// with the number reported to the host with a label, and each reported
// number with the host ids that configure its symbology.
#ifndef SCANHOST_SYMBOLOGY_REFERENCE_H
#define SCANHOST_SYMBOLOGY_REFERENCE_H

#include <string>

namespace scanhost {

// The guide's section, Markdown, between its two marker lines.
std::string symbologySection();
extern const char kSymbologyBeginMarker[];
extern const char kSymbologyEndMarker[];

}  // namespace scanhost

#endif  // SCANHOST_SYMBOLOGY_REFERENCE_H
