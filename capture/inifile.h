// The settings file gmbx.ini held in memory: (name, value text) pairs in
// file order. Each line of the file is "\"%s\"  %s\r\n" (the name in double
// quotes, two blanks, the value text). A value text that begins with a
// double quote holds a text (written enclosed in double quotes); any other
// value text holds a number in decimal.
// Portable: no windows.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <list>
#include <string>

namespace gmbx {

// Value types, numbered as the registry numbers them (REG_SZ, REG_DWORD).
constexpr uint32_t kValueText = 1;
constexpr uint32_t kValueDword = 4;

// Results of GetValue and PutValue, as the registry functions give them.
constexpr long kValueOk = 0;
constexpr long kValueMoreData = 234;  // the buffer is too small (ERROR_MORE_DATA)
constexpr long kValueFailed = -1;     // absent name, or a type the file cannot hold

// Longest line read from the file, without its line end; the rest of a
// longer line is dropped.
constexpr size_t kIniMaxLine = 1023;

class IniFile {
public:
    struct Pair {
        std::string name;
        std::string value;  // the value text as it stands in the file
    };

    // Clears the list, remembers the path and reads the file. False when the
    // file cannot be opened; the list is empty then.
    //
    // Lines that do not begin with '"' are skipped, as are lines whose name
    // has no closing '"'. The name runs from the second character to the
    // next '"'; the value text starts after it, past blanks and tabs, and
    // runs to the end of the line without trailing CR and LF characters. A
    // name that occurs twice gives two pairs.
    bool Load(const std::string& path);
    // The same reading over a file image in memory: clears the list and
    // reads the pairs from size bytes at data (null only with size 0). The
    // remembered path stays as it is.
    void LoadFromMemory(const char* data, size_t size);

    // With write set, writes the list to the remembered path; in every case
    // the list is cleared afterwards (the remembered path stays). False only
    // when the file could not be written; the file on disk then is exactly
    // what it was before: the list goes to "<path>.tmp" first, which then
    // replaces the file in one step.
    bool Write(bool write);
    // The file text Write writes: one line per pair, in list order.
    std::string Text() const;

    void Clear() { pairs_.clear(); }
    const std::string& Path() const { return path_; }
    const std::list<Pair>& Pairs() const { return pairs_; }

    // The value text of the first pair whose name matches without regard to
    // (ASCII) case; null when there is none.
    const std::string* Find(const char* name) const;
    // Replaces the value text of the first matching pair, or appends a pair.
    void Put(const char* name, const std::string& valueText);

    // Registry-style read of a value. Absent name: kValueFailed. A value
    // text beginning with '"' is a text: the data is the value text without
    // its first and its last character, plus a terminating zero (length - 1
    // bytes of a value text of length characters). Otherwise a DWORD: the
    // value text read as a decimal number, 4 bytes. When data is null, or
    // *length is smaller than the data, *length is set to the size the data
    // needs; a short buffer gives kValueMoreData.
    long GetValue(const char* name, uint32_t* type, void* data, uint32_t* length) const;

    // Registry-style write: a text (up to its first zero or length bytes) is
    // put enclosed in double quotes, a DWORD (length at least 4) as "%d".
    // Other types give kValueFailed.
    long PutValue(const char* name, uint32_t type, const void* data, uint32_t length);

private:
    std::string path_;
    std::list<Pair> pairs_;
};

// Reads a value text as a decimal number: leading blanks, an optional sign,
// digits; text that is no number reads as 0. Numbers from -2^31 to 2^32 - 1
// map to their 32-bit pattern; numbers beyond are clamped to that range.
uint32_t DecimalValue(const char* text);

// The path of gmbx.ini beside the program, taken from the help file path
// (the program's path with ".hlp" for ".exe"): its folder plus "gmbx.ini".
std::string SettingsFileBeside(const std::string& helpPath);

}  // namespace gmbx
