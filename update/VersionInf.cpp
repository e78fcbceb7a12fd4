#include "update/VersionInf.h"

#include "app/AppGlobals.h"
#include "app/ErrorLog.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

#include <curl/curl.h>

namespace {

constexpr const char* kLoadCall = "pDoc->load()";

// Logging must not turn a handled failure into an escaping exception.
void log_quietly(CSourceSite site, const std::string& strFunction, const std::string& strCall,
                 const std::string& strMessage) noexcept {
    try {
        LogReport(g_ErrorLog, site, strFunction, strCall, strMessage);
    } catch (...) {
    }
}

// Reports the exception being handled under the routine's own label.
void log_current_exception(CSourceSite site, const char* label) noexcept {
    try {
        std::string text;
        try {
            throw;
        } catch (const std::exception& e) {
            text = ExceptionText(e);
        } catch (...) {
            text = "unknown exception";
        }
        LogReport(g_ErrorLog, site, label, label, text);
    } catch (...) {
    }
}

// ---- Fetching -------------------------------------------------------------------------------

bool starts_with_nocase(const std::string& s, const char* prefix) {
    const std::size_t n = std::strlen(prefix);
    return s.size() >= n && ::strncasecmp(s.c_str(), prefix, n) == 0;
}

bool is_address(const std::string& s) {
    return starts_with_nocase(s, "http:") || starts_with_nocase(s, "https:") ||
           starts_with_nocase(s, "file:");
}

bool curl_ready() {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ready;
}

struct FetchSink {
    std::string* pOut;
};

std::size_t on_fetch_data(char* p, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<FetchSink*>(user);
    const std::size_t len = size * count;
    // A document over the cap (also one sent without a length) stops the transfer.
    if (len > kMaxInfoDocumentSize - sink->pOut->size())
        return 0;
    try {
        sink->pOut->append(p, len);
    } catch (...) {
        return 0; // never let an exception cross the library
    }
    return len;
}

bool fetch_address(const std::string& strUrl, std::chrono::milliseconds timeout,
                   std::string* pOut) {
    if (!curl_ready())
        return false;
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    if (!curl)
        return false;
    CURL* h = curl.get();
    const long ms = static_cast<long>(std::max<std::chrono::milliseconds::rep>(timeout.count(), 1));
    FetchSink sink{pOut};
    bool ok = curl_easy_setopt(h, CURLOPT_URL, strUrl.c_str()) == CURLE_OK;
#if LIBCURL_VERSION_NUM >= 0x075500
    ok = ok && curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https,file") == CURLE_OK;
    ok = ok && curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK;
#else
    ok = ok && curl_easy_setopt(h, CURLOPT_PROTOCOLS,
                                static_cast<long>(CURLPROTO_HTTP | CURLPROTO_HTTPS |
                                                  CURLPROTO_FILE)) == CURLE_OK;
    ok = ok && curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS,
                                static_cast<long>(CURLPROTO_HTTP | CURLPROTO_HTTPS)) == CURLE_OK;
#endif
    ok = ok && curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L) == CURLE_OK;
    // Worker threads: no signals for time-outs (the resolver runs on its own thread).
    ok = ok && curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, ms) == CURLE_OK;
    ok = ok && curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, ms) == CURLE_OK;
    ok = ok && curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE,
                                static_cast<curl_off_t>(kMaxInfoDocumentSize)) == CURLE_OK;
    ok = ok && curl_easy_setopt(h, CURLOPT_USERAGENT, "Brennix") == CURLE_OK;
    ok = ok && curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &on_fetch_data) == CURLE_OK;
    ok = ok && curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink) == CURLE_OK;
    if (!ok)
        return false;
    if (curl_easy_perform(h) != CURLE_OK)
        return false;
    long status = 0;
    if (curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK)
        return false;
    return status < 400; // file: gives 0
}

