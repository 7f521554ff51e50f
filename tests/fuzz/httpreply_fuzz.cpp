// libFuzzer target: any bytes as an HTTP reply, fed to the reply reader whole
// and in pieces (the first byte chooses the piece sizes); both ways must give
// the same header lines, status, result and document.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "orderform/httpreply.h"

using namespace tendra;

namespace {

struct Record : HttpReplyListener {
    std::vector<std::string> events;
    std::string body;
    void HeaderLine(const std::string& line) override { events.push_back("H" + line); }
    void HeaderEnd() override { events.push_back("E"); }
    void DocBegin() override { events.push_back("D"); }
    void DocData(const char* data, size_t len) override {
        if (len == 0 || len > HttpReplyReader::kBufferSize || data[len] != 0)
            std::abort();
        body.append(data, len);
    }
};

struct Outcome {
    Record record;
    HttpReadResult fed = HttpReadResult::More;
    HttpReadResult finished = HttpReadResult::More;
    int status = 0;
    long long length = 0;
    std::string location, reason, type;
    std::vector<std::string> lines;
};

void Read(const uint8_t* data, size_t size, unsigned pieceSeed, Outcome& out) {
    HttpReplyReader reader(&out.record);
    size_t pos = 0;
    unsigned seed = pieceSeed;
    while (pos < size) {
        size_t piece = pieceSeed == 0 ? size : 1 + (seed % 97);
        seed = seed * 1103515245u + 12345u;
        if (piece > size - pos)
            piece = size - pos;
        out.fed = reader.Feed(reinterpret_cast<const char*>(data) + pos, piece);
        pos += piece;
        if (out.fed != HttpReadResult::More)
            break;
    }
    out.finished = reader.Finish();
    out.status = reader.StatusCode();
    out.length = reader.ContentLength();
    out.location = reader.Location();
    out.reason = reader.ReasonPhrase();
    out.type = reader.ContentType();
    out.lines = reader.HeaderLines();
    // The reader's count of document bytes is what it delivered.
    const long long delivered = static_cast<long long>(out.record.body.size());
    if (reader.BodyTruncated() != (out.length >= 0 && delivered < out.length))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    Outcome whole, pieces;
    Read(data + 1, size - 1, 0, whole);
    Read(data + 1, size - 1, data[0] + 1u, pieces);
    if (whole.record.events != pieces.record.events || whole.record.body != pieces.record.body ||
        whole.fed != pieces.fed || whole.finished != pieces.finished || whole.status != pieces.status ||
        whole.length != pieces.length || whole.location != pieces.location || whole.reason != pieces.reason ||
        whole.type != pieces.type || whole.lines != pieces.lines)
        std::abort();
    return 0;
}
