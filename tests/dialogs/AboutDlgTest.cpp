// The version information dialog on a real display.

#include "dialogs/AboutDlg.h"
#include "app/Resource.h"
#include "dialogs/DialogUtil.h"
#include "res/StringTable.h"
#include "tests/support/GuiTest.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/frame.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace {

std::string label_of(wxWindow* dlg, int id) {
    auto* p = dynamic_cast<wxStaticText*>(dlg->FindWindow(id));
    return p ? p->GetLabelText().utf8_string() : "<missing control>";
}

std::string crlf_to_lf(std::string s) {
    for (std::size_t at; (at = s.find("\r\n")) != std::string::npos;)
        s.replace(at, 2, "\n");
    return s;
}

VersionInf full_info() {
    VersionInf inf;
    inf.strVersion = "1.2.3";
    inf.strCopyright = "Copyright (C) 2026 TARVOS-N Systems. All rights reserved.";
    inf.strUrlDownLoad = "https://127.0.0.1/download/";
    inf.strUrlVersionCheck = "https://127.0.0.1/check/";
    return inf;
}

// Shows the dialog without a modal loop so its controls can be looked at.
class AboutDlgShown : public testing::Test {
protected:
    void Open(const VersionInf* pInf) {
        m_dlg = std::make_unique<CAboutDlg>();
        m_bSetResult = m_dlg->_SetVerInfo(pInf);
        m_dlg->Show();
        ASSERT_TRUE(PumpUntil([&] { return m_dlg->IsShownOnScreen(); }));
    }
    void TearDown() override { m_dlg.reset(); }

    std::unique_ptr<CAboutDlg> m_dlg;
    bool m_bSetResult = false;
};

} // namespace

