#include "app/Report.h"

#include <cerrno>
#include <wx/msgdlg.h>

namespace {
wxString to_wx(const std::string& s) {
    return wxString::FromUTF8(s.data(), s.size());
}
} // namespace

void ShowErrorBox(wxWindow* pOwner, const std::string& strText) {
    wxMessageDialog dlg(pOwner, to_wx(strText), "Error", wxOK | wxICON_ERROR);
    dlg.ShowModal();
}

void ReportCodedFailure(wxWindow* pOwner, CSourceSite site, const std::string& strFunction,
                        const std::string& strCall, const std::string& strCode, CErrorLog& log) {
    const std::string msg = ComposeErrorMessage(strCode);
    LogReportWithCode(log, site, strFunction, strCall, errno, msg);
    ShowErrorBox(pOwner, msg);
}

void ReportException(wxWindow* pOwner, CSourceSite site, const std::string& strLabel,
                     const std::exception& e, CErrorLog& log) {
    const std::string text = ExceptionText(e);
    LogReportWithCode(log, site, strLabel, strLabel, errno, text);
    ShowErrorBox(pOwner, ComposeErrorMessage("(#10001)"));
}
