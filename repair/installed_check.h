// The check of a repair run: every installed file of a signed release read
// once, from start to end, its size and SHA-256 held to the signed ones.
// Several files are read at once, one a thread, so that the check goes at
// the disk's pace or at the platform hash's on every core, whichever is
// slower. It shows nothing: the caller hears of the progress on its own
// thread and decides what a bad file means.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "integrity/release_signature.h"

namespace repair {

struct FileToCheck {
    std::string path;
    integrity::SignedFile expected;
};

// Where the check stands, told on the caller's thread.
struct CheckProgress {
    size_t current = 0;         // the file begun last, an index into the files given
    uint64_t currentDone = 0;   // of its bytes, read so far
    uint64_t allDone = 0;       // bytes of all files read or passed over so far
};

class CheckListener {
public:
    virtual ~CheckListener() = default;
    virtual void Progress(const CheckProgress& progress) = 0;
};

// Per file, in order: true when it is there with exactly its signed size
// and SHA-256. A file that cannot be opened or read, or whose size is not
// the signed one, is not intact (and is not read). With a listener it is
// told at least every `reportMs` while the check runs, and once at its end.
std::vector<bool> CheckInstalledFiles(const std::vector<FileToCheck>& files, unsigned threads,
                                      CheckListener* listener, unsigned reportMs = 50);

// The threads a check uses on this machine: one a processor, at most four.
unsigned CheckThreadCount();

}  // namespace repair
