#include <cstdio>
#include <string>

#include "base/ansi_text.h"
#include "base/code_page.h"
#include "tools/release_list/console_text.h"
#include "tools/release_list/release_error.h"

namespace release_list {

const char* ProgramName() { return "arkenfel_release_list"; }

base::StringList CommandLineArguments(int argc, char** argv) {
    base::StringList args;
    for (int i = 1; i < argc; ++i) {
        const std::string utf8 = argv[i];
        const std::string text = base::Utf8ToAnsi(utf8);
        if (text.empty() && !utf8.empty())
            throw ReleaseListError(base::FormatText("argument %d holds characters that code page %u cannot hold", i,
                                                    base::ListCodePage()));
        args.push_back(text);
    }
    return args;
}

void PrintAnsi(const std::string& ansi, bool error) {
    const std::string utf8 = base::AnsiToUtf8(ansi + "\n");
    std::FILE* out = error ? stderr : stdout;
    std::fwrite(utf8.data(), 1, utf8.size(), out);
    std::fflush(out);
}

}  // namespace release_list
