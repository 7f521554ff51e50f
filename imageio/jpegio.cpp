#include "imageio/jpegio.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "imageio/dibheader.h"

// jpeglib.h needs FILE and size_t declared first.
extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

namespace gmbx {
namespace {

JpegMessageHook g_messageHook = nullptr;

// Hands a text to the hook; nothing may leave through the library's C frames.
void ShowMessage(const char* text) {
    try {
        if (g_messageHook) {
            g_messageHook(text);
        } else {
            std::fprintf(stderr, "%s\n", text);
        }
    } catch (...) {
    }
}

// ---- error manager ---------------------------------------------------------

// The library's standard error manager with its message output and its fatal
// error routine replaced. A fatal error shows its message, then jumps back to
// the glue, which destroys the codec object and frees what it holds.
struct ErrorManager {
    jpeg_error_mgr pub;  // first: the library sees only this part
    std::jmp_buf jump;
    const char* ownText;  // a message of the glue's own instead of the library's
};

void OutputMessage(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    char buffer[JMSG_LENGTH_MAX];
    if (err->ownText != nullptr) {
        std::snprintf(buffer, sizeof buffer, "%s", err->ownText);
    } else {
        (*cinfo->err->format_message)(cinfo, buffer);
    }
    ShowMessage(buffer);
}

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    (*cinfo->err->output_message)(cinfo);
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// A fatal error with the glue's own text.
[[noreturn]] void Fail(j_common_ptr cinfo, const char* text) {
    reinterpret_cast<ErrorManager*>(cinfo->err)->ownText = text;
    ErrorExit(cinfo);
}

void InitErrorManager(ErrorManager* err) {
    jpeg_std_error(&err->pub);
    err->pub.output_message = OutputMessage;
    err->pub.error_exit = ErrorExit;
    err->ownText = nullptr;
}

// Stops progressive files with absurd scan counts.
void ProgressMonitor(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kJpegMaxScans) Fail(cinfo, "Too many scans in JPEG file");
}

// ---- memory destination and source -------------------------------------------

struct MemoryDestination {
    jpeg_destination_mgr pub;
    uint8_t* data;  // malloc'd; freed by the owner of the job
    size_t capacity;
};

void GrowDestination(j_compress_ptr cinfo, MemoryDestination* d) {
    const size_t used = d->capacity;
    const size_t capacity = used == 0 ? 65536 : used * 2;
    auto* data = static_cast<uint8_t*>(std::realloc(d->data, capacity));
    if (data == nullptr) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 10);
    d->data = data;
    d->capacity = capacity;
    d->pub.next_output_byte = data + used;
    d->pub.free_in_buffer = capacity - used;
}

void InitMemoryDestination(j_compress_ptr cinfo) {
    GrowDestination(cinfo, reinterpret_cast<MemoryDestination*>(cinfo->dest));
}

boolean EmptyMemoryDestination(j_compress_ptr cinfo) {
    GrowDestination(cinfo, reinterpret_cast<MemoryDestination*>(cinfo->dest));
    return TRUE;
}

void TermMemoryDestination(j_compress_ptr) {}

struct MemorySource {
    jpeg_source_mgr pub;
    bool started;
};

const JOCTET kFakeEoi[2] = {0xFF, JPEG_EOI};

boolean FillMemorySource(j_decompress_ptr cinfo) {
    auto* s = reinterpret_cast<MemorySource*>(cinfo->src);
    if (!s->started) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    // Past the end: warn and insert an end-of-image marker, as the library's
    // own file source does.
    WARNMS(cinfo, JWRN_JPEG_EOF);
    s->pub.next_input_byte = kFakeEoi;
    s->pub.bytes_in_buffer = 2;
    return TRUE;
}

void InitMemorySource(j_decompress_ptr cinfo) {
    auto* s = reinterpret_cast<MemorySource*>(cinfo->src);
    s->started = s->pub.bytes_in_buffer > 0;
}

