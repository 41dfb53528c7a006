// The plug-in's one call of the C library's formatting. CE's C library has
// _vsnprintf alone, which leaves out the terminating zero when the text
// fills the buffer; the zero is written here on every system.
#include "platform/text_format.h"

#include <stdarg.h>
#include <stdio.h>

namespace zorvan {

void formatText(char* buffer, size_t size, const char* format, ...) {
  if (buffer == nullptr || size == 0) return;
  va_list arguments;
  va_start(arguments, format);
#if defined(_WIN32_WCE)
  _vsnprintf(buffer, size, format, arguments);
#else
  vsnprintf(buffer, size, format, arguments);
#endif
  va_end(arguments);
  buffer[size - 1] = 0;
}

}  // namespace zorvan
