// The settings file gmbx.ini held in memory.
#include "capture/inifile.h"

#include <cstdio>
#include <cstring>

#include "capture/fileplatform.h"

namespace gmbx {

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// The first pair of that name, without regard to ASCII case; null when none.
template <class Pairs>
auto FindPair(Pairs& pairs, const char* name) -> decltype(&*pairs.begin()) {
    const size_t n = std::strlen(name);
    for (auto& p : pairs) {
        if (p.name.size() != n) continue;
        size_t i = 0;
        while (i < n && LowerAscii(p.name[i]) == LowerAscii(name[i])) ++i;
        if (i == n) return &p;
    }
    return nullptr;
}

// Reads the line that starts at *pos without its '\n' and moves *pos past
// it; at most kIniMaxLine characters are kept, and the text from a zero byte
// on is dropped (the line is a C string in the file's own terms). False at
// the end of the data.
bool ReadLine(const char* data, size_t size, size_t* pos, std::string* line) {
    line->clear();
    if (*pos >= size) return false;
    const char* begin = data + *pos;
    const char* end = static_cast<const char*>(std::memchr(begin, '\n', size - *pos));
    const size_t length = end ? size_t(end - begin) : size - *pos;
    *pos += end ? length + 1 : length;
    const char* zero = static_cast<const char*>(std::memchr(begin, 0, length));
    size_t keep = zero ? size_t(zero - begin) : length;
    if (keep > kIniMaxLine) keep = kIniMaxLine;
    line->assign(begin, keep);
    return true;
}

// One line of the file as a pair; false for lines that hold none.
bool ParseLine(const std::string& line, IniFile::Pair* pair) {
    if (line.empty() || line[0] != '"') return false;
    size_t close = line.find('"', 1);
    if (close == std::string::npos) return false;
    pair->name = line.substr(1, close - 1);
    size_t start = close + 1;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
    size_t end = line.size();
    while (end > start && (line[end - 1] == '\r' || line[end - 1] == '\n')) --end;
    pair->value = line.substr(start, end - start);
    return true;
}

bool WriteAll(std::FILE* f, const std::string& text) {
    return text.empty() || std::fwrite(text.data(), 1, text.size(), f) == text.size();
}

}  // namespace

uint32_t DecimalValue(const char* p) {
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = (*p == '-');
        ++p;
    }
    const long long kMax = 0xFFFFFFFFLL;
    const long long kMinNegative = 0x80000000LL;
    long long v = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (v <= kMax) v = v * 10 + (*p - '0');
    }
    if (negative) {
        if (v > kMinNegative) v = kMinNegative;
        return uint32_t(-v);
    }
    if (v > kMax) v = kMax;
    return uint32_t(v);
}

std::string SettingsFileBeside(const std::string& helpPath) {
    size_t cut = helpPath.find_last_of("\\/:");
    std::string folder = cut == std::string::npos ? std::string() : helpPath.substr(0, cut + 1);
    return folder + "gmbx.ini";
}

bool IniFile::Load(const std::string& path) {
    Clear();
    path_ = path;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    std::fclose(f);
    LoadFromMemory(text.data(), text.size());
    return true;
}

void IniFile::LoadFromMemory(const char* data, size_t size) {
    Clear();
    std::string line;
    Pair pair;
    size_t pos = 0;
    while (ReadLine(data, size, &pos, &line)) {
        if (ParseLine(line, &pair)) pairs_.push_back(pair);
    }
}

std::string IniFile::Text() const {
    std::string text;
    for (const Pair& p : pairs_) text += "\"" + p.name + "\"  " + p.value + "\r\n";
    return text;
}

bool IniFile::Write(bool write) {
    bool ok = true;
    if (write) {
        const std::string text = Text();
        if (path_.empty()) {
            ok = false;
        } else {
            const std::string temp = path_ + ".tmp";
            std::FILE* f = std::fopen(temp.c_str(), "wb");
            if (!f) {
                ok = false;
            } else {
                ok = WriteAll(f, text);
                ok = FlushFileToDisk(f) && ok;
                ok = (std::fclose(f) == 0) && ok;
                ok = ok && ReplaceFileAtomically(temp.c_str(), path_.c_str());
                if (!ok) std::remove(temp.c_str());
            }
        }
    }
    Clear();
    return ok;
}

const std::string* IniFile::Find(const char* name) const {
    const Pair* p = FindPair(pairs_, name);
    return p ? &p->value : nullptr;
}

void IniFile::Put(const char* name, const std::string& valueText) {
    if (Pair* p = FindPair(pairs_, name))
        p->value = valueText;
    else
        pairs_.push_back(Pair{name, valueText});
}

long IniFile::GetValue(const char* name, uint32_t* type, void* data, uint32_t* length) const {
    const std::string* value = Find(name);
    if (!value) return kValueFailed;
    if (!value->empty() && (*value)[0] == '"') {
        // The text between the first and the last character, and its zero.
        std::string text = value->size() >= 2 ? value->substr(1, value->size() - 2) : std::string();
        uint32_t needed = uint32_t(text.size() + 1);
        if (type) *type = kValueText;
        if (!length) return data ? kValueFailed : kValueOk;
        if (!data) {
            *length = needed;
            return kValueOk;
        }
        if (*length < needed) {
            *length = needed;
            return kValueMoreData;
        }
        std::memcpy(data, text.c_str(), needed);
        *length = needed;
        return kValueOk;
    }
    uint32_t number = DecimalValue(value->c_str());
    if (type) *type = kValueDword;
    if (!length) return data ? kValueFailed : kValueOk;
    if (!data) {
        *length = 4;
        return kValueOk;
    }
    if (*length < 4) {
        *length = 4;
        return kValueMoreData;
    }
    std::memcpy(data, &number, 4);
    *length = 4;
    return kValueOk;
}

long IniFile::PutValue(const char* name, uint32_t type, const void* data, uint32_t length) {
    if (type == kValueText) {
        const char* text = static_cast<const char*>(data);
        size_t n = 0;
        if (text)
            while (n < length && text[n]) ++n;
        Put(name, "\"" + std::string(text ? text : "", n) + "\"");
        return kValueOk;
    }
    if (type == kValueDword) {
        if (!data || length < 4) return kValueFailed;
        uint32_t v;
        std::memcpy(&v, data, 4);
        char buf[16];
        std::snprintf(buf, sizeof buf, "%d", int32_t(v));
        Put(name, buf);
        return kValueOk;
    }
    return kValueFailed;
}

}  // namespace gmbx
