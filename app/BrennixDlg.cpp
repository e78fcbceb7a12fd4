#include "app/BrennixDlg.h"

#include "app/AppGlobals.h"
#include "app/ErrorLog.h"
#include "app/FileDialog.h"
#include "app/Report.h"
#include "app/Resource.h"
#include "bridge/InvokeXml.h"
#include "bridge/NetworkState.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/PlayerCheck.h"
#include "res/Pictures.h"
#include "res/StringTable.h"
#include "update/SvrFileChk.h"

#include <wx/dialog.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/gauge.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/toolbar.h>
#include <wx/tooltip.h>
#include <wx/utils.h>
#include <wx/webview.h>

namespace {

constexpr const char* kTitle = "TARVOS-N series Model Selection System";
constexpr const char* kLoadFlag = "_level0.M_bLoadEndFlg";
constexpr int kWindowWidth = 1014;
constexpr int kWindowExtraHeight = 661;
constexpr int kPlayerWidth = 1000;
constexpr int kPlayerHeight = 600;

wxString wx(const std::string& s) {
    return wxString::FromUTF8(s.data(), s.size());
}

// Commands that are greyed while the movie loads: whatever reaches them then (a keyboard
// shortcut) is ignored like a click on a greyed item.
bool is_greyable(int nId) {
    switch (nId) {
    case IDM_ABOUTBOX:
        return false;
    default:
        return true;
    }
}

} // namespace

CBrennixDlg::CBrennixDlg()
    : m_pNetwork(CreateSystemNetworkState()), m_timerPoll(this, TIMER_LOADPOLL),
      m_timerSvrChk(this, TIMER_SVRFILECHK) {
    m_hIcon = LoadAppIcon();
    m_openUrl = [](const std::string& url) { return wxLaunchDefaultBrowser(wx(url)); };
}

CBrennixDlg::~CBrennixDlg() {
    m_timerPoll.Stop();
    m_timerSvrChk.Stop();
    // The player's view reports its own destruction to m_swf: let it go while m_swf exists.
    DestroyChildren();
}

bool CBrennixDlg::Create(const std::vector<std::string>& args) {
    m_args = args;
    if (OnCreate() == -1)
        return false;
    if (!wxFrame::Create(nullptr, IDD_BRENNIX_DIALOG, kTitle, wxDefaultPosition, wxDefaultSize,
                         wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxCLOSE_BOX |
                             wxCLIP_CHILDREN))
        return false;
    Bind(wxEVT_TIMER, [this](wxTimerEvent& e) { OnTimer(e.GetId()); });
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& e) {
        if (m_bQuitting || !e.CanVeto()) {
            Destroy();
            return;
        }
        // The window is never closed directly: the movie is asked for its data first.
        e.Veto();
        _WhenMovieIdle([this] { OnClose(); });
    });
    _BindCommand(ID_MENU_FILE_NEW, &CBrennixDlg::OnMenuFileNew);
    _BindCommand(ID_MENU_FILE_OPEN, &CBrennixDlg::OnMenuFileOpen);
    _BindCommand(ID_MENU_FILE_SAVE, &CBrennixDlg::OnMenuFileSave);
    _BindCommand(ID_MENU_FILE_SAVEAS, &CBrennixDlg::OnMenuFileSaveAs);
    _BindCommand(ID_MENU_EXIT, &CBrennixDlg::OnMenuExit);
    _BindCommand(ID_MENU_ABOUT, &CBrennixDlg::OnMenuAbout);
    _BindCommand(ID_MENU_SVRFILECHK, &CBrennixDlg::OnMenuSvrFileChk);
    _BindCommand(ID_TOOL_FILE_NEW, &CBrennixDlg::OnToolFileNew);
    _BindCommand(ID_TOOL_FILE_OPEN, &CBrennixDlg::OnToolFileOpen);
    _BindCommand(ID_TOOL_FILE_SAVE, &CBrennixDlg::OnToolFileSave);
    _BindCommand(ID_TOOL_FILE_SAVEAS, &CBrennixDlg::OnToolFileSaveAs);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnSysCommand(IDM_ABOUTBOX); }, IDM_ABOUTBOX);

    m_swf.SetEventHandlers(
        [this](const std::string& command, const std::string& args) {
            OnFSCommandSwf(command, args);
            ++m_nMovieAnswers;
        },
        [this](const std::string& request) { OnFlashCallSwf(request); });

    OnInitDialog();
    Show();
    return true;
}

