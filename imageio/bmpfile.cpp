// BMP files: writing a Dib, and reading BMP and headerless DIB files
// (40-byte info header or 12-byte core header) back into one.
//
// What the reader does with damaged or hostile files:
//   - an unreadable or truncated header or colour table, a header size other
//     than 12 or 40, a bit count other than 1, 4, 8, 16, 24 or 32, a width
//     below 1, a height of 0 or -2^31, more than 256 colour-table entries,
//     run-length compression on the wrong bit count (1 needs 8 bits, 2 needs
//     4 bits) and images whose block would exceed kMaxDibBlock: load fails,
//     the Dib is left empty;
//   - pixel data shorter than the header promises (truncated file, pixel
//     offset past the end): the image loads, the missing pixels stay 0;
//   - a stored image size larger than stride x |height| for uncompressed
//     data: only stride x |height| bytes are read;
//   - run-length data: at most the stored image size is read (fewer at the
//     end of the file), and the expansion clips or stops as rle.h describes;
//   - other compressions (bitfields and the like): the pixel bytes are kept
//     as stored and the compression field is left alone.
// After a successful load the image size field is stride x |height| and the
// block is exactly header + table + that many bytes. The colour map is not
// built here (it needs the application colour table; the palette code does
// it).
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "imageio/dib.h"
#include "imageio/rle.h"

