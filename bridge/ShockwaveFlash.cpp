#include "bridge/ShockwaveFlash.h"

#include "app/ErrorLog.h"
#include "bridge/BridgeScript.h"
#include "bridge/Json.h"

#include <wx/filesys.h>
#include <wx/uri.h>
#include <wx/utils.h>
#include <wx/webview.h>

std::function<bool(const std::string&)> CShockwaveFlash::s_openExternal =
    [](const std::string& url) { return wxLaunchDefaultBrowser(wxString::FromUTF8(url)); };

namespace {

// wx also publishes the handler as window.<name>, so it must not be "brennix".
constexpr const char* kHandlerName = "brennixHost";

std::string to_utf8(const wxString& s) {
    return s.utf8_string();
}

// Compares addresses without their fragment and with %-escapes undone, so the engine's
// spelling of a file: URL matches ours.
std::string normalise_url(const wxString& url) {
    wxString u = url.BeforeFirst('#');
    return to_utf8(wxURI::Unescape(u));
}

bool is_web_address(const wxString& url) {
    const wxString lower = url.Lower();
    return lower.StartsWith("http://") || lower.StartsWith("https://");
}

} // namespace

CShockwaveFlash::CShockwaveFlash() : m_alive(std::make_shared<bool>(true)) {}

CShockwaveFlash::~CShockwaveFlash() {
    *m_alive = false;
}

bool CShockwaveFlash::Create(wxWindow* pParent, int nId, const wxRect& rect) {
    wxWebView* view = wxWebView::New(pParent, nId, wxWebViewDefaultURLStr, rect.GetPosition(),
                                     rect.GetSize(), wxWebViewBackendDefault, wxWANTS_CHARS);
    if (!view)
        return false;
    m_pView = view;
    view->EnableContextMenu(false);
    view->EnableHistory(false);
    if (!view->AddScriptMessageHandler(kHandlerName) ||
        !view->AddUserScript(wxString::FromUTF8(kBridgeScript),
                             wxWEBVIEW_INJECT_AT_DOCUMENT_START)) {
        m_pView = nullptr;
        view->Destroy();
        return false;
    }
    // The only handler there is (the event does not name it on this platform).
    view->Bind(wxEVT_WEBVIEW_SCRIPT_MESSAGE_RECEIVED,
               [this](wxWebViewEvent& e) { _OnScriptMessage(e.GetString()); });
    view->Bind(wxEVT_WEBVIEW_NAVIGATING, &CShockwaveFlash::_OnNavigating, this);
    view->Bind(wxEVT_WEBVIEW_NEWWINDOW, &CShockwaveFlash::_OnNewWindow, this);
    // The view goes with its parent window; forget it then.
    view->Bind(wxEVT_DESTROY, [this, view](wxWindowDestroyEvent& e) {
        if (e.GetEventObject() == view)
            m_pView = nullptr;
        e.Skip();
    });
    return true;
}

void CShockwaveFlash::Detach() {
    m_pView = nullptr;
    m_heldEvents.clear();
}

void CShockwaveFlash::SetEventHandlers(FSCommandHandler onFSCommand, FlashCallHandler onFlashCall) {
    m_onFSCommand = std::move(onFSCommand);
    m_onFlashCall = std::move(onFlashCall);
}

void CShockwaveFlash::LoadMovie(int /*nLayer*/, const std::string& strPath) {
    if (!m_pView)
        return;
    m_strMovieUrl = to_utf8(wxFileSystem::FileNameToURL(wxFileName(wxString::FromUTF8(strPath))));
    m_pView->LoadURL(wxString::FromUTF8(m_strMovieUrl));
}

void CShockwaveFlash::Zoom(int nFactor) {
    if (!m_pView)
        return;
    // As with the original player, 0 means the movie's own size.
    const float factor = nFactor > 0 ? static_cast<float>(nFactor) / 100.0f : 1.0f;
    if (m_pView->CanSetZoomType(wxWEBVIEW_ZOOM_TYPE_LAYOUT))
        m_pView->SetZoomType(wxWEBVIEW_ZOOM_TYPE_LAYOUT);
    m_pView->SetZoomFactor(factor);
}

void CShockwaveFlash::StopPlay() {
    _Run("h ? h.stopPlay() : ''");
}

void CShockwaveFlash::SetVariable(const std::string& strName, const std::string& strValue) {
    // Before the movie's page exists there is nothing to receive the value: it is dropped,
    // as it was with a player that had not loaded its movie yet.
    _Run("h ? h.setVariable(" + JsonQuote(strName) + "," + JsonQuote(strValue) + ") : ''");
}

