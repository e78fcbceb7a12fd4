#pragma once

#include <string>

// The four texts of an information file (n_info.xml).
struct VersionInf {
    std::string strCopyright;
    std::string strUrlDownLoad;
    std::string strUrlVersionCheck;
    std::string strVersion;
};
