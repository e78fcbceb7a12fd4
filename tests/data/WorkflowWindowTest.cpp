// New, Open, Save, Save As, Exit and exit-for-update through the real window and web view:
// the scripted test movie answers the data request with a text the case chooses, and the
// message boxes and file dialogs are answered by script.

#include "tests/support/MainWindowFixture.h"

#include "app/Resource.h"
#include "data/CryptUtil.h"

#include <sys/stat.h>

namespace {

constexpr int kExit = -1;       // closing the window
constexpr int kExitUpdate = -2; // accepting a newer release
constexpr int kNone = -3;       // an answer that arrives with nothing pending
constexpr const char* kOld = "<s><XML_PARA_VER>1</XML_PARA_VER>old</s>";
constexpr const char* kNew = "<s><XML_PARA_VER>1</XML_PARA_VER>new 日本語</s>";
constexpr const char* kOther = "<s><XML_PARA_VER>1</XML_PARA_VER>from file</s>";
constexpr const char* kDownload = "https://downloads.example.com/tarvos-n/setup";

enum class Kind { Prompt, Save, Open, Box };
struct Dlg {
    Kind kind;
    int answer = wxID_OK;  // button or file-dialog result
    std::string file = {}; // chosen file (in the case's folder)
    std::string text = {}; // expected text (prompt: part of it; box: all of it)
};

struct Case {
    const char* name;
    int command;        // menu command, or kExit / kExitUpdate / kNone
    std::string path;   // current file before (in the case's folder), "" untitled
    std::string last;   // last opened or saved text before
    std::string answer; // what the movie hands over
    std::vector<Dlg> dialogs;
    PendingAction pending; // afterwards
    std::string pathAfter;
    std::string lastAfter;
    bool quits = false;
    int newCalls = 0;         // times the movie was told to start anew
    std::string loaded = {};  // text the movie was given to load ("" none)
    std::string written = {}; // file that must now hold answer ("" none)
    bool opensDownload = false;
};

std::string read_plain(const std::string& path) {
    CCryptUtil crypt;
    uint32_t n = 0;
    uint8_t* p = nullptr;
    if (crypt.ReadDataFile(path, &n, &p) != 0)
        return "<unreadable>";
    std::string text(reinterpret_cast<char*>(p), n);
    delete[] p;
    return text;
}

void write_plain(const std::string& path, const std::string& text) {
    CCryptUtil crypt;
    ASSERT_EQ(crypt.CreateDataFile(path, static_cast<uint32_t>(text.size()),
                                   reinterpret_cast<const uint8_t*>(text.data())),
              1);
}

class WorkflowWindowTest : public CMainWindowTest, public ::testing::WithParamInterface<Case> {
protected:
    std::string In(const std::string& name) { return name.empty() ? "" : (m_dir / name).string(); }

    // Starts a ready window whose document is (path, last).
    void StartWith(const std::string& path, const std::string& last) {
        Start();
        MakeReady();
        m_dlg->m_strFilePath = In(path);
        m_dlg->m_strLastData = last;
    }

    // Gives the command and waits until the movie's answer has been handled.
    void Give(int command) {
        const int before = m_dlg->m_nMovieAnswers;
        if (command == kExit)
            m_dlg->Close();
        else if (command == kExitUpdate)
            m_dlg->_RequestExit(true);
        else if (command == kNone)
            m_dlg->m_swf.SetVariable("_level0.LoadSave.exFunc.nSave", "1");
        else {
            wxCommandEvent event(wxEVT_MENU, WxCommandId(command));
            m_dlg->ProcessWindowEvent(event);
        }
        ASSERT_TRUE(PumpUntil([&] { return Closed() || m_dlg->m_nMovieAnswers > before; }));
        PumpFor(30);
    }
};

} // namespace

