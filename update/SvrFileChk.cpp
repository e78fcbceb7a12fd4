#include "update/SvrFileChk.h"

#include "app/AppGlobals.h"
#include "app/ErrorLog.h"
#include "update/VersionInf.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr const char kTextNewest[] = "最新の選定システムを使用しています。";
constexpr const char kTextNoUpdateInfo[] =
    "サーバに接続できないか、または、アップデート情報がありません。";
constexpr const char kTextUpdateExists[] = "更新ファイルが存在します。\n更新しますか？";
constexpr const char kCaptionUpdate[] = "更新";
constexpr const char kCaptionConfirm[] = "確認";

void log_quietly(CSourceSite site, const std::string& strFunction, const std::string& strCall,
                 const std::string& strMessage) noexcept {
    try {
        LogReport(g_ErrorLog, site, strFunction, strCall, strMessage);
    } catch (...) {
    }
}

std::string current_exception_text() {
    try {
        throw;
    } catch (const std::exception& e) {
        return ExceptionText(e);
    } catch (...) {
        return "unknown exception";
    }
}

// Workers alive in this process. Never destroyed, so a worker that ends during process exit
// still finds it.
struct WorkerCount {
    std::mutex mtx;
    std::condition_variable cv;
    int n = 0;
};

WorkerCount& worker_count() {
    static WorkerCount* const p = new WorkerCount;
    return *p;
}

void worker_started() {
    WorkerCount& w = worker_count();
    std::lock_guard lock(w.mtx);
    ++w.n;
}

void worker_ended() {
    WorkerCount& w = worker_count();
    {
        std::lock_guard lock(w.mtx);
        --w.n;
    }
    w.cv.notify_all();
}

// Time the server fetch may take: what is left of the bound and a little more. The bound, not
// the transfer's own time-out, decides a silent server's outcome (5); the worker left behind
// then ends soon after.
constexpr milliseconds kFetchMargin{1000};
milliseconds fetch_timeout(Clock::time_point tpDeadline) {
    if (tpDeadline == Clock::time_point::max())
        return kDefaultFetchTimeout;
    const auto left = std::chrono::ceil<milliseconds>(tpDeadline - Clock::now());
    return std::max(left, milliseconds(0)) + kFetchMargin;
}

} // namespace

// State shared by the waiting side and the worker; whoever ends last frees it.
struct CSvrFileCheck::Shared {
    std::mutex mtx;
    std::condition_variable cv;
    Clock::time_point tpDeadline;
    // Written by the worker alone until bFinished is set; read by the waiting side only after.
    SvrFileChkParam param;
    bool bFinished = false;
    Clock::time_point tpFinished;
};

void _SplitString(std::string strText, std::string strSeparator, std::vector<std::string>* pOut) {
    pOut->clear();
    if (strText.empty())
        return;
    if (strSeparator.empty()) {
        pOut->push_back(std::move(strText));
        return;
    }
    std::size_t pos = 0;
    for (std::size_t found = strText.find(strSeparator, pos); found != std::string::npos;
         found = strText.find(strSeparator, pos)) {
        pOut->push_back(strText.substr(pos, found - pos));
        pos = found + strSeparator.size();
    }
    pOut->push_back(strText.substr(pos));
}

bool _IsServerNewer(const std::vector<std::string>& local, const std::vector<std::string>& server) {
    for (std::size_t i = 0; i < local.size(); ++i) {
        if (i >= server.size())
            return false; // the server names fewer components: not newer
        const std::string& s = server[i];
        std::string l = local[i];
        if (l.size() > s.size())
            return false;
        l.insert(0, s.size() - l.size(), '0');
        const int cmp = l.compare(s); // byte order (char_traits compares as unsigned char)
        if (cmp < 0)
            return true;
        if (cmp > 0)
            return false;
    }
    return false;
}

bool _IsServerVersionNewer(const std::string& strLocalVersion,
                           const std::string& strServerVersion) {
    std::vector<std::string> local;
    std::vector<std::string> server;
    _SplitString(strLocalVersion, ".", &local);
    _SplitString(strServerVersion, ".", &server);
    return _IsServerNewer(local, server);
}

void _SvrFileVersionCheck(SvrFileChkParam* pParam, Clock::time_point tpDeadline) {
    if (pParam == nullptr)
        return;
    try {
        if (!pParam->pFileList)
            pParam->pFileList = std::make_shared<std::vector<std::string>>();
        VersionInf local;
        if (!_GetLocalVersionInf(&local)) {
            log_quietly(BRX_SITE, "_SvrFileVersionCheck()", "_GetLocalVersionInf()", "(#1006)");
            pParam->nResult = SVRCHK_FAILED;
            return;
        }
        pParam->strUrlDownLoad = local.strUrlDownLoad;
        pParam->strUrlVersionCheck = local.strUrlVersionCheck;
        pParam->bLocalRead = true;

        VersionInf server;
        if (!_GetXmlInf(local.strUrlVersionCheck + "n_info.xml", &server,
                        fetch_timeout(tpDeadline))) {
            log_quietly(BRX_SITE, "_SvrFileVersionCheck()", "_GetXmlInf()",
                        "XML情報取得（サーバ）に失敗しました。");
            pParam->nResult = SVRCHK_FAILED;
            return;
        }
        if (_IsServerVersionNewer(local.strVersion, server.strVersion))
            pParam->pFileList->push_back(kUpdateFileName);
        pParam->nResult = pParam->pFileList->empty() ? SVRCHK_NEWEST : SVRCHK_UPDATE;
    } catch (...) {
        try {
            log_quietly(BRX_SITE, "_SvrFileVersionCheck()", "CBrennixDlg::_SvrFileVersionCheck()",
                        current_exception_text());
        } catch (...) {
        }
        pParam->nResult = SVRCHK_FAILED;
    }
}

