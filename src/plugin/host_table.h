// The operation table a host reaches the object through.
//
// Hosts on Windows are built with Microsoft's C++ compiler, whose table ends
// in one entry for the destructor at position 90: the scalar deleting
// destructor, called with `this` and one unsigned flags argument (bit 0:
// free the memory), callee-clean on 32-bit x86, returning `this`. Compilers
// of the Itanium C++ ABI (GCC and clang for MinGW) put two entries there
// instead: the complete-object destructor at 90 and the deleting destructor
// at 91. For those builds each object is given a table that holds the
// compiler's entries 0-89, the scalar deleting destructor at 90, and the
// compiler's deleting destructor at 91 (which a host built with the same
// compiler calls for `delete`). Elsewhere the compiler's own table already
// is the host's, unless the build asks for the Microsoft slot
// (ZORVAN_MICROSOFT_TABLE): a CE plug-in built with GCC for ARM serves
// Microsoft-compiled hosts, and the ARM Linux build with that option runs
// the same table under an emulator.
#ifndef ZORVAN_PLUGIN_HOST_TABLE_H
#define ZORVAN_PLUGIN_HOST_TABLE_H

namespace zorvan {

class ZorvanScannerInterface;

#if (defined(_WIN32) && !defined(_MSC_VER)) || defined(ZORVAN_MICROSOFT_TABLE)
#define ZV_MICROSOFT_DESTRUCTOR_SLOT 1
void useHostTable(ZorvanScannerInterface& scanner);
#else
inline void useHostTable(ZorvanScannerInterface&) {}
#endif

}  // namespace zorvan

#endif  // ZORVAN_PLUGIN_HOST_TABLE_H
