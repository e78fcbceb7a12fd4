// main() for tests of real windows: one wx application for the whole run.

#include "tests/support/GuiTest.h"

#include "app/ErrorLog.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <wx/evtloop.h>
#include <wx/init.h>

namespace {
class CTestApp : public wxApp {
public:
    bool OnInit() override { return true; }
};
} // namespace

std::vector<std::string> ReadTodaysLogLines() {
    std::vector<std::string> lines;
    std::ifstream in(g_ErrorLog.GetLogPath(std::time(nullptr)));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

void ClearTodaysLog() {
    std::remove(g_ErrorLog.GetLogPath(std::time(nullptr)).c_str());
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    wxApp::SetInstance(new CTestApp);
    int wxArgc = 1;
    char* wxArgv[] = {argv[0], nullptr};
    if (!wxEntryStart(wxArgc, wxArgv)) {
        std::fprintf(stderr, "cannot start the window system (is DISPLAY set?)\n");
        return 2;
    }
    wxTheApp->CallOnInit();
    wxTheApp->SetExitOnFrameDelete(false);
    // A failed wx assertion (an unexpected modal dialog in a scripted test, say) fails the test.
    wxSetAssertHandler([](const wxString& file, int line, const wxString& func,
                          const wxString& cond, const wxString& msg) {
        ADD_FAILURE_AT(file.utf8_str(), line) << "wx assertion in " << func.utf8_string() << ": "
                                              << cond.utf8_string() << " " << msg.utf8_string();
    });
    int rc;
    {
        wxGUIEventLoop loop;
        wxEventLoopActivator activate(&loop);
        rc = RUN_ALL_TESTS();
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    return rc;
}
