#pragma once

#include "app/ErrorLog.h"

#include <exception>
#include <stdexcept>
#include <string>

class wxWindow;

// The standard ways a window reports a failure: one line in the error log and, where a
// window is at hand, a message box captioned "Error".

// Coded failure: logs "Processing cannot be continued.<code>" and shows the same text.
void ReportCodedFailure(wxWindow* pOwner, CSourceSite site, const std::string& strFunction,
                        const std::string& strCall, const std::string& strCode,
                        CErrorLog& log = g_ErrorLog);

// Caught exception in a guarded handler: logs the exception's text under the handler's label
// and shows "Processing cannot be continued.(#10001)".
void ReportException(wxWindow* pOwner, CSourceSite site, const std::string& strLabel,
                     const std::exception& e, CErrorLog& log = g_ErrorLog);

// A message box with a bare code (or any text) and the error icon; nothing is logged.
void ShowErrorBox(wxWindow* pOwner, const std::string& strText);

// Runs a handler body; any exception is reported as procedure B under the label.
// Returns false when the body threw.
template <class F>
bool RunGuarded(wxWindow* pOwner, CSourceSite site, const char* label, F&& body) {
    try {
        body();
        return true;
    } catch (const std::exception& e) {
        ReportException(pOwner, site, label, e);
    } catch (...) {
        ReportException(pOwner, site, label, std::runtime_error("unknown exception"));
    }
    return false;
}