void SkipMemorySource(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    jpeg_source_mgr* src = cinfo->src;
    if (size_t(count) > src->bytes_in_buffer) {
        src->bytes_in_buffer = 0;
        FillMemorySource(cinfo);
        return;
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= size_t(count);
}

void TermMemorySource(j_decompress_ptr) {}

// ---- writing -----------------------------------------------------------------

struct CompressJob {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    bool created;
    uint8_t* row;  // malloc'd output line
};

// The pixel layouts WriteJPEG can turn into RGB lines.
bool WritableDib(const Dib& dib) {
    if (dib.Empty()) return false;
    const DibInfoHeader& h = *dib.Header();
    if (h.size != kInfoHeaderSize || h.compression != kCompressionNone) return false;
    switch (h.bitCount) {
        case 1: case 4: case 8: case 16: case 24: case 32: break;
        default: return false;
    }
    if (h.width < 1 || h.width > JPEG_MAX_DIMENSION) return false;
    const int64_t height = DibAbsHeight(h.height);
    if (height < 1 || height > JPEG_MAX_DIMENSION) return false;
    const int64_t stride = DibStride(h.width, h.bitCount);
    if (stride < 0 || dib.stride != stride || dib.bits == nullptr) return false;
    if (h.bitCount <= 8 && dib.colours == nullptr) return false;
    const int64_t end = (dib.bits - dib.bih) + stride * height;
    return end <= dib.totalSize;
}

// One Dib row as red, green, blue bytes.
void RowToRgb(const Dib& dib, const uint8_t* src, uint8_t* out) {
    const DibInfoHeader& h = *dib.Header();
    const int width = h.width;
    const uint32_t entries = h.bitCount <= 8 ? DibTableEntries(h) : 0;
    auto fromTable = [&](uint32_t index, uint8_t* p) {
        if (index < entries) {
            const RgbQuad& q = dib.colours[index];
            p[0] = q.red;
            p[1] = q.green;
            p[2] = q.blue;
        } else {
            p[0] = p[1] = p[2] = 0;
        }
    };
    for (int x = 0; x < width; ++x) {
        uint8_t* p = out + 3 * x;
        switch (h.bitCount) {
            case 1: fromTable((src[x >> 3] >> (7 - (x & 7))) & 1, p); break;
            case 4: fromTable((x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4), p); break;
            case 8: fromTable(src[x], p); break;
            case 16: {
                const unsigned v = unsigned(src[2 * x]) | (unsigned(src[2 * x + 1]) << 8);
                const unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
                p[0] = uint8_t((r << 3) | (r >> 2));
                p[1] = uint8_t((g << 3) | (g >> 2));
                p[2] = uint8_t((b << 3) | (b >> 2));
                break;
            }
            case 24:
                p[0] = src[3 * x + 2];
                p[1] = src[3 * x + 1];
                p[2] = src[3 * x];
                break;
            case 32:
                p[0] = src[4 * x + 2];
                p[1] = src[4 * x + 1];
                p[2] = src[4 * x];
                break;
        }
    }
}

using AttachDestination = void (*)(j_compress_ptr cinfo, void* target);

void AttachFile(j_compress_ptr cinfo, void* target) { jpeg_stdio_dest(cinfo, static_cast<FILE*>(target)); }

void AttachMemory(j_compress_ptr cinfo, void* target) {
    auto* d = static_cast<MemoryDestination*>(target);
    d->pub.init_destination = InitMemoryDestination;
    d->pub.empty_output_buffer = EmptyMemoryDestination;
    d->pub.term_destination = TermMemoryDestination;
    cinfo->dest = &d->pub;
}

// Everything the library touches runs here, under the error manager's jump
// point; the caller destroys the compressor and frees the row afterwards.
// Only plain data lives in this frame, so the jump skips no destructor.
bool RunCompress(CompressJob* job, const Dib& dib, AttachDestination attach, void* target, int quality,
                 bool progressive) {
    InitErrorManager(&job->err);
    job->cinfo.err = &job->err.pub;
    if (setjmp(job->err.jump)) return false;

    job->created = true;
    jpeg_create_compress(&job->cinfo);
    j_compress_ptr cinfo = &job->cinfo;
    attach(cinfo, target);

    const DibInfoHeader& h = *dib.Header();
    const int width = h.width;
    const int height = int(DibAbsHeight(h.height));
    cinfo->image_width = JDIMENSION(width);
    cinfo->image_height = JDIMENSION(height);
    cinfo->input_components = 3;
    cinfo->in_color_space = JCS_RGB;
    jpeg_set_defaults(cinfo);
    if (h.xPelsPerMeter > 0 && h.yPelsPerMeter > 0) {
        // Pixels per metre to dots per inch, truncated (3780 -> 96).
        auto dpi = [](int32_t ppm) {
            const double v = ppm * 0.0254;
            return UINT16(v < 1 ? 1 : v > 65535 ? 65535 : v);
        };
        cinfo->density_unit = 1;
        cinfo->X_density = dpi(h.xPelsPerMeter);
        cinfo->Y_density = dpi(h.yPelsPerMeter);
    }
    jpeg_set_quality(cinfo, quality, FALSE);
    if (progressive) jpeg_simple_progression(cinfo);
    jpeg_start_compress(cinfo, TRUE);

    job->row = static_cast<uint8_t*>(std::malloc(size_t(3) * size_t(width)));
    if (job->row == nullptr) Fail(reinterpret_cast<j_common_ptr>(cinfo), "Out of memory for the JPEG file");
    const bool bottomUp = h.height > 0;
    for (int y = 0; y < height; ++y) {
        const int srcRow = bottomUp ? height - 1 - y : y;
        RowToRgb(dib, dib.bits + size_t(srcRow) * size_t(dib.stride), job->row);
        JSAMPROW line = job->row;
        jpeg_write_scanlines(cinfo, &line, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

bool Compress(const Dib& dib, AttachDestination attach, void* target, int quality, bool progressive) {
    auto* job = static_cast<CompressJob*>(std::calloc(1, sizeof(CompressJob)));
    if (job == nullptr) {
        ShowMessage("Out of memory for the JPEG file");
        return false;
    }
    bool ok = false;
    try {
        ok = RunCompress(job, dib, attach, target, quality, progressive);
    } catch (...) {
        ShowMessage("Unexpected error saving JPEG file.");
        ok = false;
    }
    if (job->created) jpeg_destroy_compress(&job->cinfo);
    std::free(job->row);
    std::free(job);
    return ok;
}

// ---- reading -----------------------------------------------------------------

struct DecompressJob {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_progress_mgr progress;
    bool created;
    int mode;
    uint64_t maxPixels;  // 0: only the Dib's block limit
    Dib* dib;  // owned until handed to the caller
};

using AttachSource = void (*)(j_decompress_ptr cinfo, void* source);

void AttachFile(j_decompress_ptr cinfo, void* source) { jpeg_stdio_src(cinfo, static_cast<FILE*>(source)); }

void AttachMemory(j_decompress_ptr cinfo, void* source) {
    auto* s = static_cast<MemorySource*>(source);
    s->pub.init_source = InitMemorySource;
    s->pub.fill_input_buffer = FillMemorySource;
    s->pub.skip_input_data = SkipMemorySource;
    s->pub.resync_to_restart = jpeg_resync_to_restart;
    s->pub.term_source = TermMemorySource;
    cinfo->src = &s->pub;
}

bool RunDecompress(DecompressJob* job, AttachSource attach, void* source) {
    InitErrorManager(&job->err);
    job->cinfo.err = &job->err.pub;
    if (setjmp(job->err.jump)) return false;

    job->created = true;
    jpeg_create_decompress(&job->cinfo);
    j_decompress_ptr cinfo = &job->cinfo;
    auto* common = reinterpret_cast<j_common_ptr>(cinfo);
    // The library may not keep more than a Dib could hold: whole-image buffers
    // of a hostile file then fail instead of exhausting memory.
    cinfo->mem->max_memory_to_use = long(kMaxDibBlock);
    job->progress.progress_monitor = ProgressMonitor;
    cinfo->progress = &job->progress;
    attach(cinfo, source);

    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) Fail(common, "No image in the JPEG file");
    if (job->maxPixels != 0 && uint64_t(cinfo->image_width) * cinfo->image_height > job->maxPixels)
        Fail(common, "The JPEG image is too large");
    if (cinfo->num_components == 1) job->mode = kJpegQuantized;
    if (job->mode != kJpegQuantized && job->mode != kJpegDithered) job->mode = kJpegFullColour;
    const int mode = job->mode;
    cinfo->scale_num = 1;
    cinfo->scale_denom = 1;
    if (cinfo->num_components != 1) {
#ifdef JCS_EXTENSIONS
        // Full colour comes straight in the Dib's blue, green, red order.
        cinfo->out_color_space = mode == kJpegFullColour ? JCS_EXT_BGR : JCS_RGB;
#else
        cinfo->out_color_space = JCS_RGB;
#endif
    }
    if (mode != kJpegFullColour) {
        cinfo->quantize_colors = TRUE;
        cinfo->two_pass_quantize = TRUE;
        cinfo->desired_number_of_colors = 256;
        cinfo->dither_mode = mode == kJpegDithered ? JDITHER_FS : JDITHER_NONE;
    }
    jpeg_calc_output_dimensions(cinfo);
    const int bitCount = mode == kJpegFullColour ? 24 : 8;
    const int64_t stride = DibStride(cinfo->output_width, bitCount);
    const int64_t block = int64_t(kInfoHeaderSize) + 4 * 256 + stride * int64_t(cinfo->output_height);
    if (stride <= 0 || cinfo->output_height == 0 || block > kMaxDibBlock) Fail(common, "The JPEG image is too large");

    jpeg_start_decompress(cinfo);
    if (cinfo->output_components != (mode == kJpegFullColour ? 3 : 1))
        Fail(common, "Unsupported colour format in the JPEG file");

    job->dib = new (std::nothrow) Dib;
    if (job->dib == nullptr) return false;
    Dib& dib = *job->dib;
    const int width = int(cinfo->output_width);
    const int height = int(cinfo->output_height);
    if (!dib.Create(width, height, mode == kJpegFullColour ? 16777216 : 256)) return false;
    if (dib.stride < int64_t(cinfo->output_width) * cinfo->output_components) return false;

    DibInfoHeader& h = *dib.Header();
    if (cinfo->density_unit == 1) {
        h.xPelsPerMeter = int32_t(cinfo->X_density * 39.37007874015748);
        h.yPelsPerMeter = int32_t(cinfo->Y_density * 39.37007874015748);
    } else if (cinfo->density_unit == 2) {
        h.xPelsPerMeter = int32_t(cinfo->X_density) * 100;
        h.yPelsPerMeter = int32_t(cinfo->Y_density) * 100;
    }

    while (cinfo->output_scanline < cinfo->output_height) {
        const int y = int(cinfo->output_scanline);
        JSAMPROW row = dib.bits + size_t(height - 1 - y) * size_t(dib.stride);
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1) Fail(common, "The JPEG data ended early");
#ifndef JCS_EXTENSIONS
        if (mode == kJpegFullColour) {
            // The library delivers red, green, blue; the Dib holds blue, green, red.
            for (int i = 0; i + 3 <= dib.stride; i += 3) {
                const uint8_t t = row[i];
                row[i] = row[i + 2];
                row[i + 2] = t;
            }
        }
#endif
    }

    if (mode != kJpegFullColour) {
        const int colours = cinfo->actual_number_of_colors;
        h.clrImportant = colours < 256 ? uint32_t(colours) : 0;
        const bool grey = cinfo->out_color_components == 1;
        for (int i = 0; i < 256; ++i) {
            RgbQuad q{};
            if (grey) {
                q.red = q.green = q.blue = uint8_t(i);
            } else if (i < colours && cinfo->colormap != nullptr) {
                q.red = cinfo->colormap[0][i];
                q.green = cinfo->colormap[1][i];
                q.blue = cinfo->colormap[2][i];
            }
            dib.colours[i] = q;
        }
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

std::unique_ptr<Dib> Decompress(AttachSource attach, void* source, int mode, uint64_t maxPixels) {
    auto* job = static_cast<DecompressJob*>(std::calloc(1, sizeof(DecompressJob)));
    if (job == nullptr) {
        ShowMessage("Out of memory for the JPEG file");
        return nullptr;
    }
    job->mode = mode;
    job->maxPixels = maxPixels;
    bool ok = false;
    try {
        ok = RunDecompress(job, attach, source);
    } catch (...) {
        ShowMessage("Unexpected error reading JPEG file.");
        ok = false;
    }
    if (job->created) jpeg_destroy_decompress(&job->cinfo);
    std::unique_ptr<Dib> dib(job->dib);
    std::free(job);
    if (!ok) return nullptr;
    return dib;
}

}  // namespace

void SetJpegMessageHook(JpegMessageHook hook) { g_messageHook = hook; }

bool WriteJPEG(const Dib& dib, const char* path, int quality, bool progressive) {
    if (path == nullptr) return false;
    if (!WritableDib(dib)) {
        ShowMessage("This picture cannot be written as a JPEG file.");
        return false;
    }
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "can't open %s\n", path);
        return false;
    }
    bool ok = Compress(dib, AttachFile, file, quality, progressive);
    if (std::fflush(file) != 0 || std::ferror(file)) ok = false;
    if (std::fclose(file) != 0) ok = false;
    if (!ok) std::remove(path);
    return ok;
}

bool WriteJPEGToMemory(const Dib& dib, std::vector<uint8_t>& out, int quality, bool progressive) {
    out.clear();
    if (!WritableDib(dib)) {
        ShowMessage("This picture cannot be written as a JPEG file.");
        return false;
    }
    MemoryDestination dest{};
    bool ok = Compress(dib, AttachMemory, &dest, quality, progressive);
    if (ok) {
        try {
            out.assign(dest.data, dest.data + (dest.capacity - dest.pub.free_in_buffer));
        } catch (...) {
            ok = false;
        }
    }
    std::free(dest.data);
    return ok;
}

std::unique_ptr<Dib> LoadJPEG(const char* path, int mode, LoadError* why) {
    if (why) *why = LoadError::OpenFailed;
    if (path == nullptr) return nullptr;
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "can't open %s\n", path);
        return nullptr;
    }
    std::unique_ptr<Dib> dib = Decompress(AttachFile, file, mode, 0);
    std::fclose(file);
    if (why) *why = dib ? LoadError::None : LoadError::ReadFailed;
    return dib;
}

std::unique_ptr<Dib> LoadJPEGFromMemory(const uint8_t* data, size_t size, int mode, uint64_t maxPixels,
                                        LoadError* why) {
    MemorySource src{};
    src.pub.next_input_byte = data;
    src.pub.bytes_in_buffer = data != nullptr ? size : 0;
    std::unique_ptr<Dib> dib = Decompress(AttachMemory, &src, mode, maxPixels);
    if (why) *why = dib ? LoadError::None : LoadError::ReadFailed;
    return dib;
}

}  // namespace gmbx