TEST_F(AboutDlgShown, VersionAndCopyrightFromTheInformationFile) {
    struct Case {
        const char* name;
        bool hasVersion;
        bool hasCopyright;
        const char* copyright;
        const char* versionLabel;
        const char* copyrightLabel;
    };
    const Case cases[] = {
        {"full file", true, true, nullptr, "Ver. 1.2.3",
         "Copyright (C) 2026 TARVOS-N Systems. All rights reserved."},
        {"no VERSION", false, true, nullptr, "Ver. ",
         "Copyright (C) 2026 TARVOS-N Systems. All rights reserved."},
        {"no COPYRIGHT", true, false, nullptr, "Ver. 1.2.3", ""},
        // Shown as written: '&' is no mnemonic here.
        {"ampersand", true, true, "(C) 2026 Tarvos & Sons", "Ver. 1.2.3", "(C) 2026 Tarvos & Sons"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        VersionInf inf = full_info();
        if (!c.hasVersion)
            inf.strVersion.clear();
        if (!c.hasCopyright)
            inf.strCopyright.clear();
        if (c.copyright)
            inf.strCopyright = c.copyright;
        Open(&inf);
        EXPECT_TRUE(m_bSetResult);
        EXPECT_EQ(label_of(m_dlg.get(), IDC_VERSION), c.versionLabel);
        EXPECT_EQ(label_of(m_dlg.get(), IDC_COPYRIGHT), c.copyrightLabel);
        // The rest of the template stays as it is.
        EXPECT_EQ(label_of(m_dlg.get(), IDC_PRODUCT), "TARVOS-N series Model Selection System");
        EXPECT_EQ(label_of(m_dlg.get(), IDC_USEAGREEMENT_LABEL), "Use Agreement");
        EXPECT_EQ(m_dlg->GetTitle(), "Version Information");
        m_dlg.reset();
    }
}

TEST_F(AboutDlgShown, TermsOfUseAreTheThreeTextsReadOnly) {
    const VersionInf inf = full_info();
    Open(&inf);
    auto* box = dynamic_cast<wxTextCtrl*>(m_dlg->FindWindow(IDC_USEAGREEMENT));
    ASSERT_NE(box, nullptr);
    const std::string expected =
        crlf_to_lf(LoadStringRes(IDS_USEAGREEMENT1) + LoadStringRes(IDS_USEAGREEMENT2) +
                   LoadStringRes(IDS_USEAGREEMENT3));
    EXPECT_EQ(box->GetValue().utf8_string(), expected);
    // In order, each of the first two ending in an empty line.
    const std::string text = box->GetValue().utf8_string();
    const auto first = text.find("terms and conditions.\n\n<Terms of Use>\n");
    const auto second = text.find("required to use this system.\n\n<Copyright>\n");
    EXPECT_NE(first, std::string::npos);
    EXPECT_NE(second, std::string::npos);
    EXPECT_LT(first, second);

    EXPECT_TRUE(box->IsMultiLine());
    EXPECT_FALSE(box->IsEditable());
}

TEST_F(AboutDlgShown, LayoutKeepsEveryControlInsideAndTextsFit) {
    const VersionInf inf = full_info();
    Open(&inf);
    EXPECT_EQ(m_dlg->GetClientSize(), m_dlg->ConvertDialogToPixels(wxSize(287, 204)));
    const wxRect client(m_dlg->GetClientSize());
    for (wxWindow* child : m_dlg->GetChildren())
        EXPECT_TRUE(client.Contains(child->GetRect())) << child->GetId();
    // The two texts with their own fonts are not cut off.
    for (int id : {IDC_PRODUCT, IDC_VERSION}) {
        auto* p = dynamic_cast<wxStaticText*>(m_dlg->FindWindow(id));
        ASSERT_NE(p, nullptr);
        int w = 0, h = 0;
        const wxFont font = p->GetFont();
        p->GetTextExtent(p->GetLabelText(), &w, &h, nullptr, nullptr, &font);
        EXPECT_LE(w, p->GetSize().x) << id;
        EXPECT_LE(h, p->GetSize().y) << id;
    }
}

// The fonts are made from the main window's font with cell heights of 15 and 12 pixels, exist
// only while the dialog does, and a second opening makes a fresh pair.
TEST(AboutDlg, FontsComeFromTheMainWindowAndLiveWithTheDialog) {
    auto* mainWindow = new wxFrame(nullptr, wxID_ANY, "main");
    wxFont mainFont(wxFontInfo(11).FaceName("DejaVu Serif"));
    mainWindow->SetFont(mainFont);
    mainWindow->Show();
    wxTheApp->SetTopWindow(mainWindow);
    ASSERT_TRUE(PumpUntil([&] { return mainWindow->IsShownOnScreen(); }));
    const wxString mainFace = mainWindow->GetFont().GetFaceName();

    for (int opening = 0; opening < 2; ++opening) {
        SCOPED_TRACE(opening);
        EXPECT_EQ(CAboutDlg::CountLiveFonts(), 0);
        {
            CAboutDlg dlg;
            const VersionInf inf = full_info();
            ASSERT_TRUE(dlg._SetVerInfo(&inf));
            bool checked = false;
            dlg.CallAfter([&] {
                EXPECT_EQ(CAboutDlg::CountLiveFonts(), 2);
                auto* product = dlg.FindWindow(IDC_PRODUCT);
                auto* version = dlg.FindWindow(IDC_VERSION);
                EXPECT_EQ(product->GetFont().GetFaceName(), mainFace);
                EXPECT_EQ(version->GetFont().GetFaceName(), mainFace);
                const int productCell = MeasureCellHeight(product->GetFont(), &dlg);
                const int versionCell = MeasureCellHeight(version->GetFont(), &dlg);
                EXPECT_LE(productCell, 15);
                EXPECT_GE(productCell, 13);
                EXPECT_LE(versionCell, 12);
                EXPECT_GE(versionCell, 10);
                checked = true;
                // OK ends it.
                wxCommandEvent click(wxEVT_BUTTON, wxID_OK);
                click.SetEventObject(dlg.FindWindow(wxID_OK));
                dlg.FindWindow(wxID_OK)->ProcessWindowEvent(click);
            });
            EXPECT_EQ(dlg.ShowModal(), wxID_OK);
            EXPECT_TRUE(checked);
        }
        EXPECT_EQ(CAboutDlg::CountLiveFonts(), 0);
    }
    wxTheApp->SetTopWindow(nullptr);
    mainWindow->Destroy();
    PumpFor(50);
}

// A failure inside _SetVerInfo is reported through the dialog's own log writer and a box
// with "(#10001)"; the dialog can still be shown.
TEST(AboutDlg, SetVerInfoFailureIsReported) {
    ClearTodaysLog();
    CAboutDlg dlg;
    std::string text, caption;
    bool result = true;
    wxTEST_DIALOG(result = dlg._SetVerInfo(nullptr), CExpectMessage(wxID_OK, &text, &caption));
    EXPECT_FALSE(result);
    EXPECT_EQ(text, "Processing cannot be continued.(#10001)");
    EXPECT_EQ(caption, "Error");
    const auto lines = ReadTodaysLogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(",CAboutDlg::_SetVerInfo(),CAboutDlg::_SetVerInfo(),no version "
                            "information"),
              std::string::npos)
        << lines[0];
    EXPECT_EQ(lines[0].substr(19, 10), ",00000000,");
    dlg.Show();
    EXPECT_TRUE(PumpUntil([&] { return dlg.IsShownOnScreen(); }));
}
