// The movie player's requirement check and its notice, on a real display.

#include "dialogs/FlashCheckDlg.h"
#include "app/Resource.h"
#include "dialogs/DialogUtil.h"
#include "dialogs/PlayerCheck.h"
#include "tests/support/GuiTest.h"

#include "tests/dialogs/EngineProbe.h"

#include <gtest/gtest.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/uiaction.h>

namespace {

// Records the notice instead of showing it.
class CExpectNotice : public wxExpectModalBase<CFlashCheckDlg> {
public:
    CExpectNotice(std::string* pErrMsg, std::string* pTradeMark)
        : m_pErrMsg(pErrMsg), m_pTradeMark(pTradeMark) {}

protected:
    int OnInvoked(CFlashCheckDlg* dlg) const override {
        *m_pErrMsg = dlg->m_strErrMsg;
        *m_pTradeMark = dlg->m_strTradeMark;
        return wxID_OK;
    }

private:
    std::string* m_pErrMsg;
    std::string* m_pTradeMark;
};

// Records a message box with its style.
class CExpectBox : public wxExpectModalBase<wxMessageDialog> {
public:
    CExpectBox(std::string* pText, std::string* pCaption, long* pStyle)
        : m_pText(pText), m_pCaption(pCaption), m_pStyle(pStyle) {}

protected:
    int OnInvoked(wxMessageDialog* dlg) const override {
        *m_pText = dlg->GetMessage().utf8_string();
        *m_pCaption = dlg->GetTitle().utf8_string();
        *m_pStyle = dlg->GetMessageDialogStyle();
        return wxID_OK;
    }

private:
    std::string* m_pText;
    std::string* m_pCaption;
    long* m_pStyle;
};

// Fails the test for any modal dialog, and dismisses it so nothing waits for a user.
class CNoDialog : public wxModalDialogHook {
public:
    CNoDialog() { Register(); }
    ~CNoDialog() override { Unregister(); }

protected:
    int Enter(wxDialog* dlg) override {
        ADD_FAILURE() << "unexpected dialog \"" << dlg->GetTitle().utf8_string() << "\"";
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

// Splits a log line into its columns (the message column keeps any commas).
std::vector<std::string> columns(const std::string& line) {
    std::vector<std::string> out;
    std::size_t from = 0;
    for (int i = 0; i < 7; ++i) {
        const std::size_t comma = line.find(',', from);
        if (comma == std::string::npos)
            break;
        out.push_back(line.substr(from, comma - from));
        from = comma + 1;
    }
    out.push_back(line.substr(from));
    return out;
}

std::string words(const wxString& s) {
    std::string out;
    for (wxUniChar c : s)
        out += (c == '\n' || c == '\r') ? ' ' : static_cast<char>(c.GetValue());
    std::string squeezed;
    for (char c : out)
        if (!(c == ' ' && !squeezed.empty() && squeezed.back() == ' '))
            squeezed += c;
    return squeezed;
}

} // namespace

TEST(PlayerCheck, NoticeWhenTheEngineIsMissingOrTooOld) {
    const CEngineProbe probes[] = {probe(false, 0, {}), probe(true, 0, {2, 35, 9})};
    for (const auto& p : probes) {
        ClearTodaysLog();
        std::string errMsg, tradeMark;
        int result = 0;
        wxTEST_DIALOG(result = CheckFlashPlayerVersion(nullptr, p),
                      CExpectNotice(&errMsg, &tradeMark));
        EXPECT_EQ(result, -1);
        EXPECT_EQ(errMsg, PlayerNoticeText());
        EXPECT_EQ(tradeMark, PlayerTradeMarkText());
        EXPECT_TRUE(ReadTodaysLogLines().empty());
    }
}

TEST(PlayerCheck, OtherCreationFailureIsReported3001) {
    for (int code : {kProbeNoObject, kProbeCreateFailed}) {
        SCOPED_TRACE(code);
        ClearTodaysLog();
        std::string text, caption;
        long style = 0;
        int result = 0;
        // The box comes, and never the notice (an unexpected dialog fails the test).
        wxTEST_DIALOG(result = CheckFlashPlayerVersion(nullptr, probe(true, code, {2, 40, 0})),
                      CExpectBox(&text, &caption, &style));
        EXPECT_EQ(result, -1);
        EXPECT_EQ(text, "(#3001)");
        EXPECT_EQ(caption, "Error");
        EXPECT_TRUE(style & wxICON_ERROR);
        const auto lines = ReadTodaysLogLines();
        ASSERT_EQ(lines.size(), 1u);
        const auto cols = columns(lines[0]);
        ASSERT_EQ(cols.size(), 8u) << lines[0];
        EXPECT_EQ(cols[1], "00000000");
        EXPECT_EQ(cols[2], std::to_string(code));
        EXPECT_EQ(cols[5], "CBrennixDlg::CheckFlashPlayerVersion()");
        EXPECT_EQ(cols[6], "OleCreate()");
        EXPECT_EQ(cols[7], "");
    }
}

TEST(PlayerCheck, RecentEngineGoesOnSilently) {
    ClearTodaysLog();
    CNoDialog noDialog;
    EXPECT_EQ(CheckFlashPlayerVersion(nullptr, probe(true, 0, {2, 36, 0})), 0);
    EXPECT_TRUE(ReadTodaysLogLines().empty());
}

// This machine's WebKitGTK is what the package depends on: present, creatable, recent.
TEST(PlayerCheck, ThisMachinesEngineIsAccepted) {
    const CEngineProbe p = ProbeWebEngine();
    EXPECT_TRUE(p.bBackendAvailable);
    EXPECT_EQ(p.nCreateResult, 0);
    EXPECT_TRUE(IsEngineRecentEnough(p.version))
        << EngineVersionText(p.version) << " is older than "
        << EngineVersionText(kMinEngineVersion);
    CNoDialog noDialog;
    EXPECT_EQ(CheckFlashPlayerVersion(nullptr), 0);
}

class FlashCheckDlgTest : public testing::Test {
protected:
    void SetUp() override {
        m_previous = CFlashCheckDlg::SetBrowserLauncher([this](const wxString& url) {
            m_opened.push_back(url.utf8_string());
            return true;
        });
        m_dlg.m_strErrMsg = PlayerNoticeText();
        m_dlg.m_strTradeMark = PlayerTradeMarkText();
    }
    void TearDown() override { CFlashCheckDlg::SetBrowserLauncher(m_previous); }