bool CSvrFileCheck::Start(milliseconds timeout) {
    if (m_bStarted)
        return false;
    m_bStarted = true;
    timeout = std::clamp(timeout, milliseconds(0), milliseconds(std::chrono::hours(24)));
    m_tpDeadline = Clock::now() + timeout;
    try {
        auto shared = std::make_shared<Shared>();
        shared->tpDeadline = m_tpDeadline;
        m_pShared = shared;
        worker_started();
        try {
            std::thread([shared]() mutable {
                std::shared_ptr<Shared> s = std::move(shared);
                _SvrFileVersionCheck(&s->param, s->tpDeadline);
                {
                    std::lock_guard lock(s->mtx);
                    s->tpFinished = Clock::now();
                    s->bFinished = true;
                }
                s->cv.notify_all();
                s.reset(); // the last owner frees the record before the count drops
                worker_ended();
            }).detach();
        } catch (...) {
            worker_ended();
            throw;
        }
    } catch (...) {
        // No worker: the check failed.
        log_quietly(BRX_SITE, "_SvrFileVersionCheckThread()", "std::thread",
                    current_exception_text());
        m_pShared.reset();
        m_param = SvrFileChkParam{};
        m_param.nResult = SVRCHK_FAILED;
        m_bDone = true;
    }
    return true;
}

bool CSvrFileCheck::IsDone() {
    if (m_bDone)
        return true;
    if (!m_bStarted || !m_pShared)
        return false;
    bool bInTime = false;
    {
        std::lock_guard lock(m_pShared->mtx);
        if (m_pShared->bFinished && m_pShared->tpFinished <= m_tpDeadline) {
            m_param = std::move(m_pShared->param);
            bInTime = true;
        }
    }
    if (bInTime) {
        if (m_param.bLocalRead) {
            g_strUrlDownLoad = m_param.strUrlDownLoad;
            g_strUrlVersionCheck = m_param.strUrlVersionCheck;
        }
    } else if (Clock::now() >= m_tpDeadline) {
        // Too late: whatever the worker still does is dropped with its record.
        m_param = SvrFileChkParam{};
        m_param.nResult = SVRCHK_TIMEOUT;
    } else {
        return false;
    }
    m_pShared.reset();
    m_bDone = true;
    return true;
}

bool CSvrFileCheck::WaitFor(milliseconds ms) {
    if (IsDone() || !m_pShared)
        return m_bDone;
    const Clock::time_point now = Clock::now();
    const milliseconds left = std::chrono::ceil<milliseconds>(m_tpDeadline - now);
    const Clock::time_point until = (ms < left) ? now + ms : m_tpDeadline;
    {
        std::unique_lock lock(m_pShared->mtx);
        m_pShared->cv.wait_until(lock, until, [this] { return m_pShared->bFinished; });
    }
    return IsDone();
}

bool CSvrFileCheck::WaitForWorkers(milliseconds timeout) {
    WorkerCount& w = worker_count();
    std::unique_lock lock(w.mtx);
    return w.cv.wait_for(lock, timeout, [&w] { return w.n == 0; });
}

void _SvrFileVersionCheckThread(SvrFileChkParam* pParam, milliseconds timeoutMs) {
    if (pParam == nullptr)
        return;
    CSvrFileCheck check;
    check.Start(timeoutMs);
    while (!check.WaitFor(timeoutMs)) {
    }
    const SvrFileChkParam& result = check.Param();
    pParam->nResult = result.nResult;
    if (!pParam->pFileList)
        pParam->pFileList = std::make_shared<std::vector<std::string>>();
    *pParam->pFileList = *result.pFileList;
    pParam->bLocalRead = result.bLocalRead;
    pParam->strUrlDownLoad = result.strUrlDownLoad;
    pParam->strUrlVersionCheck = result.strUrlVersionCheck;
}

SvrFileChkOutcome _SvrFileChkOutcome(int nResult, bool bQuiet) {
    SvrFileChkOutcome o;
    switch (nResult) {
    case SVRCHK_NEWEST:
        o.bShow = !bQuiet;
        o.strText = kTextNewest;
        o.strCaption = kCaptionUpdate;
        break;
    case SVRCHK_FAILED:
        o.bLogFailure = true;
        o.bShow = !bQuiet;
        o.strText = kTextNoUpdateInfo;
        o.strCaption = kCaptionConfirm;
        o.icon = SvrFileChkIcon::Information;
        break;
    case SVRCHK_UPDATE:
        o.bShow = true;
        o.strText = kTextUpdateExists;
        o.strCaption = kCaptionUpdate;
        o.buttons = SvrFileChkButtons::YesNo;
        o.icon = SvrFileChkIcon::Warning;
        o.bAskUpdate = true;
        break;
    case SVRCHK_TIMEOUT:
        o.bShow = !bQuiet;
        o.strText = kTextNoUpdateInfo;
        o.strCaption = kCaptionUpdate;
        break;
    default:
        break;
    }
    return o;
}

void LogSvrFileChkFailure() {
    LogReport(g_ErrorLog, BRX_SITE, "_SvrFileChk()", "_SvrFileVersionCheckThread()",
              kTextNoUpdateInfo);
}
