#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

// A fresh folder under the test's TMPDIR, removed with its content at the end.
class TempDir {
public:
    TempDir() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/brx-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        m_strPath = std::filesystem::path(pattern).lexically_normal().string();
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_strPath, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder with a trailing '/', as g_strAppDir holds it.
    std::string Dir() const { return m_strPath + "/"; }
    std::string File(const std::string& name) const { return Dir() + name; }
    std::string Write(const std::string& name, const std::string& content) const {
        const std::string path = File(name);
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

private:
    std::string m_strPath;
};
