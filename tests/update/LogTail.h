#pragma once

#include "app/ErrorLog.h"

#include <ctime>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

// Columns 6-8 of one error log record.
struct LogLine {
    std::string strFunction;
    std::string strCall;
    std::string strMessage;
    bool operator==(const LogLine&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const LogLine& l) {
    return os << '{' << l.strFunction << " | " << l.strCall << " | " << l.strMessage << '}';
}

// Records appended to the day's error log (in the test's TMPDIR) since construction.
class LogTail {
public:
    LogTail()
        : m_strPath(g_ErrorLog.GetLogPath(std::time(nullptr))), m_nOffset(FileSize(m_strPath)) {}

    std::vector<LogLine> NewLines() const {
        std::string text = ReadFrom(m_strPath, m_nOffset);
        const std::string today = g_ErrorLog.GetLogPath(std::time(nullptr));
        if (today != m_strPath) // the day changed meanwhile
            text += ReadFrom(today, 0);
        std::vector<LogLine> lines;
        std::istringstream in(text);
        for (std::string record; std::getline(in, record);) {
            // time,code,lasterror,file,line,function,call,message (the message may hold commas)
            std::size_t pos = 0;
            std::vector<std::string> cols;
            for (int i = 0; i < 7; ++i) {
                const std::size_t comma = record.find(',', pos);
                if (comma == std::string::npos)
                    break;
                cols.push_back(record.substr(pos, comma - pos));
                pos = comma + 1;
            }
            if (cols.size() != 7) {
                lines.push_back({"<malformed>", record, ""});
                continue;
            }
            lines.push_back({cols[5], cols[6], record.substr(pos)});
        }
        return lines;
    }

private:
    static std::streamoff FileSize(const std::string& path) {
        std::ifstream f(path, std::ios::binary | std::ios::ate);
        return f ? static_cast<std::streamoff>(f.tellg()) : 0;
    }
    static std::string ReadFrom(const std::string& path, std::streamoff offset) {
        std::ifstream f(path, std::ios::binary);
        if (!f)
            return {};
        f.seekg(offset);
        std::ostringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }

    std::string m_strPath;
    std::streamoff m_nOffset;
};
