// The file names and colour depths of the Save As dialog: which file type a
// name's extension belongs to, the extension a type gives a name, and the
// depth a format can take. A saved file always carries an extension of the
// type it is written in. Portable: no windows.h.
#pragma once
#include <cstdint>
#include <string>

namespace gmbx {

// Where the file-name part of a path begins (after its last '\\', '/' or
// drive colon).
size_t FileNameStart(const std::string& path);

// The extension of a name's last component, with its dot (".bmp"); "" when
// it has none or the name ends in ".".
std::string NameExtension(const std::string& name);

// The first extension of a format row's filter patterns (".bmp" for
// "*.bmp;*.dib"); "" for a row outside the table.
std::string FirstPatternExtension(int row);

// True when a row's filter patterns list the extension (any case).
bool RowHasExtension(int row, const std::string& extension);

// The first of the rows 0..rowCount-1 whose patterns list the name's
// extension; -1 when the name has no extension or none of them lists it.
int FormatRowOfName(const std::string& name, int rowCount);

// The name with its extension replaced by `extension`; a name without one
// (or ending in ".") gets it appended, without doubling the dot.
std::string ReplaceExtension(const std::string& name, const std::string& extension);

// What a confirmed Save As writes: a typed extension of an offered type
// picks that type; any other name keeps the chosen type and gets its
// extension appended (a name ending in "." included).
struct SaveNameChoice {
    int row;
    std::string name;
};
SaveNameChoice ChooseSaveName(const std::string& typed, int chosenRow, int rowCount);

// The text a variant list shows: the variant's name, or for a row's only,
// unnamed variant the row's filter text without its patterns ("GIF").
std::string VariantCaption(int row, int variant);

// The depth (1, 4, 8, 16, 24 or 32) a format with this depth mask is written
// in when `wanted` is asked for: the wanted depth when the mask has it, else
// the nearest allowed one above, else the nearest below; 0 when the mask
// allows no depth.
int FitDepthToMask(int wanted, uint32_t mask);

}  // namespace gmbx
