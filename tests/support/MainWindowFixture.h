#pragma once

// A main window on the scripted test movie, in a folder of its own.

#include "app/AppGlobals.h"
#include "app/BrennixDlg.h"
#include "bridge/NetworkState.h"
#include "tests/support/GuiTest.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <wx/weakref.h>

class CMainWindowTest : public ::testing::Test {
protected:
    static constexpr const char* kLoadFlag = "_level0.M_bLoadEndFlg";

    void SetUp() override {
        std::string tmpl = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp/") +
                           "brennix-app-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        m_dir = tmpl;
        std::filesystem::copy_file(BRENNIX_SOURCE_DIR "/tests/support/test_movie.html",
                                   m_dir / "Brennix.html");
        WriteInfo("<dataroot><VERSION_INFO><VERSION>1.2.0</VERSION>"
                  "<COPYRIGHT>Copyright test</COPYRIGHT></VERSION_INFO></dataroot>");
        g_strAppDir = m_dir.string() + "/";
        ClearTodaysLog();
    }

    void TearDown() override {
        if (m_ref) {
            m_ref->Destroy();
            PumpFor(50);
        }
        g_strAppDir.clear();
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }

    void WriteInfo(const std::string& xml) { std::ofstream(m_dir / "n_info.xml") << xml; }

    // Creates the window; waits until the test movie runs (not until it says it has loaded).
    void Start(const std::vector<std::string>& args = {}, bool waitForMovie = true) {
        m_dlg = new CBrennixDlg;
        m_ref = m_dlg;
        m_dlg->m_pNetwork = m_network;
        m_dlg->m_openUrl = [this](const std::string& url) {
            m_opened.push_back(url);
            return true;
        };
        ASSERT_TRUE(m_dlg->Create(args));
        if (waitForMovie) {
            ASSERT_TRUE(PumpUntil([&] { return Var("test.started") == "1"; }, 20000));
        }
    }

    // Reads a movie variable once no other call is running.
    std::string Var(const std::string& name) {
        PumpUntil([&] { return !m_dlg->m_swf.IsBusy(); });
        return m_dlg->m_swf.GetVariable(name);
    }
    void SetVar(const std::string& name, const std::string& value) {
        PumpUntil([&] { return !m_dlg->m_swf.IsBusy(); });
        m_dlg->m_swf.SetVariable(name, value);
    }
    // Lets the movie report that it has loaded, and waits for the commands.
    void MakeReady() {
        SetVar(kLoadFlag, "true");
        ASSERT_TRUE(PumpUntil([&] { return m_dlg->AreCommandsEnabled(); }));
    }
    bool Closed() const { return !m_ref; }

    std::filesystem::path m_dir;
    CBrennixDlg* m_dlg = nullptr;
    wxWeakRef<CBrennixDlg> m_ref;
    std::shared_ptr<CFixedNetworkState> m_network = std::make_shared<CFixedNetworkState>(true);
    std::vector<std::string> m_opened;
};
