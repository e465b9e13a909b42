// Cost of making the home tree the program's (install/home_tree.h): (a) a
// tree made fresh, whose entries are not right, and (b) the same tree walked
// again right after, which only reads where the system keeps descriptors.
// Beside them, the reads alone over the same tree (open, attributes, final
// path, descriptor check per entry), the floor of (b).
// Usage: home_tree_bench.exe FOLDER [FILES] [FOLDERS]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/unique_handle.h"
#include "bench/bench_support.h"
#include "install/home_entry.h"
#include "install/home_tree.h"
#include "install/protected_folder.h"

namespace {

bool MakeTree(const std::string& root, int files, int folders) {
    if (!::CreateDirectoryA(root.c_str(), nullptr)) return false;
    for (int f = 0; f < folders; ++f) {
        char folder[32];
        std::snprintf(folder, sizeof(folder), "\\f%03d", f);
        if (!::CreateDirectoryA((root + folder).c_str(), nullptr)) return false;
        for (int i = f; i < files; i += folders) {
            char name[32];
            std::snprintf(name, sizeof(name), "\\file%05d.bin", i);
            const base::UniqueFile file(::CreateFileA((root + folder + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            DWORD written = 0;
            if (!file || !::WriteFile(file.get(), name, 16, &written, nullptr)) return false;
        }
    }
    return true;
}

// The reads the walk makes on an entry that is right already; counts the
// entries whose descriptor is right.
void ReadTree(const install::HomeDescriptors& descriptors, const std::string& folder, install::HomeEntry kind,
              int& entries, int& right) {
    const base::UniqueFile entry = install::OpenEntry(folder, kind != install::HomeEntry::kFile);
    install::EntryFacts facts;
    if (!entry || !install::ReadEntryFacts(entry.get(), facts)) return;
    ++entries;
    if (descriptors.Has(entry.get(), kind)) ++right;
    if (kind == install::HomeEntry::kFile) return;
    WIN32_FIND_DATAA found;
    const base::UniqueFind find(::FindFirstFileA((folder + "\\*").c_str(), &found));
    if (!find) return;
    do {
        if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0) continue;
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        ReadTree(descriptors, folder + "\\" + found.cFileName,
                 isFolder ? install::HomeEntry::kFolder : install::HomeEntry::kFile, entries, right);
    } while (::FindNextFileA(find.get(), &found));
}

const char* ResultName(install::HomeTreeResult result) {
    return result == install::HomeTreeResult::kOwned        ? "owned"
           : result == install::HomeTreeResult::kNoSecurity ? "no security"
                                                           : "failed";
}

bool Walk(const char* label, const std::string& root) {
    std::string failed;
    const double start = Seconds();
    const install::HomeTreeResult result = install::OwnHomeTree(root, failed);
    const double seconds = Seconds() - start;
    std::printf("%s: %.2f s (%s%s%s)\n", label, seconds, ResultName(result), failed.empty() ? "" : ": ",
                failed.c_str());
    return result == install::HomeTreeResult::kOwned;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: home_tree_bench FOLDER [FILES] [FOLDERS]\n");
        return 2;
    }
    const std::string root = argv[1];
    const int files = argc > 2 ? std::atoi(argv[2]) : 20000;
    const int folders = argc > 3 ? std::atoi(argv[3]) : 200;
    double start = Seconds();
    if (!MakeTree(root, files, folders)) {
        std::fprintf(stderr, "cannot make the tree in %s\n", root.c_str());
        return 2;
    }
    std::printf("home of %d files in %d folders made in %.2f s\n", files, folders, Seconds() - start);
    if (!Walk("(a) walk of the fresh tree", root) || !Walk("(b) second walk", root)) return 1;

    const install::HomeDescriptors descriptors;
    int entries = 0, right = 0;
    start = Seconds();
    ReadTree(descriptors, root, install::HomeEntry::kRoot, entries, right);
    std::printf("reads alone: %.2f s for %d entries; %d of them read back right after the walks%s\n",
                Seconds() - start, entries, right,
                right < entries ? " (descriptors are not kept here: every walk sets every entry again)" : "");
    return 0;
}
