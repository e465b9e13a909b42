#include "tests/support/test_env.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testenv {
namespace {

std::string WithSlash(std::string p) {
    if (!p.empty() && p.back() != '\\') p += '\\';
    return p;
}

std::string FromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) throw std::runtime_error(std::string("test environment lacks ") + name);
    return WithSlash(UnixToWindowsPath(value));
}

}  // namespace

std::string UnixToWindowsPath(const std::string& unixPath) {
    std::string out = "Z:" + unixPath;
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

std::string SourceDir() { return FromEnvironment("ARKENFEL_SOURCE_DIR"); }
std::string BinaryDir() { return FromEnvironment("ARKENFEL_BINARY_DIR"); }
std::string BinDir() { return BinaryDir() + "bin\\"; }

ScratchDir::ScratchDir(const std::string& name) {
    path_ = "C:\\tests\\" + name + "_" + std::to_string(::GetCurrentProcessId()) + "\\";
    RemoveTree(path_);
    ::CreateDirectoryA("C:\\tests", nullptr);
    if (!::CreateDirectoryA(path_.c_str(), nullptr))
        throw std::runtime_error("cannot create scratch folder " + path_);
}

ScratchDir::~ScratchDir() { RemoveTree(path_); }

void RemoveTree(const std::string& folder) {
    std::string base = WithSlash(folder);
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((base + "*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = base + name;
            ::SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                ::DeleteFileA(full.c_str());
        } while (::FindNextFileA(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(base.c_str());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool FileExists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Noise(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (char& c : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x >> 24);
    }
    return bytes;
}

}  // namespace testenv
