#pragma once

#include "bridge/ShockwaveFlash.h"
#include "data/DocumentWorkflow.h"
#include "update/VersionInf.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <wx/frame.h>
#include <wx/iconbndl.h>
#include <wx/timer.h>

class wxMenuBar;
class wxToolBar;
class INetworkState;

// The main window: menu bar, toolbar and the movie player. The program ends when it ends.
class CBrennixDlg : public wxFrame, public CBrennixDoc {
public:
    CBrennixDlg();
    ~CBrennixDlg() override;

    // Checks the movie player, creates the window and builds it. False when the player
    // check stopped start-up (the window then does not exist).
    bool Create(const std::vector<std::string>& args = {});
    // Never while a movie call runs: the call's wait would delete the window under it.
    bool Destroy() override;

    // Start-up steps and handlers, public so tests can drive them as the window system does.
    int OnCreate();
    bool OnInitDialog();
    void OnTimer(int nIdEvent);
    void OnClose();
    void OnSysCommand(int nId);
    int CheckFlashPlayerVersion();
    bool _EnableCommands(bool bEnable);

    void OnMenuFileNew();
    void OnMenuFileOpen();
    void OnMenuFileSave();
    void OnMenuFileSaveAs();
    void OnMenuExit();
    void OnMenuAbout();
    void OnMenuSvrFileChk();
    void OnToolFileNew();
    void OnToolFileOpen();
    void OnToolFileSave();
    void OnToolFileSaveAs();

    void OnFlashCallSwf(const std::string& request);
    static std::string _CreateInvokeXml(std::string strName, std::string strArgument);

    bool _SvrFileChk(bool bQuiet);
    // The bound of one server check (shortened by tests).
    std::chrono::milliseconds m_svrChkTimeout{30000};

    // How many data answers of the movie have been handled (for diagnostics and tests).
    int m_nMovieAnswers = 0;
    bool AreCommandsEnabled() const { return m_bCommandsEnabled; }
    bool IsPollRunning() const { return m_timerPoll.IsRunning(); }
    int GetToolbarHeight() const { return m_nToolbarHeight; }

    // The movie's file name beside the executable, and the information file's.
    static constexpr const char* kMovieFile = "Brennix.html";

    CShockwaveFlash m_swf;
    wxIconBundle m_hIcon;
    wxMenuBar* m_wndMenu = nullptr;
    wxToolBar* m_wndToolBar = nullptr;
    VersionInf m_localInfo;

    // Replaceable for tests: the network state the movie is told, and how addresses open.
    std::shared_ptr<INetworkState> m_pNetwork;
    std::function<bool(const std::string&)> m_openUrl;
    // Called when the commands become enabled (start-up finished), after a command-line file
    // has been opened.
    std::function<void()> m_onReady;

protected:
    void _SetMovieVariable(const std::string& strName, const std::string& strValue) override;
    EAnswer _AskSaveChanges(const std::string& strPrompt) override;
    void _ShowNoDataToSave() override;
    std::optional<std::string> _AskSavePath(const std::string& strInitial) override;
    std::optional<std::string> _AskOpenPath() override;
    void _ShowError(const std::string& strText) override;
    void _OpenUrl(const std::string& strUrl) override;
    void _Quit() override;
    std::string _DownloadUrl() const override;

private:
    void _ShowAbout();
    void _BuildMenu();
    bool _BuildToolBar();
    void _Layout();
    // Runs a command once no movie call is in progress (the player's nested loop can deliver
    // a click while it waits for a result).
    void _WhenMovieIdle(std::function<void()> fn);
    void _BindCommand(int nId, void (CBrennixDlg::*handler)());

    wxTimer m_timerPoll;
    wxTimer m_timerSvrChk;
    bool m_bCommandsEnabled = true;
    bool m_bQuitting = false;
    int m_nToolbarHeight = 0;
    std::vector<std::string> m_args;
};