bool CBrennixDlg::Destroy() {
    m_timerPoll.Stop();
    m_timerSvrChk.Stop();
    if (m_swf.IsBusy()) {
        CallAfter([this] { Destroy(); });
        return true;
    }
    m_swf.Detach();
    return wxFrame::Destroy();
}

int CBrennixDlg::OnCreate() {
    return CheckFlashPlayerVersion();
}

int CBrennixDlg::CheckFlashPlayerVersion() {
    // Runs before the window exists, so a report box has no owner yet.
    return ::CheckFlashPlayerVersion(GetHandle() ? this : nullptr);
}

bool CBrennixDlg::OnInitDialog() {
    // The player starts where the window layout first puts it; step 15 places it for good.
    const wxRect templateRect(ConvertDialogToPixels(wxPoint(11, 13)),
                              ConvertDialogToPixels(wxSize(139, 175)));
    const bool playerCreated = m_swf.Create(this, IDC_SWF, templateRect);
    if (m_hIcon.IsOk())
        SetIcons(m_hIcon);
    // Help > Version Information stays reachable with F1 while the menus are greyed: this
    // window system has no window menu to carry the item.
    wxAcceleratorEntry accel(wxACCEL_NORMAL, WXK_F1, IDM_ABOUTBOX);
    SetAcceleratorTable(wxAcceleratorTable(1, &accel));

    const char* kLabel = "CBrennixDlg::OnInitDialog()";
    auto fail = [&](const char* call, const char* code) {
        Show();
        ReportCodedFailure(this, BRX_SITE, kLabel, call, code);
        m_bFatalError = true;
        return false;
    };

    try {
        m_nPendingAction = PENDING_NONE;
        m_bFatalError = false;
        if (!playerCreated)
            throw CMovieCallError("The movie player cannot be created.");

        if (g_strAppDir.empty())
            g_strAppDir = ResolveAppDir();

        _BuildMenu();
        if (!m_wndMenu)
            return fail("m_wndMenu.LoadMenu()", "(#1001)");
        SetMenuBar(m_wndMenu);
        if (GetMenuBar() != m_wndMenu)
            return fail("SetMenu()", "(#1002)");

        m_wndToolBar = new wxToolBar;
        if (!m_wndToolBar->Create(this, wxID_ANY, wxPoint(0, 0), wxDefaultSize,
                                  wxTB_FLAT | wxTB_HORIZONTAL | wxTB_TEXT | wxTB_HORZ_LAYOUT |
                                      wxTB_NODIVIDER)) {
            delete m_wndToolBar;
            m_wndToolBar = nullptr;
            return fail("m_wndToolBar.CreateEx", "(#1003)");
        }
        if (!_BuildToolBar())
            return fail("m_wndToolBar.LoadToolBar()", "(#1004)");
        wxToolTip::Enable(true);

        m_swf.LoadMovie(0, g_strAppDir + kMovieFile);
        m_swf.Zoom(100);
        m_swf.StopPlay();

        _Layout();

        if (!_GetLocalVersionInf(&m_localInfo))
            return fail("_GetXmlInf()", "(#1006)");

        _EnableCommands(false);
        m_timerPoll.Start(100);
        return true;
    } catch (const std::exception& e) {
        m_bFatalError = true;
        Show();
        ReportException(this, BRX_SITE, kLabel, e);
        return false;
    }
}

void CBrennixDlg::_BuildMenu() {
    auto* file = new wxMenu;
    file->Append(WxCommandId(ID_MENU_FILE_NEW), "New\tCtrl+N");
    file->Append(WxCommandId(ID_MENU_FILE_OPEN), "Open...\tCtrl+O");
    file->Append(WxCommandId(ID_MENU_FILE_SAVE), "Save\tCtrl+S");
    file->Append(WxCommandId(ID_MENU_FILE_SAVEAS), "Save As...");
    file->AppendSeparator();
    file->Append(WxCommandId(ID_MENU_EXIT), "Exit");
    auto* help = new wxMenu;
    help->Append(WxCommandId(ID_MENU_ABOUT), wx(LoadStringRes(IDS_ABOUTBOX)));
    help->Append(WxCommandId(ID_MENU_SVRFILECHK), wx(LoadStringRes(ID_MENU_SVRFILECHK)));
    m_wndMenu = new wxMenuBar;
    m_wndMenu->Append(file, "&File");
    m_wndMenu->Append(help, "&Help");
}

