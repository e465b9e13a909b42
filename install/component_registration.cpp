#include "install/component_registration.h"

#include <windows.h>
#include <oleauto.h>

#include "base/ansi_text.h"
#include "base/dll_search.h"
#include "base/split_string.h"
#include "base/system_folders.h"
#include "base/unique_handle.h"
#include "base/usable_path.h"
#include "install/list_file.h"
#include "install/process_launch.h"
#include "install/register_progress.h"
#include "base/local_files.h"

namespace install {
namespace {

std::wstring ToWide(const std::string& text) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? length : 1, L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
}

std::string ToAnsi(const wchar_t* text) {
    const int length = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string ansi(length, '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, &ansi[0], length, nullptr, nullptr);
    ansi.resize(length - 1);
    return ansi;
}

// The attributes of one type, released with the type information they came from.
class TypeAttr {
public:
    explicit TypeAttr(ITypeInfo* info) : info_(info) {}
    ~TypeAttr() {
        if (attr_) info_->ReleaseTypeAttr(attr_);
    }
    TypeAttr(const TypeAttr&) = delete;
    TypeAttr& operator=(const TypeAttr&) = delete;
    HRESULT Get() { return info_->GetTypeAttr(&attr_); }
    const TYPEATTR* operator->() const { return attr_; }

private:
    ITypeInfo* info_;
    TYPEATTR* attr_ = nullptr;
};

// The DLL's own DllRegisterServer. False when the DLL does not load, lacks
// the entry point or reports a failure.
bool RegisterInProcess(const std::string& path) {
    base::UniqueModule library(base::LoadLibraryBeside(path));
    if (!library) return false;
    using RegisterFn = HRESULT(STDAPICALLTYPE*)();
    auto registerServer = reinterpret_cast<RegisterFn>(
        reinterpret_cast<void*>(::GetProcAddress(library.get(), "DllRegisterServer")));
    return registerServer && SUCCEEDED(registerServer());
}

bool NeedsRegistration(const std::string& line, const std::string& path,
                       const std::map<std::string, std::string>& updatedFiles, bool sameFolder) {
    if (updatedFiles.count(line) || !sameFolder) return true;
    std::string clsid, progId;
    return !FindRegisteredCoClass(path, clsid, progId);
}

// In process, else through regsvr32, with the DLL held meanwhile. The gate
// admits the DLL before any of its bytes is parsed or loaded, the type
// library that tells whether it is registered already included; nothing when
// the gate refuses it.
void RegisterIfNeeded(const FileGate& gate, const std::string& line, const std::string& path,
                      const std::map<std::string, std::string>& updatedFiles, bool sameFolder) {
    base::UniqueFile held;
    if (gate.Admit(path, held) != GateResult::kAdmitted || !NeedsRegistration(line, path, updatedFiles, sameFolder) ||
        RegisterInProcess(path))
        return;
    RunAndWait(gate, "\"" + base::SystemFolder() + "\\regsvr32.exe\" /s", ("\"" + path + "\"").c_str());
}

}  // namespace

StepResult RegisterComponents(const std::string& listPath, const std::string& listText, const FileGate& gate,
                              const std::map<std::string, std::string>& updatedFiles, bool sameFolder,
                              RegisterProgress* progress) {
    base::StringList lines;
    if (!base::SplitLines(listText, lines)) return StepResult::Failed("등록 또는 해제할 DLL 목록을 불러올 수 없습니다!");
    base::ScopedComInit com;
    if (FAILED(com.result())) return StepResult::Failed("CoInitialize 호출에 실패하였습니다!");
    BeginProgress(progress, lines.size());
    for (const std::string& line : lines) {
        const std::string path = ListItemPath(listPath, line);
        // A name that cannot be a file fails at once (the type-library loader
        // overruns a fixed buffer with it), and so does one outside the folder.
        if (base::StaysBelowRoot(line) && base::IsUsablePath(path))
            RegisterIfNeeded(gate, line, path, updatedFiles, sameFolder);
        AdvanceProgress(progress);
    }
    return StepResult::Done();
}

bool FindRegisteredCoClass(const std::string& dllPath, std::string& clsidText, std::string& progIdText) {
    base::ComPtr<ITypeLib> library;
    HRESULT hr = ::LoadTypeLib(ToWide(dllPath).c_str(), library.put());
    if (FAILED(hr)) return false;
    const UINT count = library->GetTypeInfoCount();
    for (UINT i = 0; i < count; ++i) {
        base::ComPtr<ITypeInfo> info;
        hr = library->GetTypeInfo(i, info.put());
        if (FAILED(hr)) return false;
        TypeAttr attr(info.get());
        hr = attr.Get();
        if (FAILED(hr)) return false;
        if (attr->typekind != TKIND_COCLASS) continue;
        base::UniqueCoTaskMemory<OLECHAR> progId;
        if (FAILED(::ProgIDFromCLSID(attr->guid, progId.put()))) continue;
        progIdText = ToAnsi(progId.get());
        base::UniqueCoTaskMemory<OLECHAR> clsid;
        if (SUCCEEDED(::StringFromCLSID(attr->guid, clsid.put()))) clsidText = ToAnsi(clsid.get());
        return true;
    }
    return false;
}

}  // namespace install
