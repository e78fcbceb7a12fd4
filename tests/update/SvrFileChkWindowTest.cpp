// The server check from the Help menu, against a real HTTP server on 127.0.0.1.

#include "tests/support/MainWindowFixture.h"
#include "tests/update/TestHttpServer.h"

#include "app/Resource.h"
#include "update/SvrFileChk.h"

namespace {

constexpr const char* kDownload = "https://downloads.example.com/tarvos-n/setup";
constexpr const char* kNoInfo = "サーバに接続できないか、または、アップデート情報がありません。";

std::string info(const std::string& version, const std::string& checkUrl = "") {
    return "<dataroot><VERSION_INFO><VERSION>" + version + "</VERSION><URL_DOWN_LOAD>" + kDownload +
           "</URL_DOWN_LOAD><URL_VERSION_CHECK>" + checkUrl +
           "</URL_VERSION_CHECK><COPYRIGHT>c</COPYRIGHT></VERSION_INFO></dataroot>";
}

TestHttpServer::Reply reply(int status, std::string body) {
    TestHttpServer::Reply r;
    r.nStatus = status;
    r.strBody = std::move(body);
    return r;
}

bool is_busy_window(wxDialog* dlg) {
    return dynamic_cast<wxMessageDialog*>(dlg) == nullptr;
}

class SvrFileChkWindowTest : public CMainWindowTest {
protected:
    void SetUp() override {
        CMainWindowTest::SetUp();
        g_strUrlDownLoad.clear();
        WriteInfo(info("1.2.0", m_server.Url("/upd/")));
    }
    void TearDown() override {
        CMainWindowTest::TearDown();
        CSvrFileCheck::WaitForWorkers(std::chrono::milliseconds(5000));
    }

    // Runs the check from the menu; answers its message box with answer.
    void Check(CDialogScript& script, int answer, std::string* text, std::string* caption) {
        script.PassThrough(is_busy_window);
        script.Add(CDialogScript::Message(answer, text, caption));
        ClearTodaysLog();
        wxCommandEvent event(wxEVT_MENU, WxCommandId(ID_MENU_SVRFILECHK));
        m_dlg->ProcessWindowEvent(event);
        EXPECT_EQ(script.Left(), 0u);
        EXPECT_TRUE(script.Unexpected().empty());
    }

    TestHttpServer m_server;
};

} // namespace

TEST_F(SvrFileChkWindowTest, NewerReleaseAskedAndNoChangesNothing) {
    m_server.SetReply("/upd/n_info.xml", reply(200, info("1.10.0")));
    Start();
    MakeReady();
    CDialogScript script;
    std::string text, caption;
    Check(script, wxID_NO, &text, &caption);
    EXPECT_EQ(text, "更新ファイルが存在します。\n更新しますか？");
    EXPECT_EQ(caption, "更新");
    PumpFor(200);
    EXPECT_FALSE(Closed());
    EXPECT_EQ(m_dlg->m_nPendingAction, PENDING_NONE);
    EXPECT_EQ(g_strUrlDownLoad, kDownload); // taken from the local file by the check
    EXPECT_TRUE(m_opened.empty());
}

TEST_F(SvrFileChkWindowTest, NewerReleaseYesEndsTheProgramWithTheDownloadOpened) {
    m_server.SetReply("/upd/n_info.xml", reply(200, info("2.0")));
    Start();
    MakeReady();
    SetVar("test.answer", ""); // nothing to save
    CDialogScript script;
    Check(script, wxID_YES, nullptr, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return Closed(); }));
    EXPECT_EQ(m_opened, std::vector<std::string>{kDownload});
}

TEST_F(SvrFileChkWindowTest, OutcomesWithoutAnUpdate) {
    const struct {
        const char* name;
        TestHttpServer::Reply reply;
        const char* text;
        const char* caption;
        std::size_t logLines;
    } cases[] = {
        {"same release", reply(200, info("1.2.0")), "最新の選定システムを使用しています。", "更新",
         0},
        {"older server", reply(200, info("1.1.9")), "最新の選定システムを使用しています。", "更新",
         0},
        {"not found", reply(404, "missing"), kNoInfo, "確認", 3},
        {"not our document", reply(200, "<html><body>hello</body></html>"), kNoInfo, "確認", 2},
        {"over the size cap",
         reply(200, "<dataroot>" + std::string(1100 * 1024, ' ') + "</dataroot>"), kNoInfo, "確認",
         3},
    };
    Start();
    MakeReady();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_server.SetReply("/upd/n_info.xml", c.reply);
        CDialogScript script;
        std::string text, caption;
        Check(script, wxID_OK, &text, &caption);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(caption, c.caption);
        const auto lines = ReadTodaysLogLines();
        EXPECT_EQ(lines.size(), c.logLines);
        if (c.logLines > 0) {
            EXPECT_NE(lines.back().find(
                          std::string(",_SvrFileChk(),_SvrFileVersionCheckThread(),") + kNoInfo),
                      std::string::npos)
                << lines.back();
        }
        EXPECT_FALSE(Closed());
    }
}

TEST_F(SvrFileChkWindowTest, UnreachableServerLeavesThreeLogLines) {
    RefusingPort refusing;
    WriteInfo(info("1.2.0", "http://127.0.0.1:" + std::to_string(refusing.Port()) + "/upd/"));
    Start();
    MakeReady();
    CDialogScript script;
    std::string text, caption;
    Check(script, wxID_OK, &text, &caption);
    EXPECT_EQ(text, kNoInfo);
    EXPECT_EQ(caption, "確認");
    const auto lines = ReadTodaysLogLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find(",_GetXmlInf(),pDoc->load(),(#1005)"), std::string::npos) << lines[0];
    EXPECT_NE(
        lines[1].find(",_SvrFileVersionCheck(),_GetXmlInf(),XML情報取得（サーバ）に失敗しました。"),
        std::string::npos)
        << lines[1];
}

TEST_F(SvrFileChkWindowTest, SilentServerTimesOutWhileTheWindowKeepsWorking) {
    TestHttpServer::Reply silent{};
    silent.bNeverAnswer = true;
    m_server.SetReply("/upd/n_info.xml", silent);
    Start();
    MakeReady();
    m_dlg->m_svrChkTimeout = std::chrono::milliseconds(1500);

    int ticks = 0; // events the window handled while the check ran
    wxTimer ticker;
    ticker.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { ++ticks; });
    ticker.Start(50);
    CDialogScript script;
    std::string text, caption;
    const auto start = std::chrono::steady_clock::now();
    Check(script, wxID_OK, &text, &caption);
    ticker.Stop();
    const auto waited = std::chrono::steady_clock::now() - start;

    EXPECT_EQ(text, kNoInfo);
    EXPECT_EQ(caption, "更新");
    EXPECT_EQ(script.PassedThrough(), 1); // the busy window was up
    EXPECT_GE(waited, std::chrono::milliseconds(1400));
    EXPECT_GT(ticks, 10);
    // The window logs nothing for a time-out (the worker left behind may still note its own
    // failed transfer when that ends).
    for (const auto& line : ReadTodaysLogLines())
        EXPECT_EQ(line.find(",_SvrFileChk(),"), std::string::npos) << line;
    EXPECT_EQ(g_strUrlDownLoad, ""); // the late worker's result is ignored
}