bool CBrennixDlg::_BuildToolBar() {
    m_wndToolBar->SetToolBitmapSize(wxSize(16, 15));
    const struct {
        int id;
        int bitmap;
        const char* text;
    } tools[] = {
        {ID_TOOL_FILE_NEW, IDB_NEW, "New"},
        {ID_TOOL_FILE_OPEN, IDB_OPEN, "Open"},
        {ID_TOOL_FILE_SAVE, IDB_SAVE, "Save"},
        {ID_TOOL_FILE_SAVEAS, IDB_SAVEAS, "Save As"},
    };
    for (const auto& t : tools) {
        // The tip is the command's string; an id without one shows none.
        if (!m_wndToolBar->AddTool(WxCommandId(t.id), t.text, LoadResBitmap(t.bitmap),
                                   wx(LoadStringRes(t.id))))
            return false;
    }
    return m_wndToolBar->Realize();
}

void CBrennixDlg::_Layout() {
    m_nToolbarHeight = m_wndToolBar ? m_wndToolBar->GetBestSize().GetHeight() : 0;
    const int th = m_nToolbarHeight;
    const wxSize fixed(kWindowWidth, th + kWindowExtraHeight);
    SetSizeHints(fixed, fixed);
    SetSize(0, 0, fixed.GetWidth(), fixed.GetHeight());
    Move(0, 0);
    if (wxWebView* view = m_swf.GetView())
        view->SetSize(4, th + 4, kPlayerWidth, kPlayerHeight);
    m_swf.Zoom(100);
    if (m_wndToolBar)
        m_wndToolBar->SetSize(0, 0, GetClientSize().GetWidth(), th);
}

bool CBrennixDlg::_EnableCommands(bool bEnable) {
    m_bCommandsEnabled = bEnable;
    if (m_wndMenu) {
        m_wndMenu->EnableTop(0, bEnable);
        m_wndMenu->EnableTop(1, bEnable);
    }
    if (m_wndToolBar) {
        for (int id : {ID_TOOL_FILE_NEW, ID_TOOL_FILE_OPEN, ID_TOOL_FILE_SAVE, ID_TOOL_FILE_SAVEAS})
            m_wndToolBar->EnableTool(WxCommandId(id), bEnable);
    }
    return true;
}

void CBrennixDlg::OnTimer(int nIdEvent) {
    if (nIdEvent == TIMER_SVRFILECHK) {
        m_timerSvrChk.Stop();
        _SvrFileChk(true);
        return;
    }
    if (nIdEvent != TIMER_LOADPOLL)
        return;
    if (m_swf.IsBusy())
        return; // a call is still running: try on the next tick
    try {
        if (m_swf.GetVariable(kLoadFlag) != "true")
            return;
        m_timerPoll.Stop();
        _EnableCommands(true);
        if (m_args.size() == 1)
            _LoadFromFile(m_args[0]);
        if (m_onReady)
            m_onReady();
    } catch (const std::exception& e) {
        m_bFatalError = true;
        m_timerPoll.Stop();
        ReportException(this, BRX_SITE, "CBrennixDlg::OnTimer()", e);
    }
}

void CBrennixDlg::OnClose() {
    m_timerPoll.Stop();
    if (m_bFatalError) {
        _Quit();
        return;
    }
    try {
        _RequestExit(false);
    } catch (const std::exception& e) {
        ReportException(this, BRX_SITE, "CBrennixDlg::OnClose()", e);
        _Quit();
    }
}

void CBrennixDlg::OnSysCommand(int nId) {
    if ((nId & ~0xF) == IDM_ABOUTBOX)
        _ShowAbout(); // unguarded, like the window menu it stands for
}

void CBrennixDlg::_WhenMovieIdle(std::function<void()> fn) {
    if (m_swf.IsBusy()) {
        CallAfter([this, fn = std::move(fn)]() mutable { _WhenMovieIdle(std::move(fn)); });
        return;
    }
    fn();
}

void CBrennixDlg::_BindCommand(int nId, void (CBrennixDlg::*handler)()) {
    Bind(
        wxEVT_MENU,
        [this, nId, handler](wxCommandEvent&) {
            if (!m_bCommandsEnabled && is_greyable(nId))
                return;
            _WhenMovieIdle([this, handler] { (this->*handler)(); });
        },
        WxCommandId(nId));
}

