#include "tests/support/MainWindowFixture.h"

#include "app/ErrorLog.h"
#include "app/Resource.h"
#include "dialogs/AboutDlg.h"

#include <wx/menu.h>
#include <wx/toolbar.h>
#include <wx/uiaction.h>
#include <wx/webview.h>

namespace {

bool tools_enabled(CBrennixDlg* dlg, bool expected) {
    for (int id : {ID_TOOL_FILE_NEW, ID_TOOL_FILE_OPEN, ID_TOOL_FILE_SAVE, ID_TOOL_FILE_SAVEAS})
        if (dlg->m_wndToolBar->GetToolEnabled(WxCommandId(id)) != expected)
            return false;
    return true;
}

void send_command(CBrennixDlg* dlg, int id) {
    wxCommandEvent event(wxEVT_MENU, WxCommandId(id));
    event.SetEventObject(dlg);
    dlg->ProcessWindowEvent(event);
}

} // namespace

using MainWindowTest = CMainWindowTest;

TEST_F(MainWindowTest, CommandsStayGreyedUntilTheLoadFlagReadsExactlyTrue) {
    Start();
    EXPECT_FALSE(m_dlg->AreCommandsEnabled());
    EXPECT_FALSE(m_dlg->m_wndMenu->IsEnabledTop(0));
    EXPECT_FALSE(m_dlg->m_wndMenu->IsEnabledTop(1));
    EXPECT_TRUE(tools_enabled(m_dlg, false));

    for (const char* almost : {"", "True", "1", "true ", "TRUE"}) {
        SCOPED_TRACE(almost);
        SetVar(kLoadFlag, almost);
        PumpFor(350); // several polls
        EXPECT_FALSE(m_dlg->AreCommandsEnabled());
        EXPECT_TRUE(m_dlg->IsPollRunning());
    }

    SetVar(kLoadFlag, "true");
    ASSERT_TRUE(PumpUntil([&] { return m_dlg->AreCommandsEnabled(); }));
    EXPECT_FALSE(m_dlg->IsPollRunning());
    EXPECT_TRUE(m_dlg->m_wndMenu->IsEnabledTop(0));
    EXPECT_TRUE(m_dlg->m_wndMenu->IsEnabledTop(1));
    EXPECT_TRUE(tools_enabled(m_dlg, true));
}

TEST_F(MainWindowTest, WindowAndPlayerGeometry) {
    Start();
    const int th = m_dlg->GetToolbarHeight();
    EXPECT_GT(th, 15);
    EXPECT_EQ(m_dlg->GetPosition(), wxPoint(0, 0));
    EXPECT_EQ(m_dlg->GetSize(), wxSize(1014, th + 661));
    wxWebView* view = m_dlg->m_swf.GetView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetId(), IDC_SWF);
    EXPECT_EQ(view->GetPosition(), wxPoint(4, th + 4));
    EXPECT_EQ(view->GetSize(), wxSize(1000, 600));
    EXPECT_EQ(m_dlg->m_wndToolBar->GetPosition(), wxPoint(0, 0));
    EXPECT_EQ(m_dlg->GetTitle(), "TARVOS-N series Model Selection System");
    // Fixed size: the window cannot be resized.
    EXPECT_EQ(m_dlg->GetMinSize(), m_dlg->GetMaxSize());
    EXPECT_FALSE(m_dlg->HasFlag(wxRESIZE_BORDER));
}

TEST_F(MainWindowTest, MenuAndToolbarTextsAndTips) {
    Start();
    wxMenuBar* bar = m_dlg->m_wndMenu;
    EXPECT_EQ(bar->GetMenuLabel(0), "&File");
    EXPECT_EQ(bar->GetMenuLabel(1), "&Help");
    const struct {
        int id;
        const char* label;
    } items[] = {{ID_MENU_FILE_NEW, "New\tCtrl+N"},
                 {ID_MENU_FILE_OPEN, "Open...\tCtrl+O"},
                 {ID_MENU_FILE_SAVE, "Save\tCtrl+S"},
                 {ID_MENU_FILE_SAVEAS, "Save As..."},
                 {ID_MENU_EXIT, "Exit"},
                 {ID_MENU_ABOUT, "Version Information"}};
    for (const auto& item : items) {
        SCOPED_TRACE(item.label);
        ASSERT_NE(bar->FindItem(WxCommandId(item.id)), nullptr);
        EXPECT_EQ(bar->FindItem(WxCommandId(item.id))->GetItemLabel(), item.label);
    }
    const struct {
        int id;
        const char* text;
        const char* tip;
    } tools[] = {{ID_TOOL_FILE_NEW, "New", "New"},
                 {ID_TOOL_FILE_OPEN, "Open", "Open"},
                 {ID_TOOL_FILE_SAVE, "Save", "Save"},
                 {ID_TOOL_FILE_SAVEAS, "Save As", "名前を付けて保存"}};
    for (int pos = 0; pos < 4; ++pos) {
        const wxToolBarToolBase* tool = m_dlg->m_wndToolBar->GetToolByPos(pos);
        ASSERT_NE(tool, nullptr);
        EXPECT_EQ(tool->GetId(), WxCommandId(tools[pos].id));
        EXPECT_EQ(tool->GetLabel(), tools[pos].text);
        EXPECT_EQ(tool->GetShortHelp().utf8_string(), tools[pos].tip);
        EXPECT_EQ(tool->GetNormalBitmap().GetSize(), wxSize(16, 15));
    }
}

