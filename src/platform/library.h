// Loading the vendor libraries and finding their entry points.
#ifndef ZORVAN_PLATFORM_LIBRARY_H
#define ZORVAN_PLATFORM_LIBRARY_H

namespace zorvan {

// Dynamic loading of the vendor libraries. A library that cannot be found
// gives null; so does a missing symbol. `name` is the file name alone; where
// it is looked for is the platform's business (platform_posix.cpp and
// platform_win32.cpp each say their order).
void* openLibrary(const char* name);
void* findSymbol(void* library, const char* name);

}  // namespace zorvan

#endif  // ZORVAN_PLATFORM_LIBRARY_H
