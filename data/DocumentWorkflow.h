#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>

// What the main window does when the movie hands over its data.
enum PendingAction : int32_t {
    PENDING_NONE = 1,
    PENDING_NEW = 2,
    PENDING_OPEN = 3,
    PENDING_SAVE = 4,
    PENDING_EXIT = 5,
    PENDING_EXIT_UPDATE = 6,
};

// The document side of the main window: the current file, the text last opened or saved,
// and the two-step requests (ask the movie for its data, act when it answers). The window
// supplies the movie, the dialogs and the message boxes through the protected hooks, so the
// whole workflow runs and is tested without a window too.
class CBrennixDoc {
public:
    virtual ~CBrennixDoc() = default;

    // Requests: record the pending action and save mode, then ask the movie for its data.
    int _RequestNew();
    int _RequestOpen();
    int _RequestSave();
    int _RequestSaveAs();
    int _RequestExit(bool bForUpdate);

    // The movie's answer: command is its data; args is never read.
    void OnFSCommandSwf(const std::string& command, const std::string& args);

    // 1 saved (or the Save As dialog was cancelled), 0 the save failed.
    int _SaveToFile(std::string strData);
    // 0 opened (or the Open dialog was cancelled), 1 failure, 4 not intact or no text.
    int _LoadFromFile(std::string strPath);
    static int _isBinary(const uint8_t* pText, int32_t nLength);

    PendingAction m_nPendingAction = PENDING_NONE;
    bool m_bFatalError = false;
    std::string m_strSaveMode;
    std::string m_strFilePath;
    std::string m_strLastData;

    static constexpr const char* kDataMarker = "XML_PARA_VER";
    static constexpr const char* kUntitled = "untitled.nsr";
    static constexpr const char* kSaveFilter =
        "TARVOS-N series Model Selection System Data(*.nsr)|*.nsr";
    static constexpr const char* kOpenFilter =
        "TARVOS-N series Model Selection System Data(*.nsr)|*.nsr|All Files|*.*";
    static constexpr const char* kDamagedText =
        "The contents of this file are damaged or corrupted.\nThe file cannot be used.";

protected:
    enum class EAnswer { Yes, No, Cancel };

    virtual void _SetMovieVariable(const std::string& strName, const std::string& strValue) = 0;
    // "Save" box with Yes, No and Cancel and the warning icon.
    virtual EAnswer _AskSaveChanges(const std::string& strPrompt) = 0;
    // "There is no data to save." with caption "Save" and OK.
    virtual void _ShowNoDataToSave() = 0;
    // Save dialog proposing strInitial; the chosen full path, or nothing when cancelled.
    virtual std::optional<std::string> _AskSavePath(const std::string& strInitial) = 0;
    // Open dialog; the chosen full path, or nothing when cancelled.
    virtual std::optional<std::string> _AskOpenPath() = 0;
    // "Error" box with the error icon.
    virtual void _ShowError(const std::string& strText) = 0;
    // Shows an address in the user's browser.
    virtual void _OpenUrl(const std::string& strUrl) = 0;
    // Ends the program.
    virtual void _Quit() = 0;
    // The address a newer release is downloaded from.
    virtual std::string _DownloadUrl() const = 0;

private:
    // Records what to do when the data arrive, then asks the movie for them.
    int _Request(PendingAction nAction, const char* szSaveMode);
    void _ExitForUpdate();
    void _ReportCaught(const char* label, const std::exception& e);
};

// True for http: and https: addresses, the only ones the program hands to the browser.
bool IsWebAddress(const std::string& strUrl);