TEST_P(WorkflowWindowTest, StateTable) {
    const Case& c = GetParam();
    write_plain(In("other.nsr"), kOther);
    write_plain(In("current.nsr"), kOld);
    g_strUrlDownLoad = kDownload;
    StartWith(c.path, c.last);
    SetVar("test.answer", c.answer);

    CDialogScript script;
    std::vector<std::string> texts(c.dialogs.size());
    std::vector<CDialogScript::FileSeen> seen(c.dialogs.size());
    for (std::size_t i = 0; i < c.dialogs.size(); ++i) {
        const Dlg& d = c.dialogs[i];
        if (d.kind == Kind::Prompt || d.kind == Kind::Box) {
            script.Add(CDialogScript::Message(d.answer, &texts[i]));
        } else {
            script.Add(CDialogScript::File(In(d.file), d.answer, &seen[i]));
        }
    }
    Give(c.command);

    EXPECT_EQ(script.Left(), 0u) << "dialogs not shown";
    for (const auto& what : script.Unexpected())
        ADD_FAILURE() << "unexpected dialog: " << what;
    for (std::size_t i = 0; i < c.dialogs.size(); ++i) {
        const Dlg& d = c.dialogs[i];
        if (d.kind == Kind::Prompt) {
            EXPECT_NE(texts[i].find(d.text), std::string::npos) << texts[i];
        }
        if (d.kind == Kind::Box) {
            EXPECT_EQ(texts[i], d.text);
        }
        if (d.kind == Kind::Save) {
            EXPECT_TRUE(seen[i].bSave);
            EXPECT_TRUE(seen[i].bOverwritePrompt);
            EXPECT_EQ(seen[i].strName, c.path.empty() ? "untitled.nsr" : c.path);
            EXPECT_EQ(seen[i].strWildcard,
                      "TARVOS-N series Model Selection System Data(*.nsr)|*.nsr");
        }
        if (d.kind == Kind::Open) {
            EXPECT_FALSE(seen[i].bSave);
            EXPECT_EQ(seen[i].strWildcard,
                      "TARVOS-N series Model Selection System Data(*.nsr)|*.nsr|All Files|*");
        }
    }

    EXPECT_EQ(Closed(), c.quits);
    EXPECT_EQ(m_opened,
              c.opensDownload ? std::vector<std::string>{kDownload} : std::vector<std::string>{});
    if (!c.written.empty()) {
        EXPECT_EQ(read_plain(In(c.written)), c.answer);
    }
    // The files the case did not write are untouched.
    EXPECT_EQ(read_plain(In("other.nsr")), kOther);
    if (c.written != "current.nsr") {
        EXPECT_EQ(read_plain(In("current.nsr")), kOld);
    }
    if (c.quits)
        return;
    EXPECT_EQ(m_dlg->m_nPendingAction, c.pending);
    EXPECT_EQ(m_dlg->m_strFilePath, In(c.pathAfter));
    EXPECT_EQ(m_dlg->m_strLastData, c.lastAfter);
    EXPECT_EQ(Var("test.newCount"), std::to_string(c.newCalls));
    EXPECT_EQ(Var("test.loaded"), c.loaded);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(, WorkflowWindowTest, ::testing::Values(
    // New
    Case{"NewNoData", ID_MENU_FILE_NEW, "current.nsr", kOld, "", {},
         PENDING_NONE, "current.nsr", kOld, false, 1},
    Case{"NewUnchanged", ID_TOOL_FILE_NEW, "current.nsr", kOld, kOld, {},
         PENDING_NONE, "", "", false, 1},
    Case{"NewChangedYes", ID_MENU_FILE_NEW, "", "", kNew,
         {{Kind::Prompt, wxID_YES, "", "untitled.nsr"}, {Kind::Save, wxID_OK, "saved.nsr"}},
         PENDING_NONE, "", "", false, 1, "", "saved.nsr"},
    Case{"NewChangedNo", ID_MENU_FILE_NEW, "current.nsr", kOld, kNew,
         {{Kind::Prompt, wxID_NO}}, PENDING_NONE, "", "", false, 1},
    Case{"NewChangedCancel", ID_MENU_FILE_NEW, "current.nsr", kOld, kNew,
         {{Kind::Prompt, wxID_CANCEL}}, PENDING_NONE, "current.nsr", kOld},
    Case{"NewChangedYesSaveCancelled", ID_MENU_FILE_NEW, "current.nsr", kOld, kNew,
         {{Kind::Prompt, wxID_YES}, {Kind::Save, wxID_CANCEL}}, PENDING_NONE, "current.nsr", kOld},
    // Open
    Case{"OpenNoData", ID_MENU_FILE_OPEN, "", "", "", {{Kind::Open, wxID_OK, "other.nsr"}},
         PENDING_NONE, "other.nsr", kOther, false, 0, kOther},
    Case{"OpenUnchanged", ID_TOOL_FILE_OPEN, "current.nsr", kOld, kOld,
         {{Kind::Open, wxID_OK, "other.nsr"}}, PENDING_OPEN, "other.nsr", kOther, false, 0, kOther},
    Case{"OpenChangedYes", ID_MENU_FILE_OPEN, "current.nsr", kOld, kNew,
         {{Kind::Prompt, wxID_YES, "", "current.nsr"}, {Kind::Save, wxID_OK, "saved.nsr"},
          {Kind::Open, wxID_OK, "other.nsr"}},
         PENDING_OPEN, "other.nsr", kOther, false, 0, kOther, "saved.nsr"},
    Case{"OpenChangedNoThenCancel", ID_MENU_FILE_OPEN, "current.nsr", kOld, kNew,
         {{Kind::Prompt, wxID_NO}, {Kind::Open, wxID_CANCEL}}, PENDING_OPEN, "current.nsr", kOld},
    Case{"OpenChangedCancel", ID_MENU_FILE_OPEN, "current.nsr", kOld, kNew,
         {{Kind::Prompt, wxID_CANCEL}}, PENDING_NONE, "current.nsr", kOld},
    // Save and Save As
    Case{"SaveNoData", ID_MENU_FILE_SAVE, "current.nsr", kOld, "",
         {{Kind::Box, wxID_OK, "", "There is no data to save."}}, PENDING_NONE, "current.nsr", kOld},
    Case{"SaveUntitledAsksForAName", ID_TOOL_FILE_SAVE, "", "", kNew,
         {{Kind::Save, wxID_OK, "saved.nsr"}}, PENDING_SAVE, "saved.nsr", kNew, false, 0, "", "saved.nsr"},
    Case{"SaveAfterOpenWritesAtOnce", ID_MENU_FILE_SAVE, "current.nsr", kOld, kNew, {},
         PENDING_SAVE, "current.nsr", kNew, false, 0, "", "current.nsr"},
    Case{"SaveUnchangedStillWrites", ID_MENU_FILE_SAVE, "current.nsr", kOld, kOld, {},
         PENDING_SAVE, "current.nsr", kOld, false, 0, "", "current.nsr"},
    Case{"SaveAsProposesTheCurrentPath", ID_MENU_FILE_SAVEAS, "current.nsr", kOld, kNew,
         {{Kind::Save, wxID_OK, "saved.nsr"}}, PENDING_SAVE, "saved.nsr", kNew, false, 0, "", "saved.nsr"},
    Case{"SaveAsAddsTheExtension", ID_TOOL_FILE_SAVEAS, "", "", kNew,
         {{Kind::Save, wxID_OK, "named"}}, PENDING_SAVE, "named.nsr", kNew, false, 0, "", "named.nsr"},
    Case{"SaveAsCancelled", ID_MENU_FILE_SAVEAS, "current.nsr", kOld, kNew,
         {{Kind::Save, wxID_CANCEL}}, PENDING_NONE, "current.nsr", kOld},
    // Exit
    Case{"ExitNoData", kExit, "current.nsr", kOld, "", {}, PENDING_NONE, "", "", true},
    Case{"ExitUnchanged", kExit, "current.nsr", kOld, kOld, {}, PENDING_NONE, "", "", true},
    Case{"ExitChangedYes", kExit, "current.nsr", kOld, kNew,
         {{Kind::Prompt, wxID_YES}, {Kind::Save, wxID_OK, "saved.nsr"}},
         PENDING_NONE, "", "", true, 0, "", "saved.nsr"},
    Case{"ExitChangedNo", kExit, "current.nsr", kOld, kNew, {{Kind::Prompt, wxID_NO}},
         PENDING_NONE, "", "", true},
    Case{"ExitChangedCancel", kExit, "current.nsr", kOld, kNew, {{Kind::Prompt, wxID_CANCEL}},
         PENDING_NONE, "current.nsr", kOld},
    Case{"ExitChangedYesThenSaveCancelled", kExit, "", "", kNew,
         {{Kind::Prompt, wxID_YES, "", "untitled.nsr"}, {Kind::Save, wxID_CANCEL}},
         PENDING_NONE, "", ""},
    // Exit for an update
    Case{"UpdateNoData", kExitUpdate, "", "", "", {}, PENDING_NONE, "", "", true,
         0, "", "", true},
    Case{"UpdateChangedYes", kExitUpdate, "current.nsr", kOld, kNew,
         {{Kind::Prompt, wxID_YES}, {Kind::Save, wxID_OK, "saved.nsr"}},
         PENDING_NONE, "", "", true, 0, "", "saved.nsr", true},
    Case{"UpdateChangedNo", kExitUpdate, "current.nsr", kOld, kNew, {{Kind::Prompt, wxID_NO}},
         PENDING_NONE, "", "", true, 0, "", "", true},
    Case{"UpdateChangedCancel", kExitUpdate, "current.nsr", kOld, kNew,
         {{Kind::Prompt, wxID_CANCEL}}, PENDING_NONE, "current.nsr", kOld},
    // Nothing pending
    Case{"AnswerWithNothingPending", kNone, "current.nsr", kOld, kNew, {},
         PENDING_NONE, "current.nsr", kOld}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });
// clang-format on

using WorkflowFailureTest = CMainWindowTest;

TEST_F(WorkflowFailureTest, SavingIntoAFolderThatCannotBeWrittenReports2001) {
    const auto locked = m_dir / "locked";
    std::filesystem::create_directory(locked);
    ::chmod(locked.c_str(), 0500);
    const bool rootCanWrite = ::access(locked.c_str(), W_OK) == 0; // root ignores the mode
    Start();
    MakeReady();
    SetVar("test.answer", kNew);
    // A folder path that is a file never takes a save, for root too.
    std::ofstream(m_dir / "plain") << "x";
    const std::string target =
        rootCanWrite ? (m_dir / "plain" / "x.nsr").string() : (locked / "x.nsr").string();

    CDialogScript script;
    std::string text, caption;
    script.Add([&](wxDialog* dlg) {
        static_cast<CFileDialog*>(dlg)->SetChosenPath(wxString::FromUTF8(target));
        return wxID_OK;
    });
    script.Add(CDialogScript::Message(wxID_OK, &text, &caption));
    wxCommandEvent event(wxEVT_MENU, WxCommandId(ID_MENU_FILE_SAVEAS));
    m_dlg->ProcessWindowEvent(event);
    ASSERT_TRUE(PumpUntil([&] { return m_dlg->m_nMovieAnswers == 1; }));
    EXPECT_EQ(text, "Processing cannot be continued.(#2001)");
    EXPECT_EQ(caption, "Error");
    EXPECT_EQ(m_dlg->m_nPendingAction, PENDING_NONE);
    EXPECT_EQ(m_dlg->m_strFilePath, "");
    EXPECT_FALSE(std::filesystem::exists(target));
    bool logged = false;
    for (const auto& line : ReadTodaysLogLines())
        logged = logged || line.find(",CBrennixDlg::_SaveToFile(),CryptUtil.CreateDataFile(),"
                                     "Processing cannot be continued.(#2001)") != std::string::npos;
    EXPECT_TRUE(logged);
    ::chmod(locked.c_str(), 0700);
}

TEST_F(WorkflowFailureTest, DamagedAndForeignFilesAreRefusedAndTheMovieKeepsItsData) {
    write_plain((m_dir / "good.nsr").string(), kOther);
    std::string damaged;
    {
        std::ifstream in(m_dir / "good.nsr", std::ios::binary);
        damaged.assign(std::istreambuf_iterator<char>(in), {});
    }
    damaged.back() ^= 0x01;
    std::ofstream(m_dir / "damaged.nsr", std::ios::binary) << damaged;
    std::ofstream(m_dir / "notes.txt") << "just some text, not a data file\n";
    write_plain((m_dir / "empty.nsr").string(), "");

    Start();
    MakeReady();
    m_dlg->m_strFilePath = (m_dir / "current.nsr").string();
    m_dlg->m_strLastData = kOld;
    SetVar("test.answer", kOld);

    for (const char* name : {"damaged.nsr", "notes.txt", "empty.nsr"}) {
        SCOPED_TRACE(name);
        const std::string path = (m_dir / name).string();
        CDialogScript script;
        std::string text;
        script.Add(CDialogScript::File(path));
        script.Add(CDialogScript::Message(wxID_OK, &text));
        const int before = m_dlg->m_nMovieAnswers;
        wxCommandEvent event(wxEVT_MENU, WxCommandId(ID_MENU_FILE_OPEN));
        m_dlg->ProcessWindowEvent(event);
        ASSERT_TRUE(PumpUntil([&] { return m_dlg->m_nMovieAnswers > before; }));
        EXPECT_EQ(text, path + "\nThe contents of this file are damaged or corrupted.\n"
                               "The file cannot be used.");
        EXPECT_EQ(m_dlg->m_strFilePath, (m_dir / "current.nsr").string());
        EXPECT_EQ(m_dlg->m_strLastData, kOld);
        EXPECT_EQ(Var("test.loaded"), "");
    }
}

TEST_F(WorkflowFailureTest, TextWithANulByteReachesTheMovieOnlyUpToIt) {
    const std::string text = std::string(kOther) + std::string(1, '\0') + "hidden";
    write_plain((m_dir / "nul.nsr").string(), text);
    Start();
    MakeReady();
    SetVar("test.answer", "");
    CDialogScript script;
    script.Add(CDialogScript::File((m_dir / "nul.nsr").string()));
    wxCommandEvent event(wxEVT_MENU, WxCommandId(ID_MENU_FILE_OPEN));
    m_dlg->ProcessWindowEvent(event);
    ASSERT_TRUE(PumpUntil([&] { return m_dlg->m_nMovieAnswers == 1; }));
    EXPECT_EQ(Var("test.loaded"), kOther);
    EXPECT_EQ(m_dlg->m_strLastData, kOther);
}

TEST_F(WorkflowFailureTest, DownloadAddressThatIsNotAWebAddressIsNotOpened) {
    g_strUrlDownLoad = "/usr/bin/xterm";
    Start();
    MakeReady();
    SetVar("test.answer", "");
    m_dlg->_RequestExit(true);
    ASSERT_TRUE(PumpUntil([&] { return Closed(); }));
    EXPECT_TRUE(m_opened.empty());
    bool logged = false;
    for (const auto& line : ReadTodaysLogLines())
        logged = logged || line.find("/usr/bin/xterm") != std::string::npos;
    EXPECT_TRUE(logged);
}

TEST_F(WorkflowFailureTest, CommandLineFileOpensOnceTheMovieHasLoaded) {
    write_plain((m_dir / "arg.nsr").string(), kOther);
    Start({(m_dir / "arg.nsr").string()});
    PumpFor(300);
    EXPECT_EQ(Var("test.loaded"), ""); // not before the movie says it has loaded
    bool enabledWhenOpened = false;
    m_dlg->m_onReady = [&] { enabledWhenOpened = m_dlg->AreCommandsEnabled(); };
    MakeReady();
    EXPECT_TRUE(PumpUntil([&] { return Var("test.loaded") == kOther; }));
    EXPECT_TRUE(enabledWhenOpened);
    EXPECT_EQ(m_dlg->m_strFilePath, (m_dir / "arg.nsr").string());
}

TEST_F(WorkflowFailureTest, TwoArgumentsOpenNothing) {
    write_plain((m_dir / "arg.nsr").string(), kOther);
    Start({(m_dir / "arg.nsr").string(), (m_dir / "arg.nsr").string()});
    MakeReady();
    PumpFor(200);
    EXPECT_EQ(Var("test.loaded"), "");
    EXPECT_EQ(m_dlg->m_strFilePath, "");
}
