#include "capture/savename.h"

#include <cctype>

#include "capture/formats.h"

namespace gmbx {

namespace {

constexpr int kDepths[] = {1, 4, 8, 16, 24, 32};

bool SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

size_t FileNameStart(const std::string& path) {
    size_t sep = path.find_last_of("\\/:");
    return sep == std::string::npos ? 0 : sep + 1;
}

namespace {

// Position of the dot that starts the last component's extension, or npos.
size_t ExtensionDot(const std::string& name) {
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot < FileNameStart(name)) return std::string::npos;
    return dot;
}

}  // namespace

std::string NameExtension(const std::string& name) {
    size_t dot = ExtensionDot(name);
    if (dot == std::string::npos || dot + 1 == name.size()) return std::string();
    return name.substr(dot);
}

std::string FirstPatternExtension(int row) {
    const FormatRow* r = FormatTableRow(row);
    if (!r) return std::string();
    std::string pattern = r->filterPattern;
    size_t star = pattern.find('*');
    if (star == std::string::npos) return std::string();
    return pattern.substr(star + 1, pattern.find(';', star) - star - 1);
}

bool RowHasExtension(int row, const std::string& extension) {
    const FormatRow* r = FormatTableRow(row);
    if (!r || extension.empty()) return false;
    const std::string pattern = r->filterPattern;
    size_t pos = 0;
    while (pos < pattern.size()) {
        size_t end = pattern.find(';', pos);
        if (end == std::string::npos) end = pattern.size();
        std::string one = pattern.substr(pos, end - pos);
        if (!one.empty() && one[0] == '*') one.erase(0, 1);
        if (SameText(one, extension)) return true;
        pos = end + 1;
    }
    return false;
}

int FormatRowOfName(const std::string& name, int rowCount) {
    const std::string ext = NameExtension(name);
    if (ext.empty()) return -1;
    for (int row = 0; row < rowCount && row < kFormatRowCount; ++row)
        if (RowHasExtension(row, ext)) return row;
    return -1;
}

std::string ReplaceExtension(const std::string& name, const std::string& extension) {
    size_t dot = ExtensionDot(name);
    return (dot == std::string::npos ? name : name.substr(0, dot)) + extension;
}

SaveNameChoice ChooseSaveName(const std::string& typed, int chosenRow, int rowCount) {
    const std::string ext = NameExtension(typed);
    if (RowHasExtension(chosenRow, ext)) return {chosenRow, typed};
    int row = FormatRowOfName(typed, rowCount);
    if (row >= 0) return {row, typed};
    // No extension, a trailing dot, or one that is not of an offered type:
    // the chosen type's extension goes after the whole name.
    std::string base = typed;
    if (!base.empty() && base.back() == '.') base.pop_back();
    return {chosenRow, base + FirstPatternExtension(chosenRow)};
}

std::string VariantCaption(int row, int variant) {
    const FormatVariant* v = FormatTableVariant(row, variant);
    if (!v) return std::string();
    if (v->name && *v->name) return v->name;
    std::string text = FormatTableRow(row)->filterText;
    size_t open = text.find(" (");
    return open == std::string::npos ? text : text.substr(0, open);
}

int FitDepthToMask(int wanted, uint32_t mask) {
    if (mask & DepthMaskBit(wanted)) return wanted;
    for (int d : kDepths)
        if (d > wanted && (mask & DepthMaskBit(d))) return d;
    for (int i = 5; i >= 0; --i)
        if (kDepths[i] < wanted && (mask & DepthMaskBit(kDepths[i]))) return kDepths[i];
    return 0;
}

}  // namespace gmbx
