// The server version check: version comparison, the whole check against a local HTTP server,
// and what the window shows for each outcome.
#include "LogTail.h"
#include "TempDir.h"
#include "TestHttpServer.h"

#include "app/AppGlobals.h"
#include "update/SvrFileChk.h"
#include "update/VersionInf.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The test server lives on 127.0.0.1; a proxy from the environment must not get in between.
const bool kNoProxy = [] {
    ::setenv("no_proxy", "127.0.0.1,localhost", 1);
    ::setenv("NO_PROXY", "127.0.0.1,localhost", 1);
    return true;
}();

const std::string kNoUpdateInfo = "サーバに接続できないか、または、アップデート情報がありません。";

// ---- Splitting and comparing versions -------------------------------------------------------

struct VersionCase {
    const char* local;
    const char* server;
    std::vector<std::string> localPieces;
    bool bServerNewer;
};

TEST(VersionCompare, SplitAndCompare) {
    const VersionCase cases[] = {
        {"1.9", "1.10", {"1", "9"}, true},        // 9 padded to 09 is less than 10
        {"1.10", "1.9", {"1", "10"}, false},      // the longer component is not older
        {"2.0", "1.5", {"2", "0"}, false},        // the first component decides
        {"1.0", "1.0.1", {"1", "0"}, false},      // only the local number of components counts
        {"1.0", "1.0", {"1", "0"}, false},        // equal
        {"", "1.0", {}, false},                   // no local component: nothing compared
        {"1.0.1", "1.0", {"1", "0", "1"}, false}, // shorter server version: not newer
        {"1.0", "", {"1", "0"}, false},           // empty server version: not newer
        {"1.2", "1.3", {"1", "2"}, true},
        {"9", "10", {"9"}, true},
        {"0.9", "1", {"0", "9"}, true}, // decided before the server runs out
        {"1.09", "1.10", {"1", "09"}, true},
        {"1.010", "1.9", {"1", "010"}, false},   // a leading zero makes the local one longer
        {"1..2", "1.0.3", {"1", "", "2"}, true}, // empty piece padded to "0"
        {"1.", "1.1", {"1", ""}, true},          // trailing point: empty last piece
        {"1.0", "1.", {"1", "0"}, false},
        {"1.a", "1.b", {"1", "a"}, true}, // byte order for what is not a digit
        {".", "0.0", {"", ""}, false},
    };
    for (const VersionCase& c : cases) {
        SCOPED_TRACE(std::string("local '") + c.local + "' server '" + c.server + "'");
        std::vector<std::string> pieces{"stale"};
        _SplitString(c.local, ".", &pieces);
        EXPECT_EQ(pieces, c.localPieces);
        EXPECT_EQ(_IsServerVersionNewer(c.local, c.server), c.bServerNewer);
    }
}

TEST(VersionCompare, SeparatorLongerThanOneCharacter) {
    std::vector<std::string> pieces;
    _SplitString("a--b----c", "--", &pieces);
    EXPECT_EQ(pieces, (std::vector<std::string>{"a", "b", "", "c"}));
}

// ---- The whole check against a server on 127.0.0.1 ------------------------------------------

std::string info_document(const std::string& version, const std::string& urlDown,
                          const std::string& urlCheck) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<dataroot><VERSION_INFO>"
           "<COPYRIGHT>Copyright</COPYRIGHT><URL_DOWN_LOAD>" +
           urlDown + "</URL_DOWN_LOAD><URL_VERSION_CHECK>" + urlCheck +
           "</URL_VERSION_CHECK><VERSION>" + version + "</VERSION></VERSION_INFO></dataroot>\n";
}

std::string oversized_document() {
    std::string doc = info_document("9.9", "", "");
    doc.insert(doc.find("</dataroot>"), "<!--" + std::string(kMaxInfoDocumentSize, 'x') + "-->");
    return doc;
}

enum class Server {
    Serve,           // the server's document is served
    ServeRedirected, // reached through a redirect to another http path
    RedirectToFile,  // a redirect to a file: address
    NotFound,
    Refused,
    NeverAnswers,
    Oversized,        // with Content-Length
    OversizedUnsized, // without Content-Length
    RootNotDataroot,
    LocalMissing, // no local information file
};