void CBrennixDlg::OnMenuFileNew() {
    RunGuarded(this, BRX_SITE, "CBrennixDlg::OnMenuFileNew()", [&] { _RequestNew(); });
}
void CBrennixDlg::OnMenuFileOpen() {
    RunGuarded(this, BRX_SITE, "CBrennixDlg::OnMenuFileOpen()", [&] { _RequestOpen(); });
}
void CBrennixDlg::OnMenuFileSave() {
    RunGuarded(this, BRX_SITE, "CBrennixDlg::OnMenuFileSave()", [&] { _RequestSave(); });
}
void CBrennixDlg::OnMenuFileSaveAs() {
    RunGuarded(this, BRX_SITE, "CBrennixDlg::OnMenuFileSaveAs()", [&] { _RequestSaveAs(); });
}
void CBrennixDlg::OnMenuExit() {
    OnClose();
}
void CBrennixDlg::OnToolFileNew() {
    RunGuarded(this, BRX_SITE, "CBrennixDlg::OnToolFileNew()", [&] { _RequestNew(); });
}
void CBrennixDlg::OnToolFileOpen() {
    RunGuarded(this, BRX_SITE, "CBrennixDlg::OnToolFileOpen()", [&] { _RequestOpen(); });
}
void CBrennixDlg::OnToolFileSave() {
    RunGuarded(this, BRX_SITE, "CBrennixDlg::OnToolFileSave()", [&] { _RequestSave(); });
}
void CBrennixDlg::OnToolFileSaveAs() {
    RunGuarded(this, BRX_SITE, "CBrennixDlg::OnToolFileSaveAs()", [&] { _RequestSaveAs(); });
}
void CBrennixDlg::OnMenuAbout() {
    RunGuarded(this, BRX_SITE, "CBrennixDlg::OnMenuAbout()", [&] { _ShowAbout(); });
}

void CBrennixDlg::_ShowAbout() {
    CAboutDlg dlg(this);
    dlg._SetVerInfo(&m_localInfo);
    dlg.ShowModal();
}
void CBrennixDlg::OnMenuSvrFileChk() {
    RunGuarded(this, BRX_SITE, "CBrennixDlg::OnMenuSvrFileChk()", [&] { _SvrFileChk(false); });
}

namespace {

// Shown while the server check runs: the window keeps painting, and the user cannot give
// commands until the check is over.
class CCheckBusyDlg : public wxDialog {
public:
    CCheckBusyDlg(wxWindow* parent, CSvrFileCheck& check)
        : wxDialog(parent, wxID_ANY, "更新", wxDefaultPosition, wxDefaultSize, wxCAPTION),
          m_check(check), m_timer(this) {
        auto* sizer = new wxBoxSizer(wxVERTICAL);
        sizer->Add(new wxStaticText(this, wxID_ANY, wx(LoadStringRes(ID_MENU_SVRFILECHK)) + "..."),
                   0, wxALL, 12);
        m_gauge = new wxGauge(this, wxID_ANY, 100, wxDefaultPosition, wxSize(280, -1));
        sizer->Add(m_gauge, 0, wxLEFT | wxRIGHT | wxBOTTOM | wxEXPAND, 12);
        SetSizerAndFit(sizer);
        CentreOnParent();
        Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
            m_gauge->Pulse();
            if (m_check.IsDone())
                EndModal(wxID_OK);
        });
        Bind(wxEVT_CLOSE_WINDOW, [](wxCloseEvent& e) { e.Veto(); });
        m_timer.Start(50);
    }

private:
    CSvrFileCheck& m_check;
    wxTimer m_timer;
    wxGauge* m_gauge = nullptr;
};

} // namespace

bool CBrennixDlg::_SvrFileChk(bool bQuiet) {
    CSvrFileCheck check;
    if (!check.Start(m_svrChkTimeout) || !check.WaitFor(std::chrono::milliseconds(150))) {
        // Most checks end at once; a slow one gets a window that says what is going on.
        CCheckBusyDlg busy(this, check);
        busy.ShowModal();
    }
    const SvrFileChkOutcome outcome = _SvrFileChkOutcome(check.Result(), bQuiet);
    if (outcome.bLogFailure)
        LogSvrFileChkFailure();
    if (!outcome.bShow)
        return true;
    long style = outcome.buttons == SvrFileChkButtons::YesNo ? wxYES_NO : wxOK;
    switch (outcome.icon) {
    case SvrFileChkIcon::None:
        style |= wxICON_NONE;
        break;
    case SvrFileChkIcon::Information:
        style |= wxICON_INFORMATION;
        break;
    case SvrFileChkIcon::Warning:
        style |= wxICON_WARNING;
        break;
    }
    wxMessageDialog box(this, wx(outcome.strText), wx(outcome.strCaption), style);
    const int answer = box.ShowModal();
    if (outcome.bAskUpdate && answer == wxID_YES)
        _RequestExit(true);
    return true;
}

