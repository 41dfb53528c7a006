// The plug-in's one formatting routine.
#ifndef ZORVAN_PLATFORM_TEXT_FORMAT_H
#define ZORVAN_PLATFORM_TEXT_FORMAT_H

#include <stddef.h>

// Lets the compiler check the arguments of a printf-style function.
#if defined(__GNUC__)
#define ZV_PRINTF_FORMAT(formatIndex, firstArgument) \
  __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define ZV_PRINTF_FORMAT(formatIndex, firstArgument)
#endif

namespace zorvan {

// Bounded printf-style formatting into `buffer` of `size` bytes: the text
// is cut to fit and the buffer always ends with a zero (nothing is written
// when `size` is 0). All of the plug-in's formatting goes through here.
void formatText(char* buffer, size_t size, const char* format, ...) ZV_PRINTF_FORMAT(3, 4);

}  // namespace zorvan

#endif  // ZORVAN_PLATFORM_TEXT_FORMAT_H