namespace gmbx {

namespace {

constexpr size_t kPiece = 32768;  // largest single read or write
constexpr uint32_t kFileHeaderSize = 14;

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void Put16(uint8_t*& p, uint16_t v) {
    *p++ = uint8_t(v);
    *p++ = uint8_t(v >> 8);
}
void Put32(uint8_t*& p, uint32_t v) {
    for (int i = 0; i < 4; ++i) *p++ = uint8_t(v >> (8 * i));
}

// Where the reader takes its bytes from.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to n bytes; fewer at the end of the data or after an error.
    virtual size_t Read(uint8_t* dst, size_t n) = 0;
    // Moves to an absolute offset; past the end, later reads return nothing.
    virtual void Seek(uint64_t offset) = 0;
    // A read error, as opposed to the end of the data.
    virtual bool Failed() const = 0;
};

class FileSource : public ByteSource {
public:
    explicit FileSource(FILE* f) : f_(f) {}
    size_t Read(uint8_t* dst, size_t n) override { return pastEnd_ ? 0 : std::fread(dst, 1, n, f_); }
    void Seek(uint64_t offset) override {
        pastEnd_ = offset > uint64_t(LONG_MAX) || std::fseek(f_, long(offset), SEEK_SET) != 0;
    }
    bool Failed() const override { return std::ferror(f_) != 0; }

private:
    FILE* f_;
    bool pastEnd_ = false;
};

class MemorySource : public ByteSource {
public:
    MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t Read(uint8_t* dst, size_t n) override {
        const size_t left = size_ - pos_;
        const size_t take = n < left ? n : left;
        if (take != 0) std::memcpy(dst, data_ + pos_, take);
        pos_ += take;
        return take;
    }
    void Seek(uint64_t offset) override { pos_ = offset < size_ ? size_t(offset) : size_; }
    bool Failed() const override { return false; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// Reads n bytes in pieces; returns how many arrived.
size_t ReadPieces(ByteSource& src, uint8_t* dst, size_t n) {
    size_t done = 0;
    while (done < n) {
        const size_t want = n - done < kPiece ? n - done : kPiece;
        const size_t got = src.Read(dst + done, want);
        done += got;
        if (got < want) break;
    }
    return done;
}

// Reads up to limit bytes into a new heap buffer, growing it only as data
// arrives (a hostile size field does not make us allocate it up front).
uint8_t* ReadUpTo(ByteSource& src, size_t limit, size_t* got) {
    *got = 0;
    size_t capacity = 0;
    uint8_t* buf = nullptr;
    while (*got < limit) {
        if (*got == capacity) {
            size_t next = capacity == 0 ? kPiece * 2 : capacity * 2;
            if (next > limit) next = limit;
            auto* bigger = static_cast<uint8_t*>(std::realloc(buf, next));
            if (bigger == nullptr) {
                std::free(buf);
                return nullptr;
            }
            buf = bigger;
            capacity = next;
        }
        const size_t room = capacity - *got;
        const size_t want = room < kPiece ? room : kPiece;
        const size_t n = src.Read(buf + *got, want);
        *got += n;
        if (n < want) break;
    }
    if (buf == nullptr) buf = static_cast<uint8_t*>(std::malloc(1));  // empty but valid
    return buf;
}

bool LoadFrom(Dib& dib, ByteSource& src) {
    dib.Release();

    uint8_t fileHeader[kFileHeaderSize];
    uint32_t pixelOffset = 0;
    if (ReadPieces(src, fileHeader, kFileHeaderSize) == kFileHeaderSize && fileHeader[0] == 'B' &&
        fileHeader[1] == 'M') {
        pixelOffset = Le32(fileHeader + 10);
    } else {
        src.Seek(0);  // headerless: the info header comes first
    }

    uint8_t raw[kInfoHeaderSize];
    if (ReadPieces(src, raw, 4) != 4) return false;
    const uint32_t headerSize = Le32(raw);
    DibInfoHeader h{};
    const bool core = headerSize == kCoreHeaderSize;
    if (core) {
        if (ReadPieces(src, raw + 4, kCoreHeaderSize - 4) != kCoreHeaderSize - 4) return false;
        h.width = Le16(raw + 4);
        h.height = Le16(raw + 6);
        h.planes = Le16(raw + 8);
        h.bitCount = Le16(raw + 10);
    } else if (headerSize == kInfoHeaderSize) {
        if (ReadPieces(src, raw + 4, kInfoHeaderSize - 4) != kInfoHeaderSize - 4) return false;
        h.width = int32_t(Le32(raw + 4));
        h.height = int32_t(Le32(raw + 8));
        h.planes = Le16(raw + 12);
        h.bitCount = Le16(raw + 14);
        h.compression = Le32(raw + 16);
        h.sizeImage = Le32(raw + 20);
        h.xPelsPerMeter = int32_t(Le32(raw + 24));
        h.yPelsPerMeter = int32_t(Le32(raw + 28));
        h.clrUsed = Le32(raw + 32);
        h.clrImportant = Le32(raw + 36);
    } else {
        return false;
    }
    if (src.Failed()) return false;
    h.size = kInfoHeaderSize;

    switch (h.bitCount) {
        case 1: case 4: case 8: case 16: case 24: case 32: break;
        default: return false;
    }
    if (h.width < 1 || h.height == 0 || h.height == INT32_MIN) return false;
    const bool rle8 = h.compression == kCompressionRle8;
    const bool rle4 = h.compression == kCompressionRle4;
    if ((rle8 && h.bitCount != 8) || (rle4 && h.bitCount != 4)) return false;

    const uint32_t entries = DibTableEntries(h);
    if (entries > kMaxTableEntries) return false;
    if (core) h.clrUsed = h.clrImportant = entries;

    const int64_t stride = DibStride(h.width, h.bitCount);
    const int64_t rows = DibAbsHeight(h.height);
    if (stride <= 0 || stride > kMaxDibBlock || rows > kMaxDibBlock / stride) return false;
    const int64_t area = stride * rows;
    const int64_t tableBytes = 4 * int64_t(entries);
    const int64_t total = int64_t(kInfoHeaderSize) + tableBytes + area;
    if (total > kMaxDibBlock) return false;

    if (h.sizeImage == 0) h.sizeImage = uint32_t(area);
    if (h.clrUsed == 0) h.clrUsed = entries;

    auto* block = static_cast<uint8_t*>(std::calloc(1, size_t(total)));
    if (block == nullptr) return false;
    uint8_t* table = block + kInfoHeaderSize;
    uint8_t* pixels = table + tableBytes;

    if (core) {
        // 3-byte entries, spread from the last to the first into 4-byte ones.
        const size_t packed = 3 * size_t(entries);
        if (ReadPieces(src, table, packed) != packed) {
            std::free(block);
            return false;
        }
        for (size_t i = entries; i-- > 0;) {
            table[4 * i + 3] = 0;
            table[4 * i + 2] = table[3 * i + 2];
            table[4 * i + 1] = table[3 * i + 1];
            table[4 * i + 0] = table[3 * i + 0];
        }
    } else if (ReadPieces(src, table, size_t(tableBytes)) != size_t(tableBytes)) {
        std::free(block);
        return false;
    }

    if (pixelOffset != 0) src.Seek(pixelOffset);

    if (rle8 || rle4) {
        size_t have = 0;
        const size_t limit = size_t(int64_t(h.sizeImage) < kMaxDibBlock ? h.sizeImage : kMaxDibBlock);
        uint8_t* packed = ReadUpTo(src, limit, &have);
        if (packed == nullptr || src.Failed()) {
            std::free(packed);
            std::free(block);
            return false;
        }
        RleExpand(packed, have, pixels, size_t(stride), size_t(rows), size_t(h.width), rle8 ? 8 : 4);
        std::free(packed);
        h.compression = kCompressionNone;
    } else {
        const size_t want = size_t(int64_t(h.sizeImage) < area ? int64_t(h.sizeImage) : area);
        ReadPieces(src, pixels, want);
        if (src.Failed()) {
            std::free(block);
            return false;
        }
    }
    h.sizeImage = uint32_t(area);

    std::memcpy(block, &h, sizeof h);
    if (!dib.AttachBlock(block)) {
        std::free(block);
        return false;
    }
    return true;
}

// Where the writer puts its bytes.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual bool Write(const uint8_t* data, size_t n) = 0;
};

class FileSink : public ByteSink {
public:
    explicit FileSink(FILE* f) : f_(f) {}
    bool Write(const uint8_t* data, size_t n) override {
        return std::fwrite(data, 1, n, f_) == n && std::ferror(f_) == 0;
    }

private:
    FILE* f_;
};

class VectorSink : public ByteSink {
public:
    explicit VectorSink(std::vector<uint8_t>& out) : out_(out) {}
    bool Write(const uint8_t* data, size_t n) override {
        try {
            out_.insert(out_.end(), data, data + n);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }

private:
    std::vector<uint8_t>& out_;
};

bool WriteTo(const Dib& dib, ByteSink& sink) {
    if (dib.Empty()) return false;
    const DibInfoHeader& h = *dib.Header();
    const int64_t tableBytes = 4 * int64_t(DibTableEntries(h));
    if (dib.totalSize < int32_t(kInfoHeaderSize) || int64_t(kInfoHeaderSize) + tableBytes > dib.totalSize) {
        return false;
    }

    uint8_t head[kFileHeaderSize + kInfoHeaderSize];
    uint8_t* p = head;
    *p++ = 'B';
    *p++ = 'M';
    Put32(p, uint32_t(dib.totalSize) + kFileHeaderSize);
    Put16(p, 0);
    Put16(p, 0);
    Put32(p, uint32_t(kFileHeaderSize + kInfoHeaderSize + tableBytes));
    Put32(p, h.size);
    Put32(p, uint32_t(h.width));
    Put32(p, uint32_t(h.height));
    Put16(p, h.planes);
    Put16(p, h.bitCount);
    Put32(p, h.compression);
    Put32(p, h.sizeImage);
    Put32(p, uint32_t(h.xPelsPerMeter));
    Put32(p, uint32_t(h.yPelsPerMeter));
    Put32(p, h.clrUsed);
    Put32(p, h.clrImportant);
    if (!sink.Write(head, sizeof head)) return false;

    const uint8_t* rest = dib.bih + kInfoHeaderSize;
    size_t left = size_t(dib.totalSize) - kInfoHeaderSize;
    while (left > 0) {
        const size_t n = left < kPiece ? left : kPiece;
        if (!sink.Write(rest, n)) return false;
        rest += n;
        left -= n;
    }
    return true;
}

}  // namespace

std::unique_ptr<Dib> LoadBMP(const char* path, LoadError* why) {
    LoadError ignored;
    LoadError& error = why ? *why : ignored;
    error = LoadError::OpenFailed;
    if (path == nullptr) return nullptr;
    FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return nullptr;
    FileSource src(f);
    auto dib = std::make_unique<Dib>();
    const bool ok = LoadFrom(*dib, src);
    std::fclose(f);
    error = ok ? LoadError::None : LoadError::ReadFailed;
    return ok ? std::move(dib) : nullptr;
}

std::unique_ptr<Dib> LoadBMPFromMemory(const uint8_t* data, size_t size, LoadError* why) {
    LoadError ignored;
    LoadError& error = why ? *why : ignored;
    error = LoadError::ReadFailed;
    if (data == nullptr && size != 0) return nullptr;
    MemorySource src(data, size);
    auto dib = std::make_unique<Dib>();
    if (!LoadFrom(*dib, src)) return nullptr;
    error = LoadError::None;
    return dib;
}

bool Dib::WriteBMP(const char* path) const {
    if (Empty() || path == nullptr) return false;
    FILE* f = std::fopen(path, "wb");
    if (f == nullptr) return false;
    FileSink sink(f);
    bool ok = WriteTo(*this, sink);
    ok = std::fflush(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    if (!ok) std::remove(path);
    return ok;
}

bool Dib::WriteBMPToMemory(std::vector<uint8_t>& out) const {
    out.clear();
    VectorSink sink(out);
    if (WriteTo(*this, sink)) return true;
    out.clear();
    return false;
}

}  // namespace gmbx
