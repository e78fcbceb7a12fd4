#include "app/BrennixApp.h"

#include "app/BrennixDlg.h"
#include "update/SvrFileChk.h"

#include <cstdlib>
#include <fstream>
#include <wx/filename.h>

wxIMPLEMENT_APP(CBrennixApp);

bool CBrennixApp::OnInit() {
    // No wxApp::OnInit(): its option parser would refuse a data file that starts with '-'.
    SetAppName("brennix");
    SetAppDisplayName("TARVOS-N series Model Selection System");

    // A relative path names a file in the folder the program was started from.
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        wxFileName name(argv[i]);
        name.MakeAbsolute();
        args.push_back(name.GetFullPath().utf8_string());
    }

    auto* dlg = new CBrennixDlg;
    if (const char* ready = std::getenv("BRENNIX_READY_FILE"); ready && *ready) {
        // Scripts (the run script, the package check) wait for this file to appear.
        std::string path = ready;
        dlg->m_onReady = [path] { std::ofstream(path) << "ready\n"; };
    }
    if (!dlg->Create(args)) {
        delete dlg;
        return false;
    }
    SetTopWindow(dlg);
    return true;
}

int CBrennixApp::OnExit() {
    // A server check that outlived its bound still writes to the error log when it ends;
    // give it a moment so it does not outlive the log itself.
    CSvrFileCheck::WaitForWorkers(std::chrono::milliseconds(2000));
    return wxApp::OnExit();
}
