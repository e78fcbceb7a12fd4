#pragma once

#include <functional>
#include <memory>
#include <string>
#include <wx/dialog.h>
#include <wx/font.h>

// The notice that the movie's player (the web engine) is missing or too old, with a badge
// that opens the page where users obtain it. The caller sets the two texts and shows it modally.
class CFlashCheckDlg : public wxDialog {
public:
    explicit CFlashCheckDlg(wxWindow* pParent = nullptr);
    ~CFlashCheckDlg() override;

    // Moves the two texts into controls 1016 and 1019.
    bool TransferDataToWindow() override;

    std::string m_strErrMsg;    // the notice (control 1016)
    std::string m_strTradeMark; // the line below the badge (control 1019)

    // Opens an address in the user's browser; replaceable so tests start no browser.
    using BrowserLauncher = std::function<bool(const wxString& strUrl)>;
    // Installs a launcher (an empty one restores the browser) and returns the previous one.
    static BrowserLauncher SetBrowserLauncher(BrowserLauncher launcher);

private:
    void OnInitDialog(wxInitDialogEvent& event);
    // A click on the badge: opens the download page; the notice stays open.
    void OnGetFlashPlayer();

    std::unique_ptr<wxFont> m_pFontErrMsg;
    std::unique_ptr<wxFont> m_pFontTradeMark;
};
