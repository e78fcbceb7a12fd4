#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

// The server version check: compares the VERSION of the installed n_info.xml with the one in
// the server's copy (URL_VERSION_CHECK + "n_info.xml") on a worker thread, within a bound.

// Outcome codes (SvrFileChkParam::nResult).
constexpr int SVRCHK_NEWEST = 0;  // the installed release is the newest
constexpr int SVRCHK_FAILED = 1;  // a document could not be read, or the worker failed
constexpr int SVRCHK_UPDATE = 3;  // the server offers a newer release
constexpr int SVRCHK_TIMEOUT = 5; // the worker did not finish within the bound

// The whole check (local read, server download, comparison) ends within this bound.
constexpr std::chrono::milliseconds kSvrFileChkTimeout{30000};
// The one update file a newer release brings.
inline constexpr const char kUpdateFileName[] = "Varnetic.msi";

// Result record of one check.
struct SvrFileChkParam {
    // Update files found: holds kUpdateFileName for a newer release, else nothing.
    std::shared_ptr<std::vector<std::string>> pFileList =
        std::make_shared<std::vector<std::string>>();
    int nResult = SVRCHK_FAILED;
    // URL_DOWN_LOAD and URL_VERSION_CHECK of the local information file; valid when bLocalRead.
    // The waiting side copies them into g_strUrlDownLoad / g_strUrlVersionCheck.
    bool bLocalRead = false;
    std::string strUrlDownLoad;
    std::string strUrlVersionCheck;
};

// Splits strText at every occurrence of strSeparator. Empty text gives no pieces; empty pieces
// are kept ("1..2" gives "1", "", "2"; "1." gives "1", "").
void _SplitString(std::string strText, std::string strSeparator, std::vector<std::string>* pOut);

// True when the server's components denote a newer release than the local ones. Components are
// compared as numbers written without leading zeros (a shorter local component is left-padded
// with '0'); only as many components as the local version has are looked at, and a server
// version with fewer components than that counts as not newer.
bool _IsServerNewer(const std::vector<std::string>& local, const std::vector<std::string>& server);
// The same for two version texts, each split at ".".
bool _IsServerVersionNewer(const std::string& strLocalVersion, const std::string& strServerVersion);

// The worker: reads the local information file and the server's document (the fetch gets the time
// left until tpDeadline), compares and fills *pParam (nResult 0, 1 or 3). Logs its failures;
// throws nothing; writes no global.
void _SvrFileVersionCheck(SvrFileChkParam* pParam,
                          std::chrono::steady_clock::time_point tpDeadline =
                              std::chrono::steady_clock::time_point::max());

// One check without a window: runs the worker on its own thread and waits at most timeoutMs.
// On time-out nResult is 5 and the worker is left to end by itself (its result is dropped).
// When the worker finished in time and had read the local file, the two addresses are copied
// into g_strUrlDownLoad and g_strUrlVersionCheck. Call it on the thread that owns those globals.
void _SvrFileVersionCheckThread(SvrFileChkParam* pParam,
                                std::chrono::milliseconds timeoutMs = kSvrFileChkTimeout);

// One check that the caller polls, so a window can keep painting while it runs.
// All members are called on one thread (the one that owns g_strUrlDownLoad/g_strUrlVersionCheck).
class CSvrFileCheck {
public:
    CSvrFileCheck() = default;
    CSvrFileCheck(const CSvrFileCheck&) = delete;
    CSvrFileCheck& operator=(const CSvrFileCheck&) = delete;
    // Never waits: a worker still running is left to end by itself.
    ~CSvrFileCheck() = default;

    // Starts the worker; the bound runs from now. False when this object already started one.
    bool Start(std::chrono::milliseconds timeout = kSvrFileChkTimeout);
    // True once the outcome is known: the worker ended within the bound, or the bound passed.
    // The first true copies the addresses into the globals (worker ended in time, local file
    // read). Does not block.
    bool IsDone();
    // Waits at most ms (never past the bound) for the outcome; then as IsDone().
    bool WaitFor(std::chrono::milliseconds ms);
    // 0, 1, 3 or 5 once IsDone() has returned true; -1 before.
    int Result() const { return m_bDone ? m_param.nResult : -1; }
    // The whole result record (file list, addresses); meaningful once IsDone() is true.
    const SvrFileChkParam& Param() const { return m_param; }

    // Waits until every worker started by any check has ended, at most timeout. For shutdown
    // (a timed-out worker still logs when it ends) and tests. True when none is left.
    static bool WaitForWorkers(std::chrono::milliseconds timeout);

private:
    struct Shared;

    std::shared_ptr<Shared> m_pShared;
    SvrFileChkParam m_param;
    std::chrono::steady_clock::time_point m_tpDeadline{};
    bool m_bStarted = false;
    bool m_bDone = false;
};

// What the window shows for an outcome.
enum class SvrFileChkButtons { Ok, YesNo };
enum class SvrFileChkIcon { None, Information, Warning };

struct SvrFileChkOutcome {
    bool bLogFailure = false; // call LogSvrFileChkFailure() first (outcome 1, quiet or not)
    bool bShow = false;       // show a message box with the fields below (filled either way)
    std::string strText;
    std::string strCaption;
    SvrFileChkButtons buttons = SvrFileChkButtons::Ok;
    SvrFileChkIcon icon = SvrFileChkIcon::None;
    bool bAskUpdate = false; // the box asks Yes/No; Yes requests the exit for update
};

// Maps an outcome to the window's reaction. With bQuiet only the update question is shown.
SvrFileChkOutcome _SvrFileChkOutcome(int nResult, bool bQuiet);

// The check's own log record for outcome 1: "_SvrFileChk()" / "_SvrFileVersionCheckThread()".
void LogSvrFileChkFailure();
