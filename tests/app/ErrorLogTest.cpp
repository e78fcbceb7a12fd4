#include "app/ErrorLog.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// 2010-12-24 09:05:07 and the same wall-clock time a month later, in UTC.
constexpr std::time_t kChristmasEve = 1293181507;
constexpr std::time_t kJanuary24 = 1295859907;

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class ErrorLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
        std::string tmpl = (fs::temp_directory_path() / "errlog-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        m_dir = tmpl;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path m_dir;
};

} // namespace

TEST_F(ErrorLogTest, WritesOneLinePerRecordToTheFileOfTheDay) {
    CErrorLog log(m_dir.string() + "/");
    CErrorInfo info("CBrennixDlg::OnInitDialog()", "m_wndMenu.LoadMenu()", 0, 2,
                    "app/BrennixDlg.cpp", 42, ComposeErrorMessage("(#1001)"));
    ASSERT_EQ(log.WriteLogAt(info, kChristmasEve), 0);

    EXPECT_EQ(CErrorLog::FileName(kChristmasEve), "_ERROR24.log");
    EXPECT_EQ(read_file(m_dir / "_ERROR24.log"),
              "2010/12/24-09:05:07,00000000,2,app/BrennixDlg.cpp,42,CBrennixDlg::OnInitDialog(),"
              "m_wndMenu.LoadMenu(),Processing cannot be continued.(#1001)\n");
}

TEST_F(ErrorLogTest, SameDayOfAnotherMonthAppendsToTheSameFile) {
    CErrorLog log(m_dir.string() + "/");
    log.WriteLogAt(CErrorInfo("F()", "C()", 0, 0, "f.cpp", 1, "first"), kChristmasEve);
    log.WriteLogAt(CErrorInfo("F()", "C()", 0, 0, "f.cpp", 2, "second"), kJanuary24);

    const std::string text = read_file(m_dir / "_ERROR24.log");
    EXPECT_EQ(text, "2010/12/24-09:05:07,00000000,0,f.cpp,1,F(),C(),first\n"
                    "2011/01/24-09:05:07,00000000,0,f.cpp,2,F(),C(),second\n");
}

TEST_F(ErrorLogTest, KeepsLineFeedsCommasAndJapaneseOfTheMessage) {
    CErrorLog log(m_dir.string() + "/");
    log.WriteLogAt(CErrorInfo("F()", "C()", 0, 0, "f.cpp", 1, "一行目,\n二行目"), kChristmasEve);
    EXPECT_EQ(read_file(m_dir / "_ERROR24.log"),
              "2010/12/24-09:05:07,00000000,0,f.cpp,1,F(),C(),一行目,\n二行目\n");
}

TEST_F(ErrorLogTest, NegativeResultCodeAndEmptyMessage) {
    CErrorLog log(m_dir.string() + "/");
    const int32_t classNotRegistered = static_cast<int32_t>(0x80040154u);
    log.WriteLogAt(CErrorInfo("CBrennixDlg::CheckFlashPlayerVersion()", "OleCreate()", 0,
                              classNotRegistered, "f.cpp", 7, ""),
                   kChristmasEve);
    EXPECT_EQ(read_file(m_dir / "_ERROR24.log"),
              "2010/12/24-09:05:07,00000000,-2147221164,f.cpp,7,"
              "CBrennixDlg::CheckFlashPlayerVersion(),OleCreate(),\n");
}

TEST_F(ErrorLogTest, ComposedMessageHasNoSeparatorBeforeTheCode) {
    EXPECT_EQ(ComposeErrorMessage("(#2001)"), "Processing cannot be continued.(#2001)");
}

