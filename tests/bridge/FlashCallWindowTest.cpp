// The movie's calls into the host, through the real web view.

#include "tests/support/MainWindowFixture.h"

using FlashCallTest = CMainWindowTest;

TEST_F(FlashCallTest, NetworkQuestionIsAnsweredWithThePlatformsState) {
    for (bool connected : {true, false}) {
        SCOPED_TRACE(connected);
        m_network->m_bConnected = connected;
        Start(); // the test movie asks at start
        EXPECT_TRUE(
            PumpUntil([&] { return Var("test.network") == (connected ? "true" : "false"); }));
        m_ref->Destroy();
        PumpFor(50);
    }
}

TEST_F(FlashCallTest, BadRequestsShowTheirCodeAndGetNoAnswer) {
    Start();
    ASSERT_TRUE(PumpUntil([&] { return Var("test.network") == "true"; }));
    SetVar("test.network", "");
    const struct {
        const char* request;
        const char* box; // "" for none
    } cases[] = {
        {"", "(#1005)"},
        {"<invoke", "(#1005)"},
        {"<Invoke name=\"checkNetworkEnable\"/>", "(#1007)"},
        {"<invoke name=\"somethingElse\" returntype=\"xml\"/>", ""},
        {"<invoke returntype=\"xml\"/>", ""},
    };
    ClearTodaysLog();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.request);
        CDialogScript script;
        std::string text, caption;
        if (*c.box)
            script.Add(CDialogScript::Message(wxID_OK, &text, &caption));
        SetVar("test.raw", c.request);
        PumpFor(300);
        EXPECT_EQ(script.Left(), 0u);
        EXPECT_TRUE(script.Unexpected().empty());
        EXPECT_EQ(text, c.box);
        if (*c.box) {
            EXPECT_EQ(caption, "Error");
        }
        EXPECT_EQ(Var("test.network"), ""); // no answer went to the movie
    }
    EXPECT_TRUE(ReadTodaysLogLines().empty()); // these boxes are not logged
}