    CFlashCheckDlg m_dlg;
    std::vector<std::string> m_opened;
    CFlashCheckDlg::BrowserLauncher m_previous;
};

// Clicking the badge opens the download page each time and leaves the notice open; OK ends it.
TEST_F(FlashCheckDlgTest, BadgeOpensThePageAndTheNoticeStays) {
    bool checked = false;
    m_dlg.CallAfter([&] {
        wxWindow* badge = m_dlg.FindWindow(IDC_GETPLAYER);
        ASSERT_NE(badge, nullptr);
        PumpUntil([&] { return badge->IsShownOnScreen(); });
        PumpFor(100);
        wxUIActionSimulator sim;
        for (int click = 1; click <= 2; ++click) {
            sim.MouseMove(badge->ClientToScreen(wxPoint(44, 15)));
            PumpFor(50);
            sim.MouseClick();
            EXPECT_TRUE(PumpUntil([&] { return m_opened.size() == std::size_t(click); }, 3000));
            EXPECT_TRUE(m_dlg.IsModal());
        }
        // A press on the badge released elsewhere is no click.
        sim.MouseMove(badge->ClientToScreen(wxPoint(44, 15)));
        PumpFor(50);
        sim.MouseDown();
        PumpFor(50);
        sim.MouseMove(m_dlg.ClientToScreen(wxPoint(2, 2)));
        PumpFor(50);
        sim.MouseUp();
        PumpFor(100);
        EXPECT_EQ(m_opened.size(), 2u);
        checked = true;
        sim.MouseMove(m_dlg.FindWindow(wxID_OK)->GetScreenRect().GetPosition() + wxPoint(5, 5));
        PumpFor(50);
        sim.MouseClick();
    });
    EXPECT_EQ(m_dlg.ShowModal(), wxID_OK);
    EXPECT_TRUE(checked);
    EXPECT_EQ(m_opened,
              (std::vector<std::string>{"https://webkitgtk.org/", "https://webkitgtk.org/"}));
}

TEST_F(FlashCheckDlgTest, NoticeLayoutFontsAndIcon) {
    m_dlg.Show();
    ASSERT_TRUE(PumpUntil([&] { return m_dlg.IsShownOnScreen(); }));
    EXPECT_EQ(m_dlg.GetTitle(), "TARVOS-N series Model Selection System");
    EXPECT_EQ(m_dlg.GetClientSize(), m_dlg.ConvertDialogToPixels(wxSize(271, 128)));

    auto* notice = dynamic_cast<wxStaticText*>(m_dlg.FindWindow(IDC_ERRMSG));
    auto* mark = dynamic_cast<wxStaticText*>(m_dlg.FindWindow(IDC_TRADE_MARK));
    ASSERT_NE(notice, nullptr);
    ASSERT_NE(mark, nullptr);
    // The texts, whatever line breaks the control's width adds.
    EXPECT_EQ(words(notice->GetLabelText()),
              "To use this application WebKitGTK 2.36 or later is required. Please obtain "
              "WebKitGTK from the following icon.");
    EXPECT_EQ(words(mark->GetLabelText()), words(wxString::FromUTF8(PlayerTradeMarkText())));

    const struct {
        wxStaticText* ctrl;
        int cell;
    } texts[] = {{notice, 14}, {mark, 10}};
    for (const auto& t : texts) {
        SCOPED_TRACE(t.cell);
        const wxFont font = t.ctrl->GetFont();
        EXPECT_EQ(font.GetWeight(), wxFONTWEIGHT_MEDIUM);
        const int cell = MeasureCellHeight(font, &m_dlg);
        EXPECT_LE(cell, t.cell);
        EXPECT_GE(cell, t.cell - 2);
        // Wrapped, the text fits its control.
        int w = 0, h = 0;
        m_dlg.GetTextExtent(t.ctrl->GetLabel(), &w, &h, nullptr, nullptr, &font);
        EXPECT_LE(w, t.ctrl->GetSize().x);
        EXPECT_LE(h, t.ctrl->GetSize().y);
    }

    EXPECT_EQ(m_dlg.FindWindow(IDC_GETPLAYER)->GetSize(), wxSize(88, 31));
    auto* icon = dynamic_cast<wxStaticBitmap*>(m_dlg.FindWindow(IDC_ERRICON));
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(icon->GetBitmap().IsOk());

    const wxRect client(m_dlg.GetClientSize());
    for (wxWindow* child : m_dlg.GetChildren())
        EXPECT_TRUE(client.Contains(child->GetRect())) << child->GetId();
}
