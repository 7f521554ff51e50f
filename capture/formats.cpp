// The table of file formats offered for saving.
#include "capture/formats.h"

namespace gmbx {

namespace {

const FormatVariant kBmp[] = {{6, "", 23}};
const FormatVariant kGif[] = {{2, "", 68}};
const FormatVariant kJpegOwn[] = {{10, "", 144}};
const FormatVariant kJpegAddon[] = {
    {10, "JPEG File Interchange Format, JFIF 4:4:4", 148},
    {23, "JFIF 4:2:2", 148},
    {21, "JFIF 4:1:1", 148},
};
const FormatVariant kTif[] = {
    {3, "Uncompressed", 95},       {27, "CCITT Group 3, 1D", 65}, {28, "CCITT Group 3, 2D", 65},
    {29, "CCITT Group 4", 65},     {22, "JTIF 4:1:1", 144},       {24, "JTIF 4:2:2", 144},
    {11, "JTIF 4:4:4", 144},
};
const FormatVariant kCmp[] = {{20, "", 149}};
const FormatVariant kCals[] = {{50, "", 1}};
const FormatVariant kFax[] = {{66, "Group 3, 1D", 1}, {67, "Group 3, 2D", 1}, {68, "Group 4", 1}};
const FormatVariant kEps[] = {{16, "", 4}};
const FormatVariant kImg[] = {{52, "", 1}};
const FormatVariant kRaw[] = {{77, "Group 3, 1D", 65}, {78, "Group 3, 2D", 65}, {79, "Group 4", 65}};
const FormatVariant kIca[] = {{71, "Group 3, 1D", 65}, {72, "Group 3, 2D", 65}, {73, "Group 4", 65}};
const FormatVariant kPict[] = {{56, "", 23}};
const FormatVariant kMsp[] = {{53, "", 1}};
const FormatVariant kOs2[] = {{14, "Type 1", 23}, {74, "Type 2", 23}};
const FormatVariant kPcx[] = {{1, "", 87}};
const FormatVariant kRas[] = {{55, "", 61}};
const FormatVariant kTga[] = {{4, "", 60}};
const FormatVariant kWfx[] = {{69, "Group 3, 1D", 65}, {70, "Group 4", 65}};
const FormatVariant kWmf[] = {{15, "", 20}};
const FormatVariant kWpg[] = {{54, "", 7}};
const FormatVariant kPng[] = {{75, "", 23}};
const FormatVariant kPsd[] = {{76, "", 21}};

template <size_t N>
constexpr FormatRow Row(const char* ext, const char* text, const char* pattern, const FormatVariant (&v)[N]) {
    return FormatRow{ext, text, pattern, v, int(N)};
}

const FormatRow kRowsOwn[kFormatRowCount] = {
    Row(".bmp", "Windows Bitmap (*.bmp,*.dib)", "*.bmp;*.dib", kBmp),
    Row(".gif", "GIF (*.gif)", "*.gif", kGif),
    Row(".jpg", "JPEG (*.jpg, *.jpeg)", "*.jpg;*.jpeg", kJpegOwn),
    Row(".tif", "TIFF (*.tif, *.tiff)", "*.tif;*.tiff", kTif),
    Row(".cmp", "LEAD (*.cmp)", "*.cmp", kCmp),
    Row(".cal", "CALS (*.cal, *.cals)", "*.cal;*.cals", kCals),
    Row(".fax", "CCITT Fax (*.fax)", "*.fax", kFax),
    Row(".eps", "Encapsulated Postscript (*.eps)", "*.eps", kEps),
    Row(".img", "GEM Image (*.img)", "*.img", kImg),
    Row(".raw", "IBM IOCA (Raw) (*.raw)", "*.raw", kRaw),
    Row(".ica", "IBM IOCA (Wrapped) (*.ica)", "*.ica", kIca),
    Row(".pict", "Macintosh Picture (*.pct, *.pict)", "*.pct;*.pict", kPict),
    Row(".msp", "Microsoft Paint (*.msp)", "*.msp", kMsp),
    Row(".bmp", "OS/2 Bitmap (*.bmp)", "*.bmp", kOs2),
    Row(".pcx", "ZSoft PCX (*.pcx)", "*.pcx", kPcx),
    Row(".ras", "SUN Raster (*.ras)", "*.ras", kRas),
    Row(".tga", "Targa (*.tga)", "*.tga", kTga),
    Row(".wfx", "WinFax (*.wfx)", "*.wfx", kWfx),
    Row(".wmf", "Windows Metafile (*.wmf)", "*.wmf", kWmf),
    Row(".wpg", "WordPerfect (*.wpg)", "*.wpg", kWpg),
    Row(".png", "Portable Graphics PNG (*.png)", "*.png", kPng),
    Row(".psd", "Adobe PSD (*.psd)", "*.psd", kPsd),
};

const FormatRow kJpegAddonRow = Row(".jpg", "JPEG (*.jpg, *.jpeg)", "*.jpg;*.jpeg", kJpegAddon);

bool g_addonFormats = false;

}  // namespace

uint32_t DepthMaskBit(int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 1: return kDepthMask1;
    case 4: return kDepthMask4;
    case 8: return kDepthMask8;
    case 16: return kDepthMask16;
    case 24: return kDepthMask24;
    case 32: return kDepthMask32;
    default: return 0;
    }
}

void UseAddonFormats(bool on) { g_addonFormats = on; }
bool AddonFormatsInUse() { return g_addonFormats; }

const FormatRow* FormatTableRow(int row) {
    if (row < 0 || row >= kFormatRowCount) return nullptr;
    if (row == kFormatRowJpeg && g_addonFormats) return &kJpegAddonRow;
    return &kRowsOwn[row];
}

const FormatVariant* FormatTableVariant(int row, int variant) {
    const FormatRow* r = FormatTableRow(row);
    if (!r || variant < 0 || variant >= r->variantCount) return nullptr;
    return &r->variants[variant];
}

bool FindFormat(int32_t code, int* row, int* variant) {
    for (int i = 0; i < kFormatRowCount; ++i) {
        const FormatRow* r = FormatTableRow(i);
        for (int v = 0; v < r->variantCount; ++v) {
            if (r->variants[v].code == code) {
                *row = i;
                *variant = v;
                return true;
            }
        }
    }
    if (code == kFormatCmp1Bit) {
        *row = kFormatRowCmp;
        *variant = 0;
        return true;
    }
    return false;
}

bool DeriveFormatPlace(SaveOptions& options) {
    int row = 0, variant = 0;
    if (FindFormat(options.formatCode, &row, &variant)) {
        options.formatRow = row;
        options.variant = variant;
        return true;
    }
    options.bitsPerPixel = 8;
    options.formatRow = 0;
    options.variant = 0;
    options.formatCode = 0;
    options.autoSelBits = 1;
    return false;
}

}  // namespace gmbx
