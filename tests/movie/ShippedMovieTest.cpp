// The shipped selection movie under the real host: the movie contract end to end.

#include "tests/support/MainWindowFixture.h"

#include "app/Resource.h"
#include "data/CryptUtil.h"

#include <chrono>
#include <cstdio>

namespace {

// A selection as the movie writes it (catalog 2.1).
constexpr const char* kSelection =
    "<BrennixSelection><XML_PARA_VER>1</XML_PARA_VER><catalog id=\"TARVOS-N\" version=\"2.1\"/>"
    "<code>TNR-?-?-?-?-?-?-R3</code><choices><choice step=\"type\" option=\"R\"/>"
    "<choice step=\"cable\" option=\"R3\"/></choices><requirements><requirement id=\"load\" "
    "unit=\"kg\">12.5</requirement><requirement id=\"orientation\">V</requirement></requirements>"
    "<notes>&#xC4;&amp;&#xA;</notes></BrennixSelection>";

class CCountingNetwork : public CFixedNetworkState {
public:
    CCountingNetwork() : CFixedNetworkState(true) {}
    bool IsConnected() override {
        ++m_nAsked;
        return CFixedNetworkState::IsConnected();
    }
    int m_nAsked = 0;
};

std::string run(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

class ShippedMovieTest : public CMainWindowTest {
protected:
    void SetUp() override {
        CMainWindowTest::SetUp();
        std::filesystem::copy_file(BRENNIX_STAGE_DIR "/Brennix.html", m_dir / "Brennix.html",
                                   std::filesystem::copy_options::overwrite_existing);
        m_counting = std::make_shared<CCountingNetwork>();
        m_network = m_counting;
    }

    // Starts the window and waits until the movie says it has loaded.
    void StartReady(const std::vector<std::string>& args = {}) {
        Start(args, false);
        ASSERT_TRUE(PumpUntil([&] { return m_dlg->AreCommandsEnabled(); }, 30000));
    }

    // Asks the movie for its data the way Save does, and returns what it answered.
    std::string AskForData() {
        std::string answer;
        const int before = m_dlg->m_nMovieAnswers;
        m_dlg->m_swf.SetEventHandlers(
            [&](const std::string& command, const std::string&) {
                answer = command;
                ++m_dlg->m_nMovieAnswers;
            },
            [this](const std::string& request) { m_dlg->OnFlashCallSwf(request); });
        m_dlg->m_swf.SetVariable("_level0.LoadSave.exFunc.nSave", "1");
        EXPECT_TRUE(PumpUntil([&] { return m_dlg->m_nMovieAnswers > before; }));
        PumpFor(300); // a second answer would arrive by now
        EXPECT_EQ(m_dlg->m_nMovieAnswers, before + 1) << "the movie must answer exactly once";
        m_dlg->m_swf.SetEventHandlers(
            [this](const std::string& c, const std::string& a) {
                m_dlg->OnFSCommandSwf(c, a);
                ++m_dlg->m_nMovieAnswers;
            },
            [this](const std::string& request) { m_dlg->OnFlashCallSwf(request); });
        return answer;
    }

    std::shared_ptr<CCountingNetwork> m_counting;
};

void write_plain(const std::string& path, const std::string& text) {
    CCryptUtil crypt;
    ASSERT_EQ(crypt.CreateDataFile(path, static_cast<uint32_t>(text.size()),
                                   reinterpret_cast<const uint8_t*>(text.data())),
              1);
}

} // namespace

TEST_F(ShippedMovieTest, LoadsAsksForTheNetworkAndAnswersOnce) {
    const auto start = std::chrono::steady_clock::now();
    StartReady();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    std::printf("start to enabled commands: %lld ms\n", static_cast<long long>(ms));
    EXPECT_TRUE(PumpUntil([&] { return m_counting->m_nAsked == 1; }));
    // A fresh selection has nothing to save.
    EXPECT_EQ(AskForData(), "");
}

TEST_F(ShippedMovieTest, TakesASavedTextBackAndHandsOverTheSameBytes) {
    StartReady();
    m_dlg->m_swf.SetVariable("_level0.LoadSave.exFunc.nLoad", kSelection);
    PumpFor(300);
    EXPECT_EQ(AskForData(), kSelection);

    // Starting anew empties the selection.
    m_dlg->m_swf.SetVariable("_level0.LoadSave.exFunc.nNew", "1");
    PumpFor(300);
    EXPECT_EQ(AskForData(), "");

    // A text that is not the movie's leaves the selection as it was.
    m_dlg->m_swf.SetVariable("_level0.LoadSave.exFunc.nLoad", kSelection);
    PumpFor(300);
    m_dlg->m_swf.SetVariable("_level0.LoadSave.exFunc.nLoad", "<other>not ours</other>");
    PumpFor(300);
    EXPECT_EQ(AskForData(), kSelection);
}

TEST_F(ShippedMovieTest, OpensTheCommandLineFileSavesItUnderANewNameAndExitsWithoutAQuestion) {
    const std::string source = (m_dir / "given.nsr").string();
    const std::string target = (m_dir / "copy.nsr").string();
    write_plain(source, kSelection);
    StartReady({source});
    ASSERT_TRUE(PumpUntil([&] { return m_dlg->m_strFilePath == source; }));
    EXPECT_EQ(AskForData(), kSelection);

    CDialogScript script;
    script.Add(CDialogScript::File(target));
    wxCommandEvent saveAs(wxEVT_MENU, WxCommandId(ID_MENU_FILE_SAVEAS));
    m_dlg->ProcessWindowEvent(saveAs);
    ASSERT_TRUE(PumpUntil([&] { return m_dlg->m_strFilePath == target; }));
    EXPECT_TRUE(script.Unexpected().empty());

    const std::string decoded =
        run(std::string(BRENNIX_STAGE_DIR "/nsrtool decode '") + target + "'");
    EXPECT_EQ(decoded, kSelection);

    // The data did not change since the save: closing asks nothing.
    m_dlg->Close();
    EXPECT_TRUE(PumpUntil([&] { return Closed(); }));
    EXPECT_TRUE(script.Unexpected().empty());
}
