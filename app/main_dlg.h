// The updater's only window: skinned, borderless and rounded. It starts the
// worker that performs the update run and turns the worker's reports into
// label texts and bar positions. The run's state lives here, in one place,
// for the span of the modal loop.
#pragma once

#include <windows.h>

#include <string>

#include "app/background_image.h"
#include "app/text_progress_ctrl.h"
#include "app/transparent_static.h"
#include "app/vn_picture.h"
#include "app/window_report.h"
#include "base/dialog.h"
#include "base/unique_handle.h"
#include "discovery/update_state.h"

namespace app {

class CMainDlg : public base::Dialog {
public:
    CMainDlg();
    ~CMainDlg() override;

    // True while the worker thread of this window still runs.
    bool WorkerRunning() const;
    // The home could not be made the program's: what is found in it decides
    // nothing in the run (discovery/update_state.h). Before the window runs.
    void DistrustHome(bool untrusted) { m_state.m_bHomeUntrusted = untrusted; }

protected:
    BOOL OnInitDialog() override;
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool PreTranslateMessage(MSG& message) override;

private:
    static DWORD WINAPI WorkerProc(void* self);
    void AttachControls();
    void ApplyRoundedRegion();
    void Show();
    LRESULT OnStartRun();
    LRESULT OnTransferProgress(LPARAM lParam);
    void PaintReportedChanges();
    LRESULT OnRegisterProgress(LPARAM lParam);
    INT_PTR OnCtlColor(HDC dc, HWND control);
    bool OnEraseBackground(HDC dc);
    void PaintMinimisedIcon();
    void OpenAboutBox();

    WindowReport m_report;  // what the run reports, shown here
    discovery::UpdateState m_state;
    base::UniqueKernelHandle m_pWorker;
    HICON m_hIcon = nullptr;
    DWORD m_dwLastReportPaint = 0;  // GetTickCount of the last paint a report forced
    BackgroundImage m_imgBackground;

    CVNPicture m_picture;
    CTransparentStatic2 m_labels[5];  // 1011, 1015, 1016, 1017, 1018
    CTextProgressCtrl m_fileBar;
    CTextProgressCtrl m_totalBar;
};

}  // namespace app
