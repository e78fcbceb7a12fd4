#include "dialogs/FlashCheckDlg.h"

#include "app/Resource.h"
#include "dialogs/DialogUtil.h"
#include "dialogs/PlayerRequirement.h"
#include "res/Pictures.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/generic/statbmpg.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/utils.h>

namespace {

wxString to_wx_lines(const std::string& s) {
    wxString text = wxString::FromUTF8(s.data(), s.size());
    text.Replace("\r\n", "\n");
    return text;
}

CFlashCheckDlg::BrowserLauncher& launcher() {
    static CFlashCheckDlg::BrowserLauncher s_launcher;
    return s_launcher;
}

// A picture that reports a click (press and release on it) as a button event with its id,
// like a static picture that sends click notifications. It has a window of its own, so it
// receives the mouse on every platform.
class CClickablePicture : public wxGenericStaticBitmap {
public:
    CClickablePicture(wxWindow* pParent, int nId, const wxBitmap& bmp, const wxPoint& pos)
        : wxGenericStaticBitmap(pParent, nId, bmp, pos, bmp.GetSize()) {
        SetCursor(wxCursor(wxCURSOR_HAND));
        // A quick second press arrives as a double click; it is a click of its own.
        Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent&) { m_bPressed = true; });
        Bind(wxEVT_LEFT_DCLICK, [this](wxMouseEvent&) { m_bPressed = true; });
        Bind(wxEVT_LEFT_UP, [this](wxMouseEvent& e) {
            const bool click = m_bPressed && GetClientRect().Contains(e.GetPosition());
            m_bPressed = false;
            if (click) {
                wxCommandEvent event(wxEVT_BUTTON, GetId());
                event.SetEventObject(this);
                ProcessWindowEvent(event);
            }
        });
        Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { m_bPressed = false; });
        Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent&) { m_bPressed = false; });
    }

private:
    bool m_bPressed = false;
};

} // namespace

CFlashCheckDlg::CFlashCheckDlg(wxWindow* pParent)
    : wxDialog(pParent, IDD_FLASHCHECK, "TARVOS-N series Model Selection System", wxDefaultPosition,
               wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    // Template 145: its font is 9 points (the system's face); positions and sizes are in
    // dialog units of that font.
    SetFont(TemplateFont(GetFont()));
    auto pos = [this](int x, int y) { return ConvertDialogToPixels(wxPoint(x, y)); };
    auto size = [this](int w, int h) { return ConvertDialogToPixels(wxSize(w, h)); };
    SetClientSize(size(271, 128));

    auto* ok = new wxButton(this, wxID_OK, "OK", pos(111, 107), size(50, 14));
    ok->SetDefault();
    new wxStaticText(this, IDC_ERRMSG, "IDC_ERR_MSG", pos(34, 7), size(224, 42),
                     wxALIGN_LEFT | wxST_NO_AUTORESIZE);
    // The badge keeps its own size, like a picture control showing a bitmap.
    new CClickablePicture(this, IDC_GETPLAYER, LoadResBitmap(IDB_GETPLAYER), pos(10, 61));
    new wxStaticText(this, IDC_TRADE_MARK, "IDC_TRADE_MARK", pos(10, 83), size(248, 15),
                     wxALIGN_LEFT | wxST_NO_AUTORESIZE);
    new wxStaticBitmap(this, IDC_ERRICON, wxNullBitmap, pos(10, 7), size(20, 20));

    SetAffirmativeId(wxID_OK);
    Bind(wxEVT_INIT_DIALOG, &CFlashCheckDlg::OnInitDialog, this);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnGetFlashPlayer(); }, IDC_GETPLAYER);
    CentreDialog(this);
}

CFlashCheckDlg::~CFlashCheckDlg() = default;

CFlashCheckDlg::BrowserLauncher CFlashCheckDlg::SetBrowserLauncher(BrowserLauncher next) {
    BrowserLauncher previous = std::move(launcher());
    launcher() = std::move(next);
    return previous;
}

bool CFlashCheckDlg::TransferDataToWindow() {
    // Set as plain text, then wrapped to the control's width like a multi-line static text.
    if (auto* p = dynamic_cast<wxStaticText*>(FindWindow(IDC_ERRMSG)))
        p->SetLabelText(to_wx_lines(m_strErrMsg));
    if (auto* p = dynamic_cast<wxStaticText*>(FindWindow(IDC_TRADE_MARK)))
        p->SetLabelText(to_wx_lines(m_strTradeMark));
    return true;
}

void CFlashCheckDlg::OnInitDialog(wxInitDialogEvent&) {
    TransferDataToWindow();

    wxFont base = GetFont();
    base.SetWeight(wxFONTWEIGHT_MEDIUM);
    m_pFontErrMsg = std::make_unique<wxFont>(MakeCellHeightFont(base, 14, this));
    m_pFontTradeMark = std::make_unique<wxFont>(MakeCellHeightFont(base, 10, this));
    const std::pair<int, const wxFont*> fonts[] = {{IDC_ERRMSG, m_pFontErrMsg.get()},
                                                   {IDC_TRADE_MARK, m_pFontTradeMark.get()}};
    for (const auto& [id, font] : fonts) {
        if (auto* p = dynamic_cast<wxStaticText*>(FindWindow(id))) {
            p->SetFont(*font);
            // Static texts break their lines at the control's width.
            p->Wrap(p->GetSize().x);
            p->Refresh();
        }
    }

    if (auto* p = dynamic_cast<wxStaticBitmap*>(FindWindow(IDC_ERRICON)))
        p->SetBitmap(wxArtProvider::GetBitmap(wxART_ERROR, wxART_MESSAGE_BOX, wxSize(32, 32)));
}

void CFlashCheckDlg::OnGetFlashPlayer() {
    const wxString url = kEngineDownloadUrl;
    if (launcher())
        launcher()(url);
    else
        wxLaunchDefaultBrowser(url);
}
