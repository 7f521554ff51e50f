#include "klib/decimal.h"

#include <climits>

namespace klib {

bool ReadSignedDecimal(const char* p, int* value) {
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = (*p == '-');
        ++p;
    }
    if (*p < '0' || *p > '9') {
        *value = 0;
        return false;
    }
    long long v = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (v <= INT_MAX) v = v * 10 + (*p - '0');
    }
    if (negative) v = -v;
    if (v > INT_MAX) v = INT_MAX;
    if (v < INT_MIN) v = INT_MIN;
    *value = int(v);
    return true;
}

int DecimalOf(const char* p) {
    if (!p) return 0;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v') ++p;
    int v = 0;
    ReadSignedDecimal(p, &v);
    return v;
}

}  // namespace klib