struct CheckCase {
    const char* name;
    const char* localVersion;
    Server server;
    const char* serverVersion;
    std::chrono::milliseconds bound;
    int nResult;
    bool bUpdateFile;         // "Varnetic.msi" in the file list
    bool bGlobalsCopied;      // the local addresses reach g_strUrlDownLoad / g_strUrlVersionCheck
    std::vector<LogLine> log; // includes the caller's record on outcome 1
};

void PrintTo(const CheckCase& c, std::ostream* os) {
    *os << c.name;
}

const LogLine kReaderLine{"_GetXmlInf()", "pDoc->load()", "(#1005)"};
const LogLine kWorkerServerLine{"_SvrFileVersionCheck()", "_GetXmlInf()",
                                "XML情報取得（サーバ）に失敗しました。"};
const LogLine kCallerLine{"_SvrFileChk()", "_SvrFileVersionCheckThread()", kNoUpdateInfo};

std::vector<CheckCase> check_cases() {
    const std::vector<LogLine> serverFailed{kReaderLine, kWorkerServerLine, kCallerLine};
    return {
        {"NewerRelease", "1.9", Server::Serve, "1.10", 10s, 3, true, true, {}},
        {"SameRelease", "1.10", Server::Serve, "1.10", 10s, 0, false, true, {}},
        {"OlderOnServer", "2.0", Server::Serve, "1.5", 10s, 0, false, true, {}},
        {"NewerThroughRedirect", "1.0", Server::ServeRedirected, "1.1", 10s, 3, true, true, {}},
        {"RedirectToFileRefused", "1.0", Server::RedirectToFile, "9.9", 10s, 1, false, true,
         serverFailed},
        {"NotFound", "1.0", Server::NotFound, "", 10s, 1, false, true, serverFailed},
        {"ConnectionRefused", "1.0", Server::Refused, "", 10s, 1, false, true, serverFailed},
        {"OversizedWithLength", "1.0", Server::Oversized, "", 10s, 1, false, true, serverFailed},
        {"OversizedWithoutLength", "1.0", Server::OversizedUnsized, "", 10s, 1, false, true,
         serverFailed},
        // The reader writes no line for a wrong root.
        {"ServerRootNotDataroot",
         "1.0",
         Server::RootNotDataroot,
         "",
         10s,
         1,
         false,
         true,
         {kWorkerServerLine, kCallerLine}},
        {"LocalFileMissing",
         "1.0",
         Server::LocalMissing,
         "9.9",
         10s,
         1,
         false,
         false,
         {{"_GetLocalVersionInf()", "pDoc->load()", "Processing cannot be continued.(#1005)"},
          {"_SvrFileVersionCheck()", "_GetLocalVersionInf()", "(#1006)"},
          kCallerLine}},
        // Outcome 5 logs nothing itself; the worker left behind logs its failure when it ends.
        {"ServerNeverAnswers",
         "1.0",
         Server::NeverAnswers,
         "",
         1500ms,
         5,
         false,
         false,
         {kReaderLine, kWorkerServerLine}},
    };
}

class ServerCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_saved = {g_strAppDir, g_strUrlDownLoad, g_strUrlVersionCheck};
        g_strAppDir = m_dir.Dir();
        g_strUrlDownLoad = "unset-download";
        g_strUrlVersionCheck = "unset-check";
    }
    void TearDown() override {
        // A worker left behind by a time-out ends on its own, soon after the bound.
        EXPECT_TRUE(CSvrFileCheck::WaitForWorkers(20s));
        g_strAppDir = m_saved[0];
        g_strUrlDownLoad = m_saved[1];
        g_strUrlVersionCheck = m_saved[2];
    }

    // Writes the local information file and arranges the server; returns the local record.
    VersionInf Arrange(const char* localVersion, Server server, const char* serverVersion) {
        VersionInf local;
        local.strVersion = localVersion;
        local.strUrlDownLoad = m_server.Url("/dl/Varnetic.msi");
        local.strUrlVersionCheck =
            server == Server::Refused
                ? "http://127.0.0.1:" + std::to_string(m_refusing.Port()) + "/release/"
                : m_server.Url("/release/");
        if (server != Server::LocalMissing)
            m_dir.Write("n_info.xml", info_document(local.strVersion, local.strUrlDownLoad,
                                                    local.strUrlVersionCheck));

        const std::string serverDoc = info_document(serverVersion, "x", "y");
        TestHttpServer::Reply reply;
        switch (server) {
        case Server::Serve:
        case Server::LocalMissing:
            reply.strBody = serverDoc;
            break;
        case Server::ServeRedirected:
            m_server.SetReply("/moved/n_info.xml", {200, serverDoc, "", true, false});
            reply.nStatus = 302;
            reply.strLocation = m_server.Url("/moved/n_info.xml");
            break;
        case Server::RedirectToFile:
            reply.nStatus = 302;
            reply.strLocation = "file://" + m_dir.Write("server.xml", serverDoc);
            break;
        case Server::NotFound:
        case Server::Refused:
            return local;
        case Server::NeverAnswers:
            reply.bNeverAnswer = true;
            break;
        case Server::Oversized:
            reply.strBody = oversized_document();
            break;
        case Server::OversizedUnsized:
            reply.strBody = oversized_document();
            reply.bSendLength = false;
            break;
        case Server::RootNotDataroot:
            reply.strBody = "<VERSION_INFO><VERSION>9.9</VERSION></VERSION_INFO>";
            break;
        }
        m_server.SetReply("/release/n_info.xml", reply);
        return local;
    }

    TempDir m_dir;
    TestHttpServer m_server;
    RefusingPort m_refusing;
    std::array<std::string, 3> m_saved;
};

class ServerCheckCases : public ServerCheckTest, public ::testing::WithParamInterface<CheckCase> {};

// What the main window does with the outcome as far as the log is concerned.
void act_like_window(int nResult) {
    if (_SvrFileChkOutcome(nResult, false).bLogFailure)
        LogSvrFileChkFailure();
}

TEST_P(ServerCheckCases, OutcomeGlobalsAndLog) {
    const CheckCase& c = GetParam();
    const VersionInf local = Arrange(c.localVersion, c.server, c.serverVersion);

    LogTail log;
    SvrFileChkParam param;
    const Clock::time_point start = Clock::now();
    _SvrFileVersionCheckThread(&param, c.bound);
    const auto waited = Clock::now() - start;
    act_like_window(param.nResult);
    // A worker left behind by a time-out has ended too before anything is looked at.
    ASSERT_TRUE(CSvrFileCheck::WaitForWorkers(20s));

    EXPECT_EQ(param.nResult, c.nResult);
    EXPECT_EQ(*param.pFileList, c.bUpdateFile ? std::vector<std::string>{"Varnetic.msi"}
                                              : std::vector<std::string>{});
    EXPECT_EQ(g_strUrlDownLoad, c.bGlobalsCopied ? local.strUrlDownLoad : "unset-download");
    EXPECT_EQ(g_strUrlVersionCheck, c.bGlobalsCopied ? local.strUrlVersionCheck : "unset-check");
    if (c.nResult == SVRCHK_TIMEOUT)
        EXPECT_GE(waited, c.bound); // the wait ends at the bound, not before
    else
        EXPECT_LT(waited, c.bound);
    EXPECT_EQ(log.NewLines(), c.log);
}

INSTANTIATE_TEST_SUITE_P(Server, ServerCheckCases, ::testing::ValuesIn(check_cases()),
                         [](const ::testing::TestParamInfo<CheckCase>& info) {
                             return std::string(info.param.name);
                         });

