// UpdateHelper.exe: finishes a self-update of the updater after it has exited.
//   UpdateHelper.exe "<new copy>" "<target>" <SHA-256 of the copy>
//   UpdateHelper.exe /restart "<program>" <process id> <terminate flag> <time-out ms> <SHA-256 of the program>
// The exit code is 0 whatever happened; failures are shown in a box. Like the
// updater, it takes DLLs loaded by name from the system folder only.
#include <cstdlib>
#include <cstring>

#include "base/dll_search.h"
#include "helper/update_helper.h"

int main(int argc, char** argv) {
    base::RestrictDllSearch();
    if (argc >= 6 && ::_stricmp(argv[1], "/restart") == 0) {
        helper::WaitAndRelaunch(argv[2], std::strtoul(argv[3], nullptr, 10),
                                static_cast<int>(std::strtol(argv[4], nullptr, 10)),
                                std::strtoul(argv[5], nullptr, 10), argc >= 7 ? argv[6] : nullptr);
    } else {
        helper::ReplaceAndRelaunch(argc, argv);
    }
    return 0;
}
