// Scratch directories and whole-file helpers for tests.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace gmbx::testutil {

// A new, empty directory under the system's temporary folder; removed with
// everything in it when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // Path of a file inside the directory, as a narrow string for C APIs.
    std::string File(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// The whole file; empty if it cannot be read.
std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path);
// Creates or replaces the file; false on any error.
bool WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

}  // namespace gmbx::testutil