// The window's way: start, poll while painting, read the result. A server that accepts and never
// answers ends in outcome 5 at the bound; the worker left behind must neither crash nor touch the
// globals when it finally ends.
TEST_F(ServerCheckTest, PolledCheckTimesOutAndIgnoresTheLateWorker) {
    Arrange("1.0", Server::NeverAnswers, "");
    LogTail log;
    int nPolls = 0;
    {
        CSvrFileCheck check;
        const Clock::time_point start = Clock::now();
        ASSERT_TRUE(check.Start(1500ms));
        EXPECT_FALSE(check.Start(1500ms)); // one check per object
        EXPECT_FALSE(check.IsDone());      // returns at once while the worker runs
        EXPECT_EQ(check.Result(), -1);
        while (!check.WaitFor(50ms))
            ++nPolls;
        EXPECT_GE(Clock::now() - start, 1500ms);
        EXPECT_GT(nPolls, 5);
        EXPECT_EQ(check.Result(), SVRCHK_TIMEOUT);
        EXPECT_TRUE(check.Param().pFileList->empty());
        act_like_window(check.Result());
    } // the check object is gone; the worker still holds its record

    ASSERT_TRUE(CSvrFileCheck::WaitForWorkers(20s));
    EXPECT_EQ(g_strUrlDownLoad, "unset-download");
    EXPECT_EQ(g_strUrlVersionCheck, "unset-check");
    // Nothing from the caller; the late worker's own failure lines only.
    EXPECT_EQ(log.NewLines(), (std::vector<LogLine>{kReaderLine, kWorkerServerLine}));
}

TEST_F(ServerCheckTest, PolledCheckCopiesAddressesWhenDone) {
    const VersionInf local = Arrange("1.9", Server::Serve, "1.10");
    CSvrFileCheck check;
    ASSERT_TRUE(check.Start());
    while (!check.WaitFor(20ms)) {
    }
    EXPECT_EQ(check.Result(), SVRCHK_UPDATE);
    EXPECT_EQ(*check.Param().pFileList, std::vector<std::string>{"Varnetic.msi"});
    EXPECT_EQ(g_strUrlDownLoad, local.strUrlDownLoad);
    EXPECT_EQ(g_strUrlVersionCheck, local.strUrlVersionCheck);
}

// ---- What the window shows ------------------------------------------------------------------

struct OutcomeCase {
    int nResult;
    bool bQuiet;
    bool bLog;
    bool bShow;
    std::string text;
    std::string caption;
    SvrFileChkButtons buttons;
    SvrFileChkIcon icon;
    bool bAskUpdate;
};

TEST(SvrFileChkOutcome, TextsButtonsIconsAndLogging) {
    using B = SvrFileChkButtons;
    using I = SvrFileChkIcon;
    const std::string newest = "最新の選定システムを使用しています。";
    const std::string update = "更新ファイルが存在します。\n更新しますか？";
    const OutcomeCase cases[] = {
        {0, false, false, true, newest, "更新", B::Ok, I::None, false},
        {0, true, false, false, newest, "更新", B::Ok, I::None, false},
        {1, false, true, true, kNoUpdateInfo, "確認", B::Ok, I::Information, false},
        {1, true, true, false, kNoUpdateInfo, "確認", B::Ok, I::Information, false},
        {3, false, false, true, update, "更新", B::YesNo, I::Warning, true},
        {3, true, false, true, update, "更新", B::YesNo, I::Warning, true},
        {5, false, false, true, kNoUpdateInfo, "更新", B::Ok, I::None, false},
        {5, true, false, false, kNoUpdateInfo, "更新", B::Ok, I::None, false},
        {2, false, false, false, "", "", B::Ok, I::None, false},
        {-1, false, false, false, "", "", B::Ok, I::None, false},
    };
    for (const OutcomeCase& c : cases) {
        SCOPED_TRACE("result " + std::to_string(c.nResult) + (c.bQuiet ? " quiet" : ""));
        const SvrFileChkOutcome o = _SvrFileChkOutcome(c.nResult, c.bQuiet);
        EXPECT_EQ(o.bLogFailure, c.bLog);
        EXPECT_EQ(o.bShow, c.bShow);
        EXPECT_EQ(o.strText, c.text);
        EXPECT_EQ(o.strCaption, c.caption);
        EXPECT_EQ(o.buttons, c.buttons);
        EXPECT_EQ(o.icon, c.icon);
        EXPECT_EQ(o.bAskUpdate, c.bAskUpdate);
    }
}

TEST(SvrFileChkOutcome, FailureRecord) {
    LogTail log;
    LogSvrFileChkFailure();
    EXPECT_EQ(log.NewLines(), (std::vector<LogLine>{kCallerLine}));
}

} // namespace
