#include "plugin/host_table.h"

#if defined(ZV_MICROSOFT_DESTRUCTOR_SLOT)

#include <string.h>

#include <new>

#include "plugin/zorvan_scanner.h"

// The calling convention of a Microsoft-compiled member function: thiscall
// on 32-bit x86 (`this` in ECX, the callee pops the arguments); the one
// convention elsewhere (on ARM `this` in r0, as for any first argument).
#if defined(__i386__)
#define ZV_MEMBER_CALL __attribute__((thiscall))
#else
#define ZV_MEMBER_CALL
#endif

namespace zorvan {

namespace {

// Positions of the table as the host's header declares it.
constexpr int kOperations = 90;  // 0-89
constexpr int kScalarDeletingDestructor = 90;
constexpr int kItaniumDeletingDestructor = 91;
constexpr int kSlots = 92;
// An Itanium table is preceded by the offset to the top of the object and
// the type information; the object points past them, at entry 0.
constexpr int kItaniumPrefix = 2;

// Entry 90 as a Microsoft-compiled host calls it for `delete`.
void* ZV_MEMBER_CALL scalarDeletingDestructor(ZorvanScannerInterface* self, unsigned flags) {
  // Qualified, so this is the destructor itself and not a call through the
  // table back into this entry.
  self->ZorvanScannerInterface::~ZorvanScannerInterface();
  if ((flags & 1u) != 0) ::operator delete(self);
  return self;
}

struct HostTable {
  const void* entries[kItaniumPrefix + kSlots];
};

typedef const void* const* TablePointer;

HostTable buildHostTable(TablePointer compiled) {
  HostTable table;
  memcpy(table.entries, compiled - kItaniumPrefix,
         sizeof(const void*) * (kItaniumPrefix + kOperations));
  table.entries[kItaniumPrefix + kScalarDeletingDestructor] =
      reinterpret_cast<const void*>(&scalarDeletingDestructor);
  table.entries[kItaniumPrefix + kItaniumDeletingDestructor] = compiled[kItaniumDeletingDestructor];
  return table;
}

}  // namespace

void useHostTable(ZorvanScannerInterface& scanner) {
  // The object's first word points at its table's entry 0. Every object of
  // the class has the same table, so the host table is made once.
  TablePointer* tableOfObject = reinterpret_cast<TablePointer*>(&scanner);
  static const HostTable table = buildHostTable(*tableOfObject);
  *tableOfObject = table.entries + kItaniumPrefix;
}

}  // namespace zorvan

#endif  // ZV_MICROSOFT_DESTRUCTOR_SLOT
