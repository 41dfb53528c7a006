#ifndef ZORVAN_PLUGIN_FIXED_OPERATIONS_H
#define ZORVAN_PLUGIN_FIXED_OPERATIONS_H

#include <stdint.h>

namespace zorvan {

// The five-character build version made from an eleven-character build date
// ("Jul 27 2010" gives "0Jl27"): last digit of the year, two letters of the
// month (June Jn, July Jl), the day with a leading blank as 0. `out` receives
// the five characters and a terminating zero.
void formatBuildVersion(const char* buildDate, char (&out)[6]);

// Write `text` into the host's buffer of `size` bytes, cut to size - 1
// characters, and always end the buffer with a zero in its last byte. A size
// of 0 or less leaves the buffer alone.
int16_t writeFixedText(char* buffer, int32_t size, const char* text);

}  // namespace zorvan

#endif  // ZORVAN_PLUGIN_FIXED_OPERATIONS_H
