// GoogleTest prints the status constants by name, from the plug-in's own
// table: a failing EXPECT_EQ(ResultRejected, ...) shows "ResultRejected (-4)".
#ifndef ZORVAN_TESTS_STATUS_PRINTER_H
#define ZORVAN_TESTS_STATUS_PRINTER_H

#include <ostream>

#include "common/status_names.h"
#include "scanner_interface1.h"

// In the namespace of the status constants, where GoogleTest looks for it.
inline void PrintTo(decltype(ResultOk) status, std::ostream* os) {
  const char* name = zorvan::statusName(status);
  if (name != nullptr) *os << name << " ";
  *os << "(" << static_cast<int>(status) << ")";
}

#endif  // ZORVAN_TESTS_STATUS_PRINTER_H
