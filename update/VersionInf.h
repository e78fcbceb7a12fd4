#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include <pugixml.hpp>

// The four texts of an information file (n_info.xml).
struct VersionInf {
    std::string strCopyright;
    std::string strUrlDownLoad;
    std::string strUrlVersionCheck;
    std::string strVersion;
};

// An information document larger than this is not loaded (local file or fetched address).
constexpr std::size_t kMaxInfoDocumentSize = 1024 * 1024;
// Time allowed for fetching an address when the caller sets no bound of its own.
constexpr std::chrono::milliseconds kDefaultFetchTimeout{30000};

// Text content of the nIndex-th (from 1) descendant element named strTag of pElem, in document
// order at any depth: all character data below it (CDATA included), leading and trailing white
// space removed. Empty when there are fewer than nIndex such elements.
std::string _GetText(pugi::xml_node pElem, std::string strTag, int nIndex);

// Reads an information document into *pInf. strPath is a local path or an http:, https: or
// file: address (fetched within timeout). True when the document loaded and its root is
// "dataroot"; a document without VERSION_INFO leaves *pInf as it was. Failures are logged through
// g_ErrorLog only; nothing is thrown.
bool _GetXmlInf(std::string strPath, VersionInf* pInf,
                std::chrono::milliseconds timeout = kDefaultFetchTimeout);

// The same for the installed information file, g_strAppDir + "n_info.xml".
bool _GetLocalVersionInf(VersionInf* pInf);
