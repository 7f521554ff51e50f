// libFuzzer target for the order form's stored program list "info.txt":
// any bytes (up to the size the form reads) unscrambled, read as
// Windows-1250 and split into lines. The lines must come back unchanged
// from their stored bytes, and a seat count added to a line must leave its
// program name as it was.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "orderform/programline.h"
#include "orderform/scrambler.h"

using namespace tendra;

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "programlist_fuzz: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kMaxListBytes) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Check(Scramble(Unscramble(bytes)) == bytes, "scrambling is not the inverse of unscrambling");

    const std::vector<std::wstring> lines = ReadStoredList(bytes);
    for (const std::wstring& line : lines)
        Check(!line.empty() && line.find_first_of(std::wstring(L"\r\n\0", 3)) == std::wstring::npos, "line content");
    Check(ReadStoredList(StoredListBytes(lines)) == lines, "lines changed through their stored bytes");

    for (size_t i = 0; i < lines.size() && i < 16; ++i) {
        const std::wstring name = ProgramName(lines[i]);
        const std::wstring counted = WithSeatCount(lines[i], int(i) + 1);
        Check(ProgramName(counted) == name && WithSeatCount(counted, 7) == WithSeatCount(lines[i], 7),
              "seat count changed the program name");
    }
    return 0;
}
