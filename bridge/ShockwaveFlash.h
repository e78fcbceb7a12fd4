#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <wx/gdicmn.h>

class wxWebView;
class wxWindow;
class wxWebViewEvent;

// A movie call that the player refused (the script failed, or the player is busy).
class CMovieCallError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The movie player: a web view showing the selection movie, driven through six operations
// and raising two events, FSCommand and FlashCall. Texts are UTF-8.
//
// The web view runs a nested event loop while it waits for a script's result, so timers,
// menu commands and the movie's own messages can arrive in the middle of a call. No script
// call starts while another is running: IsBusy() tells callers to wait, and the movie's events
// are held back until the running call (and any event handler still running) has returned.
class CShockwaveFlash {
public:
    using FSCommandHandler =
        std::function<void(const std::string& command, const std::string& args)>;
    using FlashCallHandler = std::function<void(const std::string& request)>;

    CShockwaveFlash();
    ~CShockwaveFlash();
    CShockwaveFlash(const CShockwaveFlash&) = delete;
    CShockwaveFlash& operator=(const CShockwaveFlash&) = delete;

    // Creates the web view as a child of pParent. False when the web view cannot be made.
    bool Create(wxWindow* pParent, int nId, const wxRect& rect);
    bool IsAttached() const { return m_pView != nullptr; }
    // Lets go of the view (its window is about to go): later calls do nothing, and events
    // still held back are dropped.
    void Detach();
    wxWebView* GetView() const { return m_pView; }
    bool IsBusy() const { return m_nScriptDepth > 0; }

    void SetEventHandlers(FSCommandHandler onFSCommand, FlashCallHandler onFlashCall);

    // The six operations. A call on a wrapper that is not attached does nothing and yields "".
    void LoadMovie(int nLayer, const std::string& strPath);
    void Zoom(int nFactor);
    void StopPlay();
    void SetVariable(const std::string& strName, const std::string& strValue);
    std::string GetVariable(const std::string& strName);
    std::string CallFunction(const std::string& strRequest);

    // The address of the loaded movie (file: URL), or "" before LoadMovie.
    const std::string& GetMovieUrl() const { return m_strMovieUrl; }

    // Opens an http(s) address outside the player; replaceable for tests.
    static std::function<bool(const std::string&)> s_openExternal;

private:
    std::string _Run(const std::string& strScript);
    void _OnScriptMessage(const wxString& strMessage);
    void _OnNavigating(wxWebViewEvent& event);
    void _OnNewWindow(wxWebViewEvent& event);
    void _Dispatch(const std::vector<std::string>& items);
    void _FlushEvents();
    bool _IsMovieShown() const;

    wxWebView* m_pView = nullptr;
    std::string m_strMovieUrl;
    int m_nScriptDepth = 0;
    bool m_bInEvent = false;
    std::deque<std::vector<std::string>> m_heldEvents;
    FSCommandHandler m_onFSCommand;
    FlashCallHandler m_onFlashCall;
    std::shared_ptr<bool> m_alive;
};
