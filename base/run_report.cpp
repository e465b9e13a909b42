#include "base/run_report.h"

namespace base {

RunReport& SilentReport() {
    static RunReport silent;
    return silent;
}

}  // namespace base
