#include "symbology_reference.h"

#include <stdint.h>

#include <map>
#include <set>
#include <vector>

#include "symbology/reported_symbology.h"
#include "symbology/symbology_table.h"

namespace scanhost {

const char kSymbologyBeginMarker[] =
    "<!-- Symbology numbers: rendered from the plug-in's symbology and reported-symbology "
    "tables by the target host-guide-reference; a test compares. -->";
const char kSymbologyEndMarker[] = "<!-- End of the symbology numbers. -->";

namespace {

std::string joined(const std::vector<int32_t>& values) {
  if (values.empty()) return "—";
  std::string out;
  for (const int32_t value : values) out += (out.empty() ? "" : ", ") + std::to_string(value);
  return out;
}

const char* groupName(zorvan::Group group) {
  static const char* const kNames[] = {"GroupA", "GroupB", "GroupC", "GroupD", "GroupE",
                                       "GroupF", "GroupG", "GroupH", "GroupI", "GroupJ"};
  return kNames[static_cast<int>(group)];
}

}  // namespace

std::string symbologySection() {
  const zorvan::SymbologyEntry* const symbologies = zorvan::kSymbologyTable;
  const int symbologyCount = zorvan::kSymbologyCount;
  std::string out =
      "Each host id the configuration operations take, with the vendor number it stands for "
      "and the enable field that holds its enabled state; ids that share a field share that "
      "state. Every other host id has no counterpart: the operations answer −4.\n\n"
      "| Host id | Vendor number | Enable field | Shares it with |\n|---|---|---|---|\n";
  for (int i = 0; i < symbologyCount; ++i) {
    const zorvan::SymbologyEntry& entry = symbologies[i];
    std::vector<int32_t> sharing;
    for (int j = 0; j < symbologyCount; ++j) {
      if (j != i && symbologies[j].group == entry.group &&
          symbologies[j].enableField == entry.enableField) {
        sharing.push_back(symbologies[j].host);
      }
    }
    out += "| " + std::to_string(entry.host) + " | " + std::to_string(entry.vendor) + " | `" +
           groupName(entry.group) + "` field " + std::to_string(entry.enableField) + " | " +
           joined(sharing) + " |\n";
  }
  out +=
      "\nEach vendor number (the driver's, with a label) that has a reported number; every other "
      "vendor number is reported as 0, as is \"no label\".\n\n"
      "| Vendor number | Reported number |\n|---|---|\n";
  std::map<int32_t, std::vector<int32_t>> vendorsOf;  // reported number -> vendor numbers
  for (int i = 0; i < zorvan::kReportedSymbologyCount; ++i) {
    const zorvan::ReportedSymbology& entry = zorvan::kReportedSymbologies[i];
    out += "| " + std::to_string(entry.vendor) + " | " + std::to_string(entry.reported) + " |\n";
    vendorsOf[entry.reported].push_back(entry.vendor);
  }
  out +=
      "\nEach reported number with the vendor numbers reported so and the host ids that stand "
      "for those vendor numbers in the configuration operations; \"—\": none does.\n\n"
      "| Reported number | Vendor numbers | Host ids |\n|---|---|---|\n";
  for (const auto& [reported, vendors] : vendorsOf) {
    const std::set<int32_t> vendorSet(vendors.begin(), vendors.end());
    std::vector<int32_t> hosts;
    for (int i = 0; i < symbologyCount; ++i) {
      if (vendorSet.count(symbologies[i].vendor) != 0) hosts.push_back(symbologies[i].host);
    }
    out +=
        "| " + std::to_string(reported) + " | " + joined(vendors) + " | " + joined(hosts) + " |\n";
  }
  return out;
}

}  // namespace scanhost
