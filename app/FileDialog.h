#pragma once

#include <wx/filedlg.h>

// The open and save dialogs. The chosen path can also be set from outside while the dialog
// is up: the native dialog reports a path only once the user has really picked one, so a
// script answering the dialog (an automated test) sets it here.
class CFileDialog : public wxFileDialog {
public:
    using wxFileDialog::wxFileDialog;

    wxString GetChosenPath() const { return m_strChosen.empty() ? GetPath() : m_strChosen; }
    void SetChosenPath(const wxString& strPath) { m_strChosen = strPath; }

private:
    wxString m_strChosen;
};
