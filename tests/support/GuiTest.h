#pragma once

// Helpers for tests of real windows (run under Xvfb when there is no display).

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>
#include <wx/utils.h>

// Runs the event loop until pred() holds or the time-out passes; returns pred().
inline bool PumpUntil(const std::function<bool()>& pred, int timeoutMs = 10000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline)
            return pred();
        wxTheApp->Yield(true);
        wxMilliSleep(5);
    }
    return true;
}

// Runs the event loop for a while.
inline void PumpFor(int ms) {
    PumpUntil([] { return false; }, ms);
}

// A scripted message box that also records its text and caption.
class CExpectMessage : public wxExpectModalBase<wxMessageDialog> {
public:
    CExpectMessage(int answer, std::string* pText = nullptr, std::string* pCaption = nullptr)
        : m_answer(answer), m_pText(pText), m_pCaption(pCaption) {}

protected:
    int OnInvoked(wxMessageDialog* dlg) const override {
        if (m_pText)
            *m_pText = dlg->GetMessage().utf8_string();
        if (m_pCaption)
            *m_pCaption = dlg->GetTitle().utf8_string();
        return m_answer;
    }

private:
    int m_answer;
    std::string* m_pText;
    std::string* m_pCaption;
};

// Reads the lines of today's error log in the test's temporary folder.
std::vector<std::string> ReadTodaysLogLines();
// Removes today's error log so a test sees only its own lines.
void ClearTodaysLog();
