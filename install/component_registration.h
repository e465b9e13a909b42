// Registers the COM components named in "setup.bat" (one DLL per line,
// relative to the list's folder): in process through DllRegisterServer, with
// the system folder's "regsvr32.exe /s" as the fallback. Each DLL is admitted
// by the gate and held while it is loaded or registered.
#pragma once

#include <map>
#include <string>

#include "base/run_report.h"
#include "install/file_gate.h"
#include "install/step_result.h"

namespace install {

// Registers each DLL `listText` (the list's bytes, as the gate let them be
// read) names that was fetched in this run (a key of `updatedFiles`,
// compared exactly), every DLL when `sameFolder` is false, and any DLL whose
// registration cannot be found. Failed only when the list holds no line or
// COM cannot be initialised, with the text that says so; failures of single
// DLLs are not reported.
StepResult RegisterComponents(const std::string& listPath, const std::string& listText, const FileGate& gate,
                              const std::map<std::string, std::string>& updatedFiles, bool sameFolder,
                              RegisterProgress* progress);

// True when the DLL's type library describes a coclass whose CLSID has a
// registered ProgID; the texts then receive the braced CLSID and the ProgID.
// False too when the type library cannot be read.
bool FindRegisteredCoClass(const std::string& dllPath, std::string& clsidText, std::string& progIdText);

}  // namespace install
