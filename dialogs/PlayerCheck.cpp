#include "dialogs/PlayerCheck.h"

#include "app/ErrorLog.h"
#include "app/Report.h"
#include "dialogs/FlashCheckDlg.h"

#include <exception>
#include <memory>
#include <wx/frame.h>
#include <wx/webview.h>

CEngineProbe ProbeWebEngine() {
    CEngineProbe probe;
    probe.bBackendAvailable = wxWebView::IsBackendAvailable(wxWebViewBackendDefault);
    if (!probe.bBackendAvailable)
        return probe;

    try {
        // The probe's web view lives in a frame that is never shown; it is gone on return.
        std::unique_ptr<wxFrame> host(new wxFrame(nullptr, wxID_ANY, wxEmptyString));
        wxWebView* view = wxWebView::New(wxWebViewBackendDefault);
        if (!view) {
            probe.nCreateResult = kProbeNoObject;
        } else if (!view->Create(host.get(), wxID_ANY, wxWebViewDefaultURLStr)) {
            delete view;
            probe.nCreateResult = kProbeCreateFailed;
        }
    } catch (const std::exception&) {
        probe.nCreateResult = kProbeException;
    }

    const wxVersionInfo info = wxWebView::GetBackendVersionInfo(wxWebViewBackendDefault);
    probe.version = {info.GetMajor(), info.GetMinor(), info.GetMicro()};
    return probe;
}

int CheckFlashPlayerVersion(wxWindow* pOwner) {
    return CheckFlashPlayerVersion(pOwner, ProbeWebEngine());
}

int CheckFlashPlayerVersion(wxWindow* pOwner, const CEngineProbe& probe) {
    switch (DecidePlayerCheck(probe)) {
    case EPlayerCheck::Ready:
        return 0;
    case EPlayerCheck::Missing:
    case EPlayerCheck::TooOld: {
        CFlashCheckDlg dlg(nullptr);
        dlg.m_strErrMsg = PlayerNoticeText();
        dlg.m_strTradeMark = PlayerTradeMarkText();
        dlg.ShowModal();
        return -1;
    }
    case EPlayerCheck::CreateFailed:
        break;
    }
    // The failure's own code goes in the last-error column; the message stays empty.
    LogReportWithCode(g_ErrorLog, BRX_SITE, "CBrennixDlg::CheckFlashPlayerVersion()", "OleCreate()",
                      probe.nCreateResult, "");
    // The main window may not exist yet: a box needs a real window as its owner.
    ShowErrorBox(pOwner && pOwner->GetHandle() ? pOwner : nullptr, "(#3001)");
    return -1;
}
