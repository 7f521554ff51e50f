// Decimal numbers in command texts and arguments. Portable.
#pragma once

namespace klib {

// An optional sign, then decimal digits from p on; stops at the first other
// character. Values beyond the range of int are clamped. False (and 0) when
// no digit follows.
bool ReadSignedDecimal(const char* p, int* value);

// As atoi reads it: leading white space, then ReadSignedDecimal; 0 for
// null or when there is no number.
int DecimalOf(const char* p);

}  // namespace klib