TEST_F(ErrorLogTest, ExceptionTextIsCutWithoutSplittingACharacter) {
    const std::string ascii(2000, 'a');
    EXPECT_EQ(ExceptionText(std::runtime_error(ascii)).size(), kMaxExceptionText);
    // 'x' then three-byte characters: byte 1023 falls inside one, which is dropped whole.
    const std::string japanese = "x" + [] {
        std::string s;
        for (int i = 0; i < 500; ++i)
            s += "あ";
        return s;
    }();
    const std::string cut = ExceptionText(std::runtime_error(japanese));
    EXPECT_EQ(cut.size(), 1021u);
    EXPECT_EQ(cut, japanese.substr(0, 1021));
}

TEST_F(ErrorLogTest, MakeDirFollowsTheFolderRules) {
    const std::string base = m_dir.string();
    struct Case {
        std::string path;
        bool result;
        std::string created; // folder that must exist afterwards ("" for none)
    } cases[] = {
        {base + "/a/b/c/", true, base + "/a/b/c"},    // parents first, file name dropped
        {base + "/x/y/log.txt", true, base + "/x/y"}, // the last component is a file name
        {base + "/a/b/c/", false, ""},                // it exists now: a failure
        {"relative/dir/", false, ""},                 // not an absolute path
        {base + "/comma,dir/", false, ""},            // a forbidden character
        {base + "/semi;colon/", false, ""},
        {base + "/back\\slash/", false, ""},
        {base + "//double/", false, ""},    // an empty component
        {base + "/blank /end/", false, ""}, // a component ending in a blank
        {"/", false, ""},                   // the root itself
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(CErrorLog::_MakeDir(c.path), c.result);
        if (!c.created.empty()) {
            EXPECT_TRUE(fs::is_directory(c.created));
        }
    }
    EXPECT_FALSE(fs::exists(base + "/comma,dir"));
}

TEST_F(ErrorLogTest, RecordStillGoesIntoAnExistingFolderTheRulesRefuse) {
    const fs::path dir = m_dir / "with,comma";
    fs::create_directory(dir);
    CErrorLog log(dir.string() + "/");
    EXPECT_EQ(log.WriteLogAt(CErrorInfo("F()", "C()", 0, 0, "f.cpp", 1, "kept"), kChristmasEve), 0);
    EXPECT_NE(read_file(dir / "_ERROR24.log").find(",kept\n"), std::string::npos);
}

TEST_F(ErrorLogTest, UnopenableFileDropsTheRecord) {
    const fs::path blocker = m_dir / "plain-file";
    std::ofstream(blocker) << "x";
    CErrorLog log(blocker.string() + "/"); // a "folder" that is a file
    EXPECT_EQ(log.WriteLogAt(CErrorInfo("F()", "C()", 0, 0, "f.cpp", 1, "lost"), kChristmasEve),
              -1);
}

TEST_F(ErrorLogTest, TwoProcessesAppendingAtOnceLoseNoLine) {
    constexpr int kLines = 3000;
    const std::string dir = m_dir.string() + "/";
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = ::fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            CErrorLog log(dir);
            const std::string filler(300, static_cast<char>('A' + c));
            for (int i = 0; i < kLines; ++i)
                log.WriteLogAt(CErrorInfo("F()", "C()", 0, c, "f.cpp", i, filler), kChristmasEve);
            ::_exit(0);
        }
    }
    for (pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
    }
    std::ifstream in(m_dir / "_ERROR24.log");
    int counts[2] = {0, 0};
    for (std::string line; std::getline(in, line);) {
        // Every line is whole: its message is 300 of one letter, matching its writer.
        const std::size_t comma = line.rfind(',');
        ASSERT_NE(comma, std::string::npos);
        const std::string message = line.substr(comma + 1);
        ASSERT_EQ(message.size(), 300u) << line.substr(0, 80);
        const int writer = message[0] - 'A';
        ASSERT_TRUE(writer == 0 || writer == 1);
        ASSERT_EQ(message, std::string(300, message[0]));
        ++counts[writer];
    }
    EXPECT_EQ(counts[0], kLines);
    EXPECT_EQ(counts[1], kLines);
}