TEST_F(MainWindowTest, RefusedMovieCallInACommandIsReportedUnderItsLabel) {
    Start();
    MakeReady();
    SetVar("test.break", "1");
    PumpFor(100); // the movie breaks its side of the bridge

    const struct {
        int id;
        const char* label;
    } commands[] = {{ID_MENU_FILE_NEW, "CBrennixDlg::OnMenuFileNew()"},
                    {ID_TOOL_FILE_NEW, "CBrennixDlg::OnToolFileNew()"},
                    {ID_MENU_FILE_SAVE, "CBrennixDlg::OnMenuFileSave()"}};
    for (const auto& c : commands) {
        SCOPED_TRACE(c.label);
        ClearTodaysLog();
        std::string text, caption;
        wxTEST_DIALOG(send_command(m_dlg, c.id), CExpectMessage(wxID_OK, &text, &caption));
        EXPECT_EQ(text, "Processing cannot be continued.(#10001)");
        EXPECT_EQ(caption, "Error");
        const auto lines = ReadTodaysLogLines();
        ASSERT_EQ(lines.size(), 1u);
        const std::string columns = std::string(",") + c.label + "," + c.label + ",";
        EXPECT_NE(lines[0].find(columns), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find("the movie refuses the call"), std::string::npos) << lines[0];
        // The window goes on, and the pending action recorded before the failure stays.
        EXPECT_FALSE(Closed());
    }
    EXPECT_EQ(m_dlg->m_nPendingAction, PENDING_SAVE);
}

TEST_F(MainWindowTest, EnterAndEscapeReachTheMovieAndLeaveTheWindowOpen) {
    Start();
    MakeReady();
    m_dlg->Raise();
    wxUIActionSimulator sim;
    // Without a window manager nothing activates the window: click into the movie until its
    // page has the keyboard.
    wxWebView* view = m_dlg->m_swf.GetView();
    ASSERT_TRUE(PumpUntil(
        [&] {
            sim.MouseMove(view->GetScreenRect().GetPosition() + wxPoint(500, 580));
            PumpFor(50);
            sim.MouseClick();
            view->SetFocus();
            PumpFor(150);
            return m_dlg->m_swf.CallFunction(CBrennixDlg::_CreateInvokeXml("hasFocus", "")) ==
                   "<string>true</string>";
        },
        5000));
    for (int key : {WXK_RETURN, WXK_ESCAPE, WXK_RETURN}) {
        sim.Char(key);
        PumpFor(100);
    }
    EXPECT_TRUE(PumpUntil([&] { return Var("test.keys") == "Enter,Escape,Enter,"; }, 3000))
        << Var("test.keys");
    EXPECT_FALSE(Closed());
    EXPECT_TRUE(m_dlg->IsShown());
    EXPECT_EQ(m_dlg->m_nPendingAction, PENDING_NONE);
}

