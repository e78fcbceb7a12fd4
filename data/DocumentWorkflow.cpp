#include "data/DocumentWorkflow.h"

#include "app/ErrorLog.h"
#include "data/CryptUtil.h"

#include <cctype>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr const char* kVarSave = "_level0.LoadSave.exFunc.nSave";
constexpr const char* kVarNew = "_level0.LoadSave.exFunc.nNew";
constexpr const char* kVarLoad = "_level0.LoadSave.exFunc.nLoad";

} // namespace

bool IsWebAddress(const std::string& strUrl) {
    auto starts = [&](const char* prefix) {
        const std::size_t n = std::strlen(prefix);
        if (strUrl.size() <= n)
            return false;
        for (std::size_t i = 0; i < n; ++i)
            if (std::tolower(static_cast<unsigned char>(strUrl[i])) != prefix[i])
                return false;
        return true;
    };
    return starts("http://") || starts("https://");
}

int CBrennixDoc::_Request(PendingAction nAction, const char* szSaveMode) {
    m_nPendingAction = nAction;
    m_strSaveMode = szSaveMode;
    _SetMovieVariable(kVarSave, "1");
    return 1;
}

int CBrennixDoc::_RequestNew() {
    return _Request(PENDING_NEW, "SaveAs");
}

int CBrennixDoc::_RequestOpen() {
    return _Request(PENDING_OPEN, "SaveAs");
}

int CBrennixDoc::_RequestSave() {
    return _Request(PENDING_SAVE, m_strFilePath.empty() ? "SaveAs" : "OverWrite");
}

int CBrennixDoc::_RequestSaveAs() {
    return _Request(PENDING_SAVE, "SaveAs");
}

int CBrennixDoc::_RequestExit(bool bForUpdate) {
    return _Request(bForUpdate ? PENDING_EXIT_UPDATE : PENDING_EXIT, "SaveAs");
}

void CBrennixDoc::_ReportCaught(const char* label, const std::exception& e) {
    LogReport(g_ErrorLog, BRX_SITE, label, label, ExceptionText(e));
    _ShowError(ComposeErrorMessage("(#10001)"));
}

void CBrennixDoc::_ExitForUpdate() {
    const std::string url = _DownloadUrl();
    if (IsWebAddress(url)) {
        _OpenUrl(url);
    } else {
        // An address from a file must never start a local program.
        LogReport(g_ErrorLog, BRX_SITE, "CBrennixDlg::OnFSCommandSwf()", "_OpenUrl()",
                  "The download address is not an http or https address and was not opened: " +
                      url);
    }
    _Quit();
}

void CBrennixDoc::OnFSCommandSwf(const std::string& command, const std::string& /*args*/) {
    try {
        const std::string& data = command;
        if (data.find(kDataMarker) == std::string::npos) {
            switch (m_nPendingAction) {
            case PENDING_NEW:
                m_nPendingAction = PENDING_NONE;
                _SetMovieVariable(kVarNew, "1");
                break;
            case PENDING_OPEN:
                _LoadFromFile("");
                m_nPendingAction = PENDING_NONE;
                break;
            case PENDING_SAVE:
                _ShowNoDataToSave();
                m_nPendingAction = PENDING_NONE;
                break;
            case PENDING_EXIT:
                _Quit();
                break;
            case PENDING_EXIT_UPDATE:
                _ExitForUpdate();
                break;
            default:
                break;
            }
            return;
        }

        bool save = false;
        switch (m_nPendingAction) {
        case PENDING_NEW:
        case PENDING_OPEN:
        case PENDING_EXIT:
        case PENDING_EXIT_UPDATE:
            if (data != m_strLastData) {
                const std::string name = m_strFilePath.empty() ? kUntitled : m_strFilePath;
                const std::string prompt = "The content in the " + name +
                                           " file has changed. \nDo you want to save the changes ?";
                switch (_AskSaveChanges(prompt)) {
                case EAnswer::Yes:
                    save = true;
                    break;
                case EAnswer::No:
                    break;
                case EAnswer::Cancel:
                    m_nPendingAction = PENDING_NONE;
                    return;
                }
            }
            break;
        case PENDING_SAVE:
            save = true;
            break;
        default:
            return;
        }

        if (save && _SaveToFile(data) == 0) {
            m_nPendingAction = PENDING_NONE;
            return;
        }

        // Read again: a cancelled Save As dialog has abandoned the action.
        switch (m_nPendingAction) {
        case PENDING_NEW:
            m_nPendingAction = PENDING_NONE;
            m_strFilePath.clear();
            m_strLastData.clear();
            _SetMovieVariable(kVarNew, "1");
            break;
        case PENDING_OPEN:
            _LoadFromFile("");
            break;
        case PENDING_EXIT:
            _Quit();
            break;
        case PENDING_EXIT_UPDATE:
            _ExitForUpdate();
            break;
        default:
            break;
        }
    } catch (const std::exception& e) {
        _ReportCaught("CBrennixDlg::OnFSCommandSwf()", e);
    }
}