std::string CBrennixDlg::_CreateInvokeXml(std::string strName, std::string strArgument) {
    return CreateInvokeXml(strName, strArgument);
}

void CBrennixDlg::OnFlashCallSwf(const std::string& request) {
    const CInvokeRequest parsed = ParseInvokeRequest(request);
    switch (parsed.nResult) {
    case EInvokeParse::NotWellFormed:
        ShowErrorBox(this, "(#1005)");
        return;
    case EInvokeParse::NotInvoke:
        ShowErrorBox(this, "(#1007)");
        return;
    case EInvokeParse::NoName:
        return; // dropped without an answer
    case EInvokeParse::Ok:
        break;
    }
    if (parsed.strName != "checkNetworkEnable")
        return;
    try {
        const bool connected = m_pNetwork && m_pNetwork->IsConnected();
        m_swf.CallFunction(_CreateInvokeXml("setNetworkEnable", connected ? "true" : "false"));
    } catch (const std::exception& e) {
        // The movie gets no answer; the user is not troubled with it.
        LogReport(g_ErrorLog, BRX_SITE, "CBrennixDlg::OnFlashCallSwf()", "m_swf.CallFunction()",
                  ExceptionText(e));
    }
}

void CBrennixDlg::_SetMovieVariable(const std::string& strName, const std::string& strValue) {
    m_swf.SetVariable(strName, strValue);
}

CBrennixDoc::EAnswer CBrennixDlg::_AskSaveChanges(const std::string& strPrompt) {
    wxMessageDialog dlg(this, wx(strPrompt), "Save", wxYES_NO | wxCANCEL | wxICON_WARNING);
    switch (dlg.ShowModal()) {
    case wxID_YES:
        return EAnswer::Yes;
    case wxID_NO:
        return EAnswer::No;
    default:
        return EAnswer::Cancel;
    }
}

void CBrennixDlg::_ShowNoDataToSave() {
    wxMessageDialog dlg(this, "There is no data to save.", "Save", wxOK | wxICON_NONE);
    dlg.ShowModal();
}

std::optional<std::string> CBrennixDlg::_AskSavePath(const std::string& strInitial) {
    const wxFileName initial(wx(strInitial));
    CFileDialog dlg(this, "Save As", initial.GetPath(), initial.GetFullName(), kSaveFilter,
                    wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    for (;;) {
        if (dlg.ShowModal() != wxID_OK)
            return std::nullopt;
        wxFileName chosen(dlg.GetChosenPath());
        if (chosen.GetExt().empty()) {
            // The default extension; the name so made may exist, so confirm as the dialog would.
            chosen.SetExt("nsr");
            if (chosen.FileExists()) {
                wxMessageDialog ask(
                    this,
                    wxString::Format("%s already exists.\nDo you want to replace it?",
                                     chosen.GetFullName()),
                    "Save As", wxYES_NO | wxICON_WARNING);
                if (ask.ShowModal() != wxID_YES)
                    continue;
            }
        }
        return chosen.GetFullPath().utf8_string();
    }
}

std::optional<std::string> CBrennixDlg::_AskOpenPath() {
    // "All Files" is "*" here: "*.*" would hide names without a dot.
    CFileDialog dlg(this, "Open", wxEmptyString, wxEmptyString,
                    "TARVOS-N series Model Selection System Data(*.nsr)|*.nsr|All Files|*",
                    wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dlg.ShowModal() != wxID_OK)
        return std::nullopt;
    return dlg.GetChosenPath().utf8_string();
}

void CBrennixDlg::_ShowError(const std::string& strText) {
    ShowErrorBox(this, strText);
}

void CBrennixDlg::_OpenUrl(const std::string& strUrl) {
    if (m_openUrl)
        m_openUrl(strUrl);
}

void CBrennixDlg::_Quit() {
    if (m_bQuitting)
        return;
    m_bQuitting = true;
    m_timerPoll.Stop();
    // Leave the current event (often the movie's) before the window goes.
    CallAfter([this] { Destroy(); });
}

std::string CBrennixDlg::_DownloadUrl() const {
    return g_strUrlDownLoad;
}