std::string CShockwaveFlash::GetVariable(const std::string& strName) {
    return _Run("h ? h.getVariable(" + JsonQuote(strName) + ") : ''");
}

std::string CShockwaveFlash::CallFunction(const std::string& strRequest) {
    return _Run("h ? h.callFunction(" + JsonQuote(strRequest) +
                ") : (function(){throw new Error('the movie is not loaded');})()");
}

// Runs an expression over h (the bridge's host side, or undefined before the movie's page
// exists). The answer comes back as ["ok", text] or ["error", message].
std::string CShockwaveFlash::_Run(const std::string& strExpression) {
    if (!m_pView)
        return {};
    if (IsBusy())
        throw CMovieCallError("The movie is busy with another call.");
    wxString out;
    bool ok;
    {
        ++m_nScriptDepth;
        auto alive = m_alive;
        const std::string script =
            "(function(){try{var b=window.brennix,h=b&&b.__host;"
            "return JSON.stringify(['ok',String(" +
            strExpression +
            ")]);}catch(e){return JSON.stringify(['error',String(e&&e.message||e)]);}})()";
        ok = m_pView && m_pView->RunScript(wxString::FromUTF8(script), &out);
        if (!*alive)
            throw CMovieCallError("The movie player was closed during a call.");
        --m_nScriptDepth;
    }
    _FlushEvents();
    if (!ok)
        throw CMovieCallError("The movie player could not run a call.");
    const std::string raw = to_utf8(out);
    const auto answer = JsonStringArray(raw);
    if (!answer || answer->size() != 2)
        throw CMovieCallError("The movie gave an unreadable answer: " + TruncateText(raw, 200));
    if ((*answer)[0] != "ok")
        throw CMovieCallError("The movie refused a call: " + (*answer)[1]);
    return (*answer)[1];
}

bool CShockwaveFlash::_IsMovieShown() const {
    return m_pView && !m_strMovieUrl.empty() &&
           normalise_url(m_pView->GetCurrentURL()) ==
               normalise_url(wxString::FromUTF8(m_strMovieUrl));
}

void CShockwaveFlash::_OnScriptMessage(const wxString& strMessage) {
    if (!_IsMovieShown())
        return; // only the movie we loaded may raise events
    auto items = JsonStringArray(to_utf8(strMessage));
    if (!items || items->empty())
        return;
    m_heldEvents.push_back(std::move(*items));
    _FlushEvents();
}

void CShockwaveFlash::_FlushEvents() {
    if (IsBusy() || m_bInEvent || m_heldEvents.empty() || !m_pView)
        return;
    // Deliver from the event loop, never from inside the caller's own stack frame.
    auto alive = m_alive;
    m_pView->CallAfter([this, alive] {
        if (!*alive)
            return;
        while (!m_heldEvents.empty() && !IsBusy() && !m_bInEvent) {
            auto items = std::move(m_heldEvents.front());
            m_heldEvents.pop_front();
            m_bInEvent = true;
            try {
                _Dispatch(items);
            } catch (...) {
                // Handlers report their own failures; the player only keeps going.
            }
            if (!*alive)
                return;
            m_bInEvent = false;
        }
    });
}

void CShockwaveFlash::_Dispatch(const std::vector<std::string>& items) {
    if (items[0] == "FSCommand" && items.size() == 3) {
        if (m_onFSCommand)
            m_onFSCommand(items[1], items[2]);
    } else if (items[0] == "FlashCall" && items.size() == 2) {
        if (m_onFlashCall)
            m_onFlashCall(items[1]);
    }
}

void CShockwaveFlash::_OnNavigating(wxWebViewEvent& event) {
    const wxString url = event.GetURL();
    if (!m_strMovieUrl.empty() &&
        normalise_url(url) == normalise_url(wxString::FromUTF8(m_strMovieUrl)))
        return; // the movie itself (or a place inside it)
    if (url == wxWebViewDefaultURLStr)
        return;
    event.Veto();
    if (is_web_address(url) && s_openExternal)
        s_openExternal(to_utf8(url));
}

void CShockwaveFlash::_OnNewWindow(wxWebViewEvent& event) {
    const wxString url = event.GetURL();
    if (is_web_address(url) && s_openExternal)
        s_openExternal(to_utf8(url));
}
