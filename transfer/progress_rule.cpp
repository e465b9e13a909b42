#include "transfer/progress_rule.h"

namespace transfer {

// Under 1 KiB in 30 s a download of even the smallest release file would
// take hours: such a server is waited for no longer. Four minutes of failed
// waiting end a run in at most about five.
const ProgressRule& TheProgressRule() {
    static const ProgressRule rule = {30000, 30000, 1024, 240000};
    return rule;
}

}  // namespace transfer
