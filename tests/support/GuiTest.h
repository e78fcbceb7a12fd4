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

#include "app/FileDialog.h"
#include <deque>
#include <wx/modalhook.h>

// Answers the modal dialogs a test expects, in order. A dialog nobody expected is cancelled
// (never left on the screen to hang the test) and noted in Unexpected().
class CDialogScript : public wxModalDialogHook {
public:
    using Step = std::function<int(wxDialog*)>;

    CDialogScript() { Register(); }
    ~CDialogScript() override { Unregister(); }

    void Add(Step step) { m_steps.push_back(std::move(step)); }
    // Dialogs for which pred holds are shown as usual and counted, without using a step
    // (a progress window that may or may not appear, say).
    void PassThrough(std::function<bool(wxDialog*)> pred) { m_passThrough = std::move(pred); }
    int PassedThrough() const { return m_nPassed; }
    std::size_t Left() const { return m_steps.size(); }
    const std::vector<std::string>& Unexpected() const { return m_unexpected; }

    // A message box: answers it and records its text and caption.
    static Step Message(int answer, std::string* pText = nullptr, std::string* pCaption = nullptr) {
        return [=](wxDialog* dlg) -> int {
            auto* box = dynamic_cast<wxMessageDialog*>(dlg);
            if (!box)
                return wxID_CANCEL;
            if (pText)
                *pText = box->GetMessage().utf8_string();
            if (pCaption)
                *pCaption = box->GetTitle().utf8_string();
            return answer;
        };
    }

    struct FileSeen {
        bool bSave = false;
        std::string strName, strDir, strWildcard;
        bool bOverwritePrompt = false;
    };
    // A file dialog: records how it was set up, then chooses path (or cancels).
    static Step File(const std::string& path, int answer = wxID_OK, FileSeen* pSeen = nullptr) {
        return [=](wxDialog* dlg) -> int {
            auto* fd = dynamic_cast<CFileDialog*>(dlg);
            if (!fd)
                return wxID_CANCEL;
            if (pSeen) {
                pSeen->bSave = fd->HasFlag(wxFD_SAVE);
                pSeen->strName = fd->GetFilename().utf8_string();
                pSeen->strDir = fd->GetDirectory().utf8_string();
                pSeen->strWildcard = fd->GetWildcard().utf8_string();
                pSeen->bOverwritePrompt = fd->HasFlag(wxFD_OVERWRITE_PROMPT);
            }
            if (answer == wxID_OK)
                fd->SetChosenPath(wxString::FromUTF8(path));
            return answer;
        };
    }

protected:
    int Enter(wxDialog* dlg) override {
        if (m_passThrough && m_passThrough(dlg)) {
            ++m_nPassed;
            return wxID_NONE;
        }
        if (m_steps.empty()) {
            std::string what = dlg->GetTitle().utf8_string();
            if (auto* box = dynamic_cast<wxMessageDialog*>(dlg))
                what += ": " + box->GetMessage().utf8_string();
            m_unexpected.push_back(what);
            return wxID_CANCEL;
        }
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        return step(dlg);
    }
    void Exit(wxDialog*) override {}

private:
    std::deque<Step> m_steps;
    std::vector<std::string> m_unexpected;
    std::function<bool(wxDialog*)> m_passThrough;
    int m_nPassed = 0;
};
