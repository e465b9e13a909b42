// Enters the programs named in "firewall.ini" ("program|display name" per
// line, relative to the list's folder) into the Windows Firewall's lists of
// authorised applications, for the domain and the standard profile, by
// writing the firewall's registry values.
#pragma once

#include <string>

#include "base/run_report.h"
#include "install/step_result.h"

namespace install {

// One line of the list: the program as the line names it (relative to the
// list's folder), its path below that folder, and the display name it
// gives, empty when it gives none.
struct FirewallLine {
    std::string program;
    std::string programPath;
    std::string displayName;
};
FirewallLine ParseFirewallLine(const std::string& listPath, const std::string& line);

// Enters every line of `listText` (the list's bytes, as the gate let them be
// read). Done when every line was entered; failed when the list holds no
// line or a line failed (the other lines are still entered), with the text
// that says so.
StepResult AddFirewallExceptions(const std::string& listPath, const std::string& listText,
                           RegisterProgress* progress);

// Writes "<path>:*:Enabled:<name>" under the program's path in both profile
// lists. The keys are never created. True on a system older than XP, where
// nothing is written.
bool AddAuthorizedApplication(const std::string& programPath, const std::string& displayName);

// The Korean (0412, code page 949) ProductName of the file's version block.
bool GetProductName(const std::string& path, std::string& name);

bool IsWindowsXPOrLater();

}  // namespace install