int CBrennixDoc::_SaveToFile(std::string strData) {
    try {
        std::string target;
        if (m_strSaveMode == "OverWrite") {
            target = m_strFilePath;
        } else {
            auto chosen = _AskSavePath(m_strFilePath.empty() ? kUntitled : m_strFilePath);
            if (!chosen) {
                m_nPendingAction = PENDING_NONE;
                return 1;
            }
            target = *chosen;
        }
        CCryptUtil crypt;
        if (crypt.CreateDataFile(target, static_cast<uint32_t>(strData.size()),
                                 reinterpret_cast<const uint8_t*>(strData.data())) == 0) {
            const std::string msg = ComposeErrorMessage("(#2001)");
            LogReport(g_ErrorLog, BRX_SITE, "CBrennixDlg::_SaveToFile()",
                      "CryptUtil.CreateDataFile()", msg);
            _ShowError(msg);
            return 0;
        }
        m_strFilePath = target;
        m_strLastData = std::move(strData);
        return 1;
    } catch (const std::exception& e) {
        _ReportCaught("CBrennixDlg::_SaveToFile()", e);
        return 0;
    }
}

int CBrennixDoc::_LoadFromFile(std::string strPath) {
    try {
        std::string source = strPath;
        if (source.empty()) {
            auto chosen = _AskOpenPath();
            if (!chosen)
                return 0;
            source = *chosen;
        }
        const std::string damaged = source + "\n" + kDamagedText;

        CCryptUtil crypt;
        uint32_t length = 0;
        uint8_t* raw = nullptr;
        const int result = crypt.ReadDataFile(source, &length, &raw);
        std::unique_ptr<uint8_t[]> plain(raw);
        if (result != 0) {
            LogReport(g_ErrorLog, BRX_SITE, "CBrennixDlg::_LoadFromFile()",
                      "CryptUtil.ReadDataFile()", "復号化取得処理に失敗しました。");
            _ShowError(damaged);
            return result;
        }
        if (_isBinary(plain.get(), static_cast<int32_t>(length)) == 0) {
            LogReport(g_ErrorLog, BRX_SITE, "CBrennixDlg::_LoadFromFile()", "_isBinary()", damaged);
            _ShowError(damaged);
            return 4;
        }
        // The movie gets the text up to its first NUL byte.
        const char* text = reinterpret_cast<const char*>(plain.get());
        std::string loaded(text, ::strnlen(text, length));
        _SetMovieVariable(kVarLoad, loaded);
        // Only a text the movie has taken counts as the last opened one.
        m_strLastData = std::move(loaded);
        m_strFilePath = source;
        return 0;
    } catch (const std::exception& e) {
        _ReportCaught("CBrennixDlg::_LoadFromFile()", e);
        return 1;
    }
}

int CBrennixDoc::_isBinary(const uint8_t* pText, int32_t nLength) {
    return (pText == nullptr || nLength == 0) ? 0 : 1;
}