bool read_local_file(const std::string& strPath, std::string* pOut) {
    // O_NONBLOCK: opening a FIFO must not hang; only regular files are read.
    const int fd = ::open(strPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return false;
    if (!S_ISREG(st.st_mode)) {
        errno = EINVAL;
        return false;
    }
    if (static_cast<unsigned long long>(st.st_size) > kMaxInfoDocumentSize) {
        errno = EFBIG;
        return false;
    }
    // Read one byte past the cap so a file that grew meanwhile is still refused.
    pOut->resize(kMaxInfoDocumentSize + 1);
    std::size_t got = 0;
    while (got < pOut->size()) {
        const ssize_t n = ::read(fd, pOut->data() + got, pOut->size() - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    if (got > kMaxInfoDocumentSize) {
        errno = EFBIG;
        return false;
    }
    pOut->resize(got);
    return true;
}

bool load_text(const std::string& strPath, std::chrono::milliseconds timeout, std::string* pOut) {
    return is_address(strPath) ? fetch_address(strPath, timeout, pOut)
                               : read_local_file(strPath, pOut);
}

// ---- Parsing --------------------------------------------------------------------------------

// Pre-order successor of n inside the subtree of root (root itself excluded). Iterative, so a
// deeply nested document cannot exhaust the stack.
pugi::xml_node next_in_subtree(pugi::xml_node n, pugi::xml_node root) {
    if (pugi::xml_node child = n.first_child())
        return child;
    while (n && n != root) {
        if (pugi::xml_node sibling = n.next_sibling())
            return sibling;
        n = n.parent();
    }
    return {};
}

pugi::xml_node nth_descendant(pugi::xml_node root, const std::string& strName, int nIndex) {
    if (nIndex < 1)
        return {};
    for (pugi::xml_node n = root.first_child(); n; n = next_in_subtree(n, root)) {
        if (n.type() == pugi::node_element && strName == n.name() && --nIndex == 0)
            return n;
    }
    return {};
}

std::string text_content(pugi::xml_node elem) {
    std::string text;
    for (pugi::xml_node n = elem.first_child(); n; n = next_in_subtree(n, elem)) {
        if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata)
            text += n.value();
    }
    constexpr const char* kSpace = " \t\r\n";
    const std::size_t first = text.find_first_not_of(kSpace);
    if (first == std::string::npos)
        return {};
    const std::size_t last = text.find_last_not_of(kSpace);
    return text.substr(first, last - first + 1);
}

// Every '&' in unescaped text must start one of the five predefined entities or a character
// reference; anything else names an entity that nothing declares.
bool references_ok(const char* s) {
    static constexpr const char* kNamed[] = {"amp;", "lt;", "gt;", "apos;", "quot;"};
    for (const char* p = std::strchr(s, '&'); p; p = std::strchr(p + 1, '&')) {
        const char* q = p + 1;
        if (*q == '#') {
            ++q;
            const bool hex = (*q == 'x');
            if (hex)
                ++q;
            const char* digits = q;
            while (hex ? std::isxdigit(static_cast<unsigned char>(*q))
                       : std::isdigit(static_cast<unsigned char>(*q)))
                ++q;
            if (q == digits || *q != ';')
                return false;
            continue;
        }
        bool known = false;
        for (const char* name : kNamed)
            known = known || std::strncmp(q, name, std::strlen(name)) == 0;
        if (!known)
            return false;
    }
    return true;
}

// What pugixml accepts beyond XML is refused here: more than one top-level element and entity
// references that nothing declares. A document type declaration is refused as a whole, so no DTD
// or entity (internal or external) is ever taken into account.
bool acceptable_structure(const pugi::xml_document& raw) {
    int elements = 0;
    for (pugi::xml_node n : raw.children()) {
        if (n.type() == pugi::node_doctype)
            return false;
        if (n.type() == pugi::node_element)
            ++elements;
    }
    if (elements != 1)
        return false;
    for (pugi::xml_node n = raw.first_child(); n; n = next_in_subtree(n, raw)) {
        if (n.type() == pugi::node_pcdata && !references_ok(n.value()))
            return false;
        for (pugi::xml_attribute a : n.attributes()) {
            if (!references_ok(a.value()))
                return false;
        }
    }
    return true;
}

bool parse_document(const std::string& text, pugi::xml_document* pDoc) {
    {
        pugi::xml_document raw;
        const unsigned rawFlags =
            (pugi::parse_default | pugi::parse_doctype) & ~pugi::parse_escapes;
        if (!raw.load_buffer(text.data(), text.size(), rawFlags, pugi::encoding_auto))
            return false;
        if (!acceptable_structure(raw))
            return false;
    }
    return static_cast<bool>(
        pDoc->load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_auto));
}

bool read_info(const std::string& strPath, VersionInf* pInf, std::chrono::milliseconds timeout,
               const char* label, const std::string& strLoadMessage) noexcept {
    try {
        if (pInf == nullptr)
            return false;
        pugi::xml_document doc;
        {
            std::string text;
            if (!load_text(strPath, timeout, &text) || !parse_document(text, &doc)) {
                log_quietly(BRX_SITE, label, kLoadCall, strLoadMessage);
                return false;
            }
        }
        const pugi::xml_node root = doc.document_element();
        if (std::strcmp(root.name(), "dataroot") != 0)
            return false;
        const pugi::xml_node info = nth_descendant(root, "VERSION_INFO", 1);
        if (!info)
            return true;
        pInf->strVersion = _GetText(info, "VERSION", 1);
        pInf->strUrlDownLoad = _GetText(info, "URL_DOWN_LOAD", 1);
        pInf->strUrlVersionCheck = _GetText(info, "URL_VERSION_CHECK", 1);
        pInf->strCopyright = _GetText(info, "COPYRIGHT", 1);
        return true;
    } catch (...) {
        log_current_exception(BRX_SITE, label);
        return false;
    }
}

} // namespace

std::string _GetText(pugi::xml_node pElem, std::string strTag, int nIndex) {
    try {
        const pugi::xml_node n = nth_descendant(pElem, strTag, nIndex);
        return n ? text_content(n) : std::string();
    } catch (...) {
        log_current_exception(BRX_SITE, "_GetText()");
        return {};
    }
}

bool _GetXmlInf(std::string strPath, VersionInf* pInf, std::chrono::milliseconds timeout) {
    return read_info(strPath, pInf, timeout, "_GetXmlInf()", "(#1005)");
}

bool _GetLocalVersionInf(VersionInf* pInf) {
    std::string strPath;
    std::string strMessage;
    try {
        strPath = g_strAppDir + "n_info.xml";
        strMessage = ComposeErrorMessage("(#1005)");
    } catch (...) {
        log_current_exception(BRX_SITE, "_GetLocalVersionInf()");
        return false;
    }
    return read_info(strPath, pInf, kDefaultFetchTimeout, "_GetLocalVersionInf()", strMessage);
}