TEST_F(MainWindowTest, NoScriptCallStartsWhileAnotherRuns) {
    Start();
    // The load flag is already "true" when a slow call starts: the poll ticks during the
    // call's nested event loop must neither run a call of their own nor take its result.
    m_dlg->m_swf.SetVariable(kLoadFlag, "true");
    EXPECT_FALSE(m_dlg->AreCommandsEnabled());
    bool refusedWhileBusy = false;
    wxTimer probe;
    probe.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (!m_dlg->m_swf.IsBusy())
            return;
        try {
            m_dlg->m_swf.GetVariable(kLoadFlag);
        } catch (const CMovieCallError&) {
            refusedWhileBusy = true;
        }
    });
    probe.Start(20);
    const std::string result =
        m_dlg->m_swf.CallFunction(CBrennixDlg::_CreateInvokeXml("slowEcho", "echo"));
    probe.Stop();
    EXPECT_EQ(result, "<string>echo</string>");
    EXPECT_TRUE(refusedWhileBusy);
    // The poll picks the flag up once the call is over.
    EXPECT_TRUE(PumpUntil([&] { return m_dlg->AreCommandsEnabled(); }));
}

TEST_F(MainWindowTest, MissingInformationFileFailsStartUpButKeepsTheWindow) {
    std::filesystem::remove(m_dir / "n_info.xml");
    std::string text;
    wxTEST_DIALOG(Start({}, false), CExpectMessage(wxID_OK, &text));
    EXPECT_EQ(text, "Processing cannot be continued.(#1006)");
    EXPECT_TRUE(m_dlg->m_bFatalError);
    // Built as far as it got: commands never greyed, no poll.
    EXPECT_TRUE(m_dlg->AreCommandsEnabled());
    EXPECT_FALSE(m_dlg->IsPollRunning());
    EXPECT_TRUE(m_dlg->IsShown());
    bool found = false;
    for (const auto& line : ReadTodaysLogLines())
        found = found || line.find(",CBrennixDlg::OnInitDialog(),_GetXmlInf(),Processing cannot "
                                   "be continued.(#1006)") != std::string::npos;
    EXPECT_TRUE(found);

    // Closing now ends the program at once, without asking the movie.
    m_dlg->Close();
    EXPECT_TRUE(PumpUntil([&] { return Closed(); }, 3000));
}

TEST_F(MainWindowTest, ClosingWhileLoadingStopsThePollAndEndsWhenTheMovieAnswers) {
    Start();
    SetVar("test.answer", ""); // nothing to save
    m_dlg->Close();
    ASSERT_TRUE(PumpUntil([&] { return Closed(); }, 5000));
}

TEST_F(MainWindowTest, ClosingWhileLoadingWithAMovieThatNeverAnswersLeavesTheExitPending) {
    Start();
    SetVar("test.silent", "1");
    CDialogScript script;
    m_dlg->Close();
    PumpFor(300);
    EXPECT_FALSE(Closed());
    EXPECT_EQ(m_dlg->m_nPendingAction, PENDING_EXIT);
    // The poll has stopped for good: the commands stay greyed even once the movie has loaded.
    EXPECT_FALSE(m_dlg->IsPollRunning());
    SetVar(kLoadFlag, "true");
    PumpFor(300);
    EXPECT_FALSE(m_dlg->AreCommandsEnabled());
    EXPECT_TRUE(script.Unexpected().empty());
    // Closing again repeats the request; still nothing visible happens.
    m_dlg->Close();
    PumpFor(300);
    EXPECT_FALSE(Closed());
}

TEST_F(MainWindowTest, ClosingWhenTheMovieRefusesTheRequestReportsAndEnds) {
    Start();
    SetVar("test.break", "1"); // from now on the movie takes no request
    PumpFor(100);
    wxTEST_DIALOG(m_dlg->Close(), CExpectMessage(wxID_OK));
    // The refused exit request is reported and the program ends, as nothing else can end it.
    EXPECT_TRUE(PumpUntil([&] { return Closed(); }, 3000));
}

TEST_F(MainWindowTest, VersionInformationOpensFromHelpAndWhileTheMenusAreGreyed) {
    Start(); // still loading: File and Help are greyed
    std::vector<std::string> versions;
    CDialogScript script;
    auto seeVersion = [&](wxDialog* dlg) -> int {
        if (auto* about = dynamic_cast<CAboutDlg*>(dlg))
            versions.push_back(about->m_strVersion);
        return wxID_OK;
    };
    script.Add(seeVersion);
    script.Add(seeVersion);
    // The window-menu stand-in (F1) works while loading; the Help item is ignored then.
    send_command(m_dlg, IDM_ABOUTBOX);
    send_command(m_dlg, ID_MENU_ABOUT);
    MakeReady();
    send_command(m_dlg, ID_MENU_ABOUT);
    EXPECT_EQ(versions, (std::vector<std::string>{"Ver. 1.2.0", "Ver. 1.2.0"}));
    EXPECT_TRUE(script.Unexpected().empty());
}
