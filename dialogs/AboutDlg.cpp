#include "dialogs/AboutDlg.h"

#include "app/Report.h"
#include "app/Resource.h"
#include "dialogs/DialogUtil.h"
#include "res/Pictures.h"
#include "res/StringTable.h"

#include <stdexcept>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace {

int g_nLiveFonts = 0;

wxString to_wx(const std::string& s) {
    return wxString::FromUTF8(s.data(), s.size());
}

// Text controls take "\n" as their line break.
wxString to_wx_lines(const std::string& s) {
    wxString text = to_wx(s);
    text.Replace("\r\n", "\n");
    return text;
}

} // namespace

CAboutDlg::CAboutDlg(wxWindow* pParent)
    : wxDialog(pParent, IDD_ABOUTBOX, "Version Information", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    // Template 100: its font is 9 points (the system's face); positions and sizes are in
    // dialog units of that font.
    SetFont(TemplateFont(GetFont()));
    auto pos = [this](int x, int y) { return ConvertDialogToPixels(wxPoint(x, y)); };
    auto size = [this](int w, int h) { return ConvertDialogToPixels(wxSize(w, h)); };
    SetClientSize(size(287, 204));

    new wxStaticBitmap(this, wxID_ANY, LoadAppIcon().GetIcon(32), pos(10, 11), size(20, 20));
    auto* ok = new wxButton(this, wxID_OK, "OK", pos(229, 183), size(51, 14));
    ok->SetDefault();
    new wxStaticText(this, IDC_PRODUCT, "TARVOS-N series Model Selection System", pos(38, 13),
                     size(244, 12), wxST_NO_AUTORESIZE);
    new wxStaticText(this, IDC_VERSION, "Version", pos(93, 27), size(50, 9),
                     wxALIGN_RIGHT | wxST_NO_AUTORESIZE);
    new wxStaticText(this, IDC_USEAGREEMENT_LABEL, "Use Agreement", pos(7, 49), size(58, 8),
                     wxST_NO_AUTORESIZE);
    new wxTextCtrl(this, IDC_USEAGREEMENT, wxEmptyString, pos(7, 61), size(273, 98),
                   wxTE_MULTILINE | wxTE_READONLY | wxTE_WORDWRAP | wxVSCROLL | wxBORDER_SUNKEN);
    new wxStaticText(this, IDC_COPYRIGHT, "Copyright (C) the maker. All rights reserved.",
                     pos(7, 166), size(265, 8), wxST_NO_AUTORESIZE);

    SetAffirmativeId(wxID_OK);
    Bind(wxEVT_INIT_DIALOG, &CAboutDlg::OnInitDialog, this);
    CentreDialog(this);
}

CAboutDlg::~CAboutDlg() {
    // The base class destroys the window after this body; the fonts go first, as on WM_DESTROY.
    OnDestroy();
}

bool CAboutDlg::_SetVerInfo(const VersionInf* pInf) {
    try {
        if (!pInf)
            throw std::invalid_argument("no version information");
        m_strVersion = "Ver. " + pInf->strVersion;
        m_strCopyright = pInf->strCopyright;
        m_strUseAgreement = LoadStringRes(IDS_USEAGREEMENT1);
        m_strUseAgreement += LoadStringRes(IDS_USEAGREEMENT2);
        m_strUseAgreement += LoadStringRes(IDS_USEAGREEMENT3);
        return true;
    } catch (const std::exception& e) {
        // No window of the dialog exists yet, so the box has no owner.
        ReportException(nullptr, BRX_SITE, "CAboutDlg::_SetVerInfo()", e, m_errLog);
    }
    return false;
}

bool CAboutDlg::TransferDataToWindow() {
    // Plain texts: an '&' in the copyright line is shown, not taken as a mnemonic.
    if (auto* p = dynamic_cast<wxControl*>(FindWindow(IDC_COPYRIGHT)))
        p->SetLabelText(to_wx(m_strCopyright));
    if (auto* p = dynamic_cast<wxControl*>(FindWindow(IDC_VERSION)))
        p->SetLabelText(to_wx(m_strVersion));
    if (auto* p = dynamic_cast<wxTextCtrl*>(FindWindow(IDC_USEAGREEMENT)))
        p->ChangeValue(to_wx_lines(m_strUseAgreement));
    return true;
}

void CAboutDlg::OnInitDialog(wxInitDialogEvent&) {
    TransferDataToWindow();
    // A dialog shown again gets fresh fonts; the ones of the last showing are released first.
    OnDestroy();

    wxWindow* pMain = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
    const wxFont base = (pMain && pMain != this) ? pMain->GetFont() : GetFont();

    m_pFontProduct = std::make_unique<wxFont>(MakeCellHeightFont(base, 15, this));
    ++g_nLiveFonts;
    if (auto* p = FindWindow(IDC_PRODUCT)) {
        p->SetFont(*m_pFontProduct);
        p->Refresh();
    }
    m_pFontVersion = std::make_unique<wxFont>(MakeCellHeightFont(base, 12, this));
    ++g_nLiveFonts;
    if (auto* p = FindWindow(IDC_VERSION)) {
        p->SetFont(*m_pFontVersion);
        p->Refresh();
    }
}

void CAboutDlg::OnDestroy() {
    if (m_pFontProduct) {
        m_pFontProduct.reset();
        --g_nLiveFonts;
    }
    if (m_pFontVersion) {
        m_pFontVersion.reset();
        --g_nLiveFonts;
    }
}

int CAboutDlg::CountLiveFonts() {
    return g_nLiveFonts;
}
