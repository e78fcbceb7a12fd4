#include "app/ErrorLog.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CErrorLog g_ErrorLog;

namespace {

std::tm local_tm(std::time_t now) {
    std::tm tm{};
    localtime_r(&now, &tm);
    return tm;
}

std::string strftime_text(const char* format, const std::tm& tm) {
    char buf[64];
    std::size_t n = std::strftime(buf, sizeof buf, format, &tm);
    return std::string(buf, n);
}

} // namespace

CErrorLog::CErrorLog() {
    _GetTempDir();
}

CErrorLog::CErrorLog(std::string strLogDir) : m_strLogDir(std::move(strLogDir)) {}

CErrorLog::~CErrorLog() = default;

int CErrorLog::_GetTempDir() {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = (tmp && *tmp) ? tmp : "/tmp";
    if (dir.back() != '/')
        dir += '/';
    m_strLogDir = dir;
    return 0;
}

bool CErrorLog::_MakeDir(const std::string& strPath) {
    // Only plain absolute paths: no characters that are awkward in a folder name here,
    // no empty components, no component ending in a blank.
    if (strPath.size() < 2 || strPath.front() != '/')
        return false;
    if (strPath.find_first_of("\\,:;*\"<>|") != std::string::npos)
        return false;
    if (strPath.find("//") != std::string::npos || strPath.find(" /") != std::string::npos)
        return false;
    std::string cut = strPath.substr(0, strPath.rfind('/'));
    if (cut.empty())
        return false; // the root itself
    if (::mkdir(cut.c_str(), 0700) == 0)
        return true;
    if (errno != ENOENT)
        return false; // EEXIST counts as a failure too
    _MakeDir(cut);
    return ::mkdir(cut.c_str(), 0700) == 0;
}

std::string CErrorLog::FileName(std::time_t now) {
    return "_ERROR" + strftime_text("%d", local_tm(now)) + ".log";
}

std::string CErrorLog::GetLogPath(std::time_t now) const {
    return m_strLogDir + FileName(now);
}

std::string CErrorLog::FormatRecord(const CErrorInfo& info, std::time_t now) {
    std::string when = strftime_text("%Y/%m/%d-%H:%M:%S", local_tm(now));
    char code[32];
    std::snprintf(code, sizeof code, "%08lx,%d", static_cast<unsigned long>(info.m_dwCode),
                  static_cast<int>(info.m_nLastError));
    std::string line;
    line.reserve(when.size() + info.m_strFile.size() + info.m_strFunction.size() +
                 info.m_strCall.size() + info.m_strMessage.size() + 48);
    line += when;
    line += ',';
    line += code;
    line += ',';
    line += info.m_strFile;
    line += ',';
    line += std::to_string(info.m_nLine);
    line += ',';
    line += info.m_strFunction;
    line += ',';
    line += info.m_strCall;
    line += ',';
    line += info.m_strMessage;
    line += '\n';
    return line;
}

int CErrorLog::WriteLog(CErrorInfo info) {
    return WriteLogAt(info, std::time(nullptr));
}

int CErrorLog::WriteLogAt(const CErrorInfo& info, std::time_t now) {
    const int savedErrno = errno;
    _MakeDir(m_strLogDir);
    const std::string path = GetLogPath(now);
    // O_APPEND makes each write land at the end even with several writers (another running
    // copy of the program); the whole record goes out in one write so lines never interleave.
    // O_NOFOLLOW: the temporary directory is shared, never append through a planted link.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        errno = savedErrno;
        return -1;
    }
    const std::string line = FormatRecord(info, now);
    const char* p = line.data();
    std::size_t left = line.size();
    int result = 0;
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            result = -1;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0)
        result = -1;
    errno = savedErrno;
    return result;
}

std::string ComposeErrorMessage(std::string strCode) {
    return "Processing cannot be continued." + strCode;
}

std::string TruncateText(const std::string& text, std::size_t maxBytes) {
    if (text.size() <= maxBytes)
        return text;
    std::size_t cut = maxBytes;
    // Step back over UTF-8 continuation bytes so no character is split.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return text.substr(0, cut);
}

std::string ExceptionText(const std::exception& e) {
    return TruncateText(e.what(), kMaxExceptionText);
}

void LogReportWithCode(CErrorLog& log, CSourceSite site, const std::string& strFunction,
                       const std::string& strCall, int32_t nLastError,
                       const std::string& strMessage) {
    log.WriteLog(CErrorInfo(strFunction, strCall, 0, nLastError, site.file, site.line, strMessage));
}

void LogReport(CErrorLog& log, CSourceSite site, const std::string& strFunction,
               const std::string& strCall, const std::string& strMessage) {
    LogReportWithCode(log, site, strFunction, strCall, errno, strMessage);
}
