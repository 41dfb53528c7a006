// The names of the status values, for messages: one table for the plug-in's
// tools, its tests and its guides.
#ifndef ZORVAN_COMMON_STATUS_NAMES_H
#define ZORVAN_COMMON_STATUS_NAMES_H

#include <stdint.h>

#include "scanner_interface1.h"

namespace zorvan {

struct StatusName {
  int16_t value;
  const char* name;
};

// Sorted by value, descending.
inline constexpr StatusName kStatusNames[] = {
    {ResultOk, "ResultOk"},
    {ResultUnsupported, "ResultUnsupported"},
    {ResultRejected, "ResultRejected"},
};
static_assert(sizeof kStatusNames / sizeof kStatusNames[0] == 3, "three statuses");

// The name of a status value, or null for any other value.
inline const char* statusName(int32_t value) {
  for (const StatusName& status : kStatusNames) {
    if (status.value == value) return status.name;
  }
  return nullptr;
}

}  // namespace zorvan

#endif  // ZORVAN_COMMON_STATUS_NAMES_H
