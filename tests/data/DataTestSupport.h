#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace datatest {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// The folder the error log goes to (brennix_add_test gives every test its own).
inline std::string LogDir() {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = (tmp && *tmp) ? tmp : "/tmp";
    if (dir.back() != '/')
        dir += '/';
    return dir;
}

inline Bytes ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline Bytes FromText(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

inline Bytes FromHex(const std::string& hex) {
    Bytes out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return out;
}

inline std::string ToHex(const uint8_t* p, std::size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

inline Bytes Le32(uint32_t v) {
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// One line of the error log, split into its columns.
struct LogRecord {
    std::string when, code, lastError, file, line, function, call, message;
};

// Every record in the log folder (all _ERRORdd.log files, so a run across midnight still counts).
inline std::vector<LogRecord> ReadLog() {
    std::vector<LogRecord> records;
    for (const auto& entry : fs::directory_iterator(LogDir())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("_ERROR", 0) != 0 || entry.path().extension() != ".log")
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string text;
        while (std::getline(in, text)) {
            LogRecord r;
            std::string* cols[] = {&r.when, &r.code,     &r.lastError, &r.file,
                                   &r.line, &r.function, &r.call};
            std::size_t pos = 0;
            for (std::string* col : cols) {
                std::size_t comma = text.find(',', pos);
                if (comma == std::string::npos)
                    comma = text.size();
                *col = text.substr(pos, comma - pos);
                pos = comma < text.size() ? comma + 1 : comma;
            }
            r.message = text.substr(pos);
            records.push_back(r);
        }
    }
    return records;
}

inline void ClearLog() {
    for (const auto& entry : fs::directory_iterator(LogDir())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("_ERROR", 0) == 0 && entry.path().extension() == ".log")
            fs::remove(entry.path());
    }
}

// Expects exactly one record, made by the cipher's source file, with these three texts.
inline void ExpectOneRecord(const std::string& function, const std::string& call,
                            const std::string& message) {
    std::vector<LogRecord> log = ReadLog();
    ASSERT_EQ(log.size(), 1u) << "expected one record " << function << " / " << call;
    EXPECT_EQ(log[0].function, function);
    EXPECT_EQ(log[0].call, call);
    EXPECT_EQ(log[0].message, message);
    EXPECT_EQ(log[0].code, "00000000");
    EXPECT_TRUE(log[0].file.ends_with("data/CryptUtil.cpp")) << log[0].file;
}

inline void ExpectNoRecord() {
    std::vector<LogRecord> log = ReadLog();
    EXPECT_TRUE(log.empty()) << "unexpected record: " << log[0].function << " / " << log[0].call
                             << " / " << log[0].message;
}

// A fresh folder under the test's temporary folder, and an empty error log.
class CDataTest : public testing::Test {
protected:
    void SetUp() override {
        ClearLog();
        std::string templ = LogDir() + "case.XXXXXX";
        ASSERT_NE(::mkdtemp(templ.data()), nullptr);
        m_dir = templ;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::vector<std::string> FolderContents() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path m_dir;
};

} // namespace datatest
