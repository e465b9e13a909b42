#include "app/main_dlg.h"

#include "app/about_dialog.h"
#include "app/progress_display.h"
#include "app/update_run.h"
#include "base/gdi_guards.h"
#include "base/message_box.h"
#include "base/module_path.h"
#include "app/window_parts.h"
#include "res/resource.h"

namespace app {
namespace {

const char kTextThreadFailed[] = "업데이트 스레드 생성에 실패했습니다!";
// While reports come back to back, what they changed is painted this often.
constexpr DWORD kReportPaintMs = 50;
const int kLabelIds[] = {IDC_FILE_NAME_CAPTION, IDC_FILE_NAME, IDC_FILE_INFO, IDC_STATUS, IDC_SUMMARY};

bool IsWhiteLabel(int id) {
    for (int labelId : kLabelIds)
        if (labelId == id) return true;
    return false;
}

// The control behind each part of the window that the worker side writes to.
struct PartControl {
    WindowPart part;
    int id;
};
const PartControl kPartControls[] = {
    {kFileProgressBar, IDC_FILE_PROGRESS}, {kTotalProgressBar, IDC_TOTAL_PROGRESS},
    {kFileNameLabel, IDC_FILE_NAME},       {kFileInfoLabel, IDC_FILE_INFO},
    {kStatusLabel, IDC_STATUS},            {kSummaryLabel, IDC_SUMMARY},
};

// The background image is painted through a client context once per process.
bool g_backgroundPainted = false;

}  // namespace

CMainDlg::CMainDlg() : base::Dialog(IDD_MAIN_DIALOG) {
    m_state.m_strInstallFolder = base::GetModuleFolder();
}

CMainDlg::~CMainDlg() = default;

bool CMainDlg::WorkerRunning() const {
    return m_pWorker && ::WaitForSingleObject(m_pWorker.get(), 0) == WAIT_TIMEOUT;
}

void CMainDlg::AttachControls() {
    SubclassControl(IDC_BACKGROUND, m_picture);
    for (int i = 0; i < 5; ++i) SubclassControl(kLabelIds[i], m_labels[i]);
    SubclassControl(IDC_FILE_PROGRESS, m_fileBar);
    SubclassControl(IDC_TOTAL_PROGRESS, m_totalBar);
    for (const PartControl& entry : kPartControls)
        app::NameWindowPart(hwnd(), entry.part, ::GetDlgItem(hwnd(), entry.id));
}

void CMainDlg::ApplyRoundedRegion() {
    RECT window;
    ::GetWindowRect(hwnd(), &window);
    HRGN region = ::CreateRoundRectRgn(3, 3, window.right - window.left, window.bottom - window.top, 4, 4);
    ::SetWindowRgn(hwnd(), region, TRUE);  // the system owns the region from here on
}

BOOL CMainDlg::OnInitDialog() {
    AttachControls();
    m_hIcon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_MAIN));
    ::SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    RECT window, screen;
    ::GetWindowRect(hwnd(), &window);
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &screen, 0);
    ::SetWindowPos(hwnd(), nullptr, screen.left + (screen.right - screen.left - (window.right - window.left)) / 2,
                   screen.top + (screen.bottom - screen.top - (window.bottom - window.top)) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyRoundedRegion();
    LoadResourceImage(m_imgBackground);
    base::SetMainWindow(hwnd());
    Show();
    app::SetBarRange(hwnd(), kFileProgressBar, 0, 100);
    ::PostMessageA(hwnd(), UM_START_RUN, 0, 0);
    m_report.Attach(hwnd());
    m_state.report = &m_report;
    return TRUE;
}

void CMainDlg::Show() {
    ::ShowWindow(hwnd(), SW_SHOW);
    ::SetForegroundWindow(hwnd());
    // Paint the background now: the labels copy the pixels behind them at
    // their first text, which the worker may set before a queued paint runs.
    ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (m_imgBackground.empty() || g_backgroundPainted) return;
    g_backgroundPainted = true;
    const base::WindowDc dc(hwnd());
    OnEraseBackground(dc.get());
}

bool CMainDlg::OnEraseBackground(HDC dc) {
    if (m_imgBackground.empty()) return false;
    BITMAP info;
    ::GetObjectA(m_imgBackground.bitmap(), sizeof(info), &info);
    RECT client;
    ::GetClientRect(hwnd(), &client);
    const base::UniqueMemoryDc memory = base::CreateMemoryDc(dc);
    const base::SelectedObject selection(memory.get(), m_imgBackground.bitmap());
    ::StretchBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    return true;
}

DWORD WINAPI CMainDlg::WorkerProc(void* self) {
    CMainDlg* dialog = static_cast<CMainDlg*>(self);
    RunUpdate(dialog->m_state, dialog->hwnd());
    return 0;
}

