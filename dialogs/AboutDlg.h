#pragma once

#include "app/ErrorLog.h"
#include "update/VersionInf.h"

#include <memory>
#include <string>
#include <wx/dialog.h>
#include <wx/font.h>

// "Version Information": product name, installed version, the information file's copyright
// line and the terms of use. Made, filled with _SetVerInfo, shown modally and destroyed within
// one handler of the main window.
class CAboutDlg : public wxDialog {
public:
    explicit CAboutDlg(wxWindow* pParent = nullptr);
    ~CAboutDlg() override;

    // Fills the texts from the information file's record (only read). Returns false after a
    // reported failure; the dialog can still be shown with what was set before it.
    bool _SetVerInfo(const VersionInf* pInf);

    // Moves the texts into their controls (the version, the copyright line, the terms).
    bool TransferDataToWindow() override;

    // Fonts made by version dialogs and not yet released, over all instances.
    static int CountLiveFonts();

    // The texts of the copyright line, the version and the terms box.
    std::string m_strCopyright;
    std::string m_strVersion;
    std::string m_strUseAgreement;

private:
    void OnInitDialog(wxInitDialogEvent& event);
    // Releases the fonts; the window's controls keep their own references while they live.
    void OnDestroy();

    std::unique_ptr<wxFont> m_pFontProduct;
    std::unique_ptr<wxFont> m_pFontVersion;
    CErrorLog m_errLog;
};
