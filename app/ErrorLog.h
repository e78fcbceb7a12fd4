#pragma once

#include <cstdint>
#include <ctime>
#include <exception>
#include <string>

// One report: the seven values written as one line of the daily error log.
struct CErrorInfo {
    std::string m_strFunction; // label of the reporting function
    std::string m_strCall;     // label of the call or check that failed
    uint32_t m_dwCode = 0;     // reserved, always 0
    int32_t m_nLastError = 0;  // errno at the moment of the report
    std::string m_strFile;     // source file of the reporting site
    int32_t m_nLine = 0;       // source line of the reporting site
    std::string m_strMessage;  // message text

    CErrorInfo() = default;
    CErrorInfo(std::string strFunction, std::string strCall, uint32_t dwCode, int32_t nLastError,
               std::string strFile, int32_t nLine, std::string strMessage)
        : m_strFunction(std::move(strFunction)), m_strCall(std::move(strCall)), m_dwCode(dwCode),
          m_nLastError(nLastError), m_strFile(std::move(strFile)), m_nLine(nLine),
          m_strMessage(std::move(strMessage)) {}
};

// Appends reports to "_ERRORdd.log" in the temporary directory.
class CErrorLog {
public:
    CErrorLog();
    explicit CErrorLog(std::string strLogDir); // a fixed directory instead of the temporary one
    virtual ~CErrorLog();

    // 0 when the line was written, -1 when the file could not be opened or written.
    int WriteLog(CErrorInfo info);
    int WriteLogAt(const CErrorInfo& info, std::time_t now);

    const std::string& GetLogDir() const { return m_strLogDir; }
    std::string GetLogPath(std::time_t now) const;

    static std::string FormatRecord(const CErrorInfo& info, std::time_t now);
    static std::string FileName(std::time_t now);
    // Creates the directory that holds the last component of an absolute path, parents first.
    static bool _MakeDir(const std::string& strPath);

private:
    int _GetTempDir();

    std::string m_strLogDir;
};

extern CErrorLog g_ErrorLog;

// "Processing cannot be continued." followed directly by the code.
std::string ComposeErrorMessage(std::string strCode);

// Where a report is made; columns 4 and 5 of the log.
struct CSourceSite {
    const char* file;
    int line;
};
#define BRX_SITE (CSourceSite{__FILE__, __LINE__})

// Exception texts are cut to this many bytes (never inside a UTF-8 character).
constexpr std::size_t kMaxExceptionText = 1023;
std::string ExceptionText(const std::exception& e);
std::string TruncateText(const std::string& text, std::size_t maxBytes);

// Log-only report (no message box): for lower layers and the update worker.
// errno is read here, after the message has been composed by the caller.
void LogReport(CErrorLog& log, CSourceSite site, const std::string& strFunction,
               const std::string& strCall, const std::string& strMessage);
// Log-only report with an explicit value for the last-error column.
void LogReportWithCode(CErrorLog& log, CSourceSite site, const std::string& strFunction,
                       const std::string& strCall, int32_t nLastError,
                       const std::string& strMessage);