LRESULT CMainDlg::OnStartRun() {
    if (m_pWorker) ::WaitForSingleObject(m_pWorker.get(), INFINITE);
    DWORD threadId = 0;
    m_pWorker.reset(::CreateThread(nullptr, 0, &CMainDlg::WorkerProc, this, 0, &threadId));
    if (!m_pWorker) {
        base::ShowErrorBox(kTextThreadFailed);
        ::PostQuitMessage(0);
    }
    return 0;
}

LRESULT CMainDlg::OnTransferProgress(LPARAM lParam) {
    const auto* record = reinterpret_cast<const transfer::TransferProgress*>(lParam);
    if (!record) return 0;
    const TransferDisplay display = DescribeTransferProgress(*record, ::GetTickCount());
    if (display.filePosition) m_fileBar.SetPos(*display.filePosition);
    if (display.totalPosition) m_totalBar.SetPos(*display.totalPosition);
    ::SetDlgItemTextA(hwnd(), IDC_FILE_INFO, display.fileInfo.c_str());
    ::SetDlgItemTextA(hwnd(), IDC_SUMMARY, display.summary.c_str());
    PaintReportedChanges();
    return 0;
}

// The bars and labels repaint with the window's next paint, which comes when
// its thread is idle. A worker that reports block after block may not leave
// it idle, so what changed is painted now, at most every kReportPaintMs: a
// fast download costs a few paints a second instead of several per block.
void CMainDlg::PaintReportedChanges() {
    const DWORD now = ::GetTickCount();
    if (m_dwLastReportPaint != 0 && now - m_dwLastReportPaint < kReportPaintMs) return;
    m_dwLastReportPaint = now;
    ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

LRESULT CMainDlg::OnRegisterProgress(LPARAM lParam) {
    const auto* progress = reinterpret_cast<const RegisterProgress*>(lParam);
    if (!progress) return 0;
    // Paces the registration (the worker waits for this sent message), so each item's step stays readable.
    ::Sleep(100);
    const RegisterDisplay display = DescribeRegisterProgress(*progress);
    m_fileBar.SetPos(display.filePosition);
    ::SetDlgItemTextA(hwnd(), IDC_FILE_INFO, display.fileInfo.c_str());
    return 0;
}

// Every static draws over the background without a brush of its own; the
// labels of the run write in white.
INT_PTR CMainDlg::OnCtlColor(HDC dc, HWND control) {
    if (IsWhiteLabel(::GetDlgCtrlID(control))) ::SetTextColor(dc, RGB(255, 255, 255));
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(::GetStockObject(NULL_BRUSH));
}

void CMainDlg::PaintMinimisedIcon() {
    const base::PaintDc paint(hwnd());
    const HDC dc = paint.get();
    ::SendMessageA(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(hwnd(), &client);
    const int x = (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
}

void CMainDlg::OpenAboutBox() { CAboutDlg().DoModal(hwnd()); }

bool CMainDlg::PreTranslateMessage(MSG& message) {
    if (message.message != WM_KEYDOWN) return false;
    if (message.wParam == VK_ESCAPE) return true;  // Escape must not close the updater
    if (message.wParam == VK_F1) {
        OpenAboutBox();
        return true;
    }
    return false;
}

INT_PTR CMainDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        if (!::IsIconic(hwnd())) return kNotHandled;
        PaintMinimisedIcon();
        return 0;
    case WM_CLOSE:
        ::PostQuitMessage(0);
        ::ShowWindow(hwnd(), SW_HIDE);
        return 0;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(m_hIcon);
    case WM_SIZE:
        if (wParam == SIZE_MINIMIZED) ::PostMessageA(hwnd(), WM_SHOWWINDOW, 0, SW_OTHERUNZOOM);
        return kNotHandled;
    case WM_DESTROY:
        m_imgBackground.reset();
        base::SetMainWindow(nullptr);
        app::ForgetWindowParts(hwnd());
        return kNotHandled;
    case WM_CTLCOLORSTATIC:
        return OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_ERASEBKGND:
        if (!OnEraseBackground(reinterpret_cast<HDC>(wParam))) return kNotHandled;
        ::SetWindowLongPtrA(hwnd(), DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_LBUTTONDOWN:
        // A press anywhere drags the borderless window.
        ::ReleaseCapture();
        ::SendMessageA(hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
        return kNotHandled;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case ID_SHOW_WINDOW:
            Show();
            return 0;
        case ID_QUIT_APP:
            ::PostQuitMessage(0);
            return 0;
        case ID_APP_ABOUT:
            OpenAboutBox();
            return 0;
        }
        return kNotHandled;
    case UM_RUN_DONE:
        EndDialog(IDOK);
        return 0;
    case UM_START_RUN:
        return OnStartRun();
    case UM_TRANSFER_PROGRESS:
        return OnTransferProgress(lParam);
    case UM_REGISTER_PROGRESS:
        return OnRegisterProgress(lParam);
    case WM_WINDOWPOSCHANGING:
        reinterpret_cast<WINDOWPOS*>(lParam)->flags |= SWP_SHOWWINDOW;  // the window stays visible
        return kNotHandled;
    default:
        return kNotHandled;
    }
}

}  // namespace app
