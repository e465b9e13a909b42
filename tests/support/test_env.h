// Paths and scratch folders for tests that run under Wine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace testenv {

// A Unix path as the Windows side sees it (Wine maps "/" to drive Z:).
std::string UnixToWindowsPath(const std::string& unixPath);
// Folders of the checkout and the build, from the variables CTest sets.
std::string SourceDir();   // with a trailing backslash
std::string BinaryDir();   // with a trailing backslash
std::string BinDir();      // <build>\bin\ (the built programs)

// A fresh, empty folder on drive C: that is removed with everything in it
// when the object goes away. Path ends in a backslash.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& name);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& relative) const { return path_ + relative; }

private:
    std::string path_;
};

// Removes a folder tree; clears read-only attributes on the way.
void RemoveTree(const std::string& folder);
// Whole-file helpers for setting up and checking test files.
void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
// Reproducible pseudo-random bytes (xorshift), the same for the same seed.
std::string Noise(size_t size, uint32_t seed);

}  // namespace testenv
