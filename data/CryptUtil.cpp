#include "data/CryptUtil.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <nettle/md5.h>
#include <nettle/nettle-meta.h>
#include <nettle/sha1.h>

namespace {

// The fixed pass phrase: exactly these 15 bytes are hashed, nothing else.
constexpr char kPassPhrase[] = "HarborLinenTusk";
constexpr std::size_t kPassPhraseLen = sizeof kPassPhrase - 1;
static_assert(kPassPhraseLen == 15);

// Larger single transfers gain nothing and some kernels cap them anyway.
constexpr std::size_t kIoChunk = std::size_t{1} << 30;

const char kFnEncrypt[] = "CCryptUtil::Encrypt()";
const char kFnDecrypt[] = "CCryptUtil::Decrypt()";
const char kFnGetHash[] = "CCryptUtil::GetHash()";
const char kFnCreate[] = "CCryptUtil::CreateDataFile()";
const char kFnRead[] = "CCryptUtil::ReadDataFile()";

const char kMsgInvalid[] = "暗号化情報が不正です。";
const char kMsgInitFailed[] = "暗号処理初期化処理に失敗しました。";
const char kMsgOpenFailed[] = "ファイルオープンの処理に失敗しました。";

std::string bracket(const char* opening, const std::string& value) {
    return opening + value + "】";
}

std::string os_text(int err) {
    return std::generic_category().message(err);
}

void put_le32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

uint32_t get_le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Reads up to n bytes; fewer only at end of file or on an error (errno then tells which).
std::size_t read_full(int fd, uint8_t* p, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        std::size_t want = n - done < kIoChunk ? n - done : kIoChunk;
        ssize_t got = ::read(fd, p + done, want);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (got == 0) {
            errno = 0;
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

// Writes all n bytes, at the current position or (at >= 0) at that offset; false with errno set.
bool write_full(int fd, const uint8_t* p, std::size_t n, off_t at = -1) {
    while (n > 0) {
        std::size_t want = n < kIoChunk ? n : kIoChunk;
        ssize_t put = at < 0 ? ::write(fd, p, want) : ::pwrite(fd, p, want, at);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (put == 0) {
            errno = EIO;
            return false;
        }
        p += put;
        if (at >= 0)
            at += put;
        n -= static_cast<std::size_t>(put);
    }
    return true;
}

struct CFd {
    int fd = -1;
    explicit CFd(int f = -1) : fd(f) {}
    ~CFd() { reset(); }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    // Closes now; false (errno set) when the close itself reports a failure.
    bool reset() {
        if (fd < 0)
            return true;
        int rc = ::close(fd);
        fd = -1;
        return rc == 0;
    }
};

// The file being prepared beside the target; removed again unless it was renamed into place.
struct CTempFile {
    std::string path;
    CFd file;
    ~CTempFile() {
        if (file.fd >= 0) {
            file.reset();
        }
        if (!path.empty()) {
            int saved = errno;
            ::unlink(path.c_str());
            errno = saved;
        }
    }
};

std::string random_tag() {
    uint64_t value = 0;
    if (::getrandom(&value, sizeof value, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof value)) {
        static uint64_t counter = 0;
        value = (static_cast<uint64_t>(::getpid()) << 32) ^ static_cast<uint64_t>(::time(nullptr)) ^
                (++counter * 0x9E3779B97F4A7C15ull);
    }
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(value));
    return buf;
}

// Creates "<folder>/.<name>.<random>.tmp" exclusively, with the mode a new file gets anyway.
bool create_temp_beside(const std::string& target, CTempFile& temp) {
    std::size_t slash = target.rfind('/');
    std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    // Leave room for the prefix and suffix within the usual 255-byte name limit.
    base = TruncateText(base, 200);
    for (int attempt = 0; attempt < 32; ++attempt) {
        std::string path = dir + "." + base + "." + random_tag() + ".tmp";
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0) {
            temp.path = path;
            temp.file.fd = fd;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool sync_folder_of(const std::string& target) {
    std::size_t slash = target.rfind('/');
    std::string dir = slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
    // A folder that cannot be opened for reading, or a file system that cannot sync folders,
    // leaves nothing more to do: the new file is in place already.
    CFd d(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (d.fd < 0)
        return true;
    if (::fsync(d.fd) != 0 && errno != EINVAL)
        return false;
    return d.reset();
}

void rc4_apply(const arcfour_ctx& key, std::size_t n, uint8_t* dst, const uint8_t* src) {
    arcfour_ctx state = key; // keystream from its first byte on every call
    arcfour_crypt(&state, n, dst, src);
    ::explicit_bzero(&state, sizeof state);
}

// Unit handed from one stage to the other, and the size from which a second thread pays off.
constexpr std::size_t kChunk = std::size_t{1} << 20;
constexpr std::size_t kTwoThreadsFrom = std::size_t{8} << 20;

// How far the stage running ahead has come, for the stage that follows it on the other thread.
class CProgress {
public:
    static constexpr std::size_t kStopped = SIZE_MAX;

    void Publish(std::size_t upto) {
        m_upto.store(upto, std::memory_order_release);
        m_upto.notify_one();
    }
    void Stop() {
        m_stop.store(true, std::memory_order_relaxed);
        Publish(kStopped);
    }
    bool Stopped() const { return m_stop.load(std::memory_order_relaxed); }
    // Waits until more than `have` bytes are done; returns that count, or kStopped.
    std::size_t WaitBeyond(std::size_t have) {
        std::size_t upto;
        while ((upto = m_upto.load(std::memory_order_acquire)) == have)
            m_upto.wait(have, std::memory_order_acquire);
        return upto;
    }

private:
    std::atomic<std::size_t> m_upto{0};
    std::atomic<bool> m_stop{false};
};

// The second thread of a pipeline; never outlives the buffers it works on.
class CHelperThread {
public:
    explicit CHelperThread(CProgress& progress) : m_progress(progress) {}
    ~CHelperThread() { Stop(); }
    CHelperThread(const CHelperThread&) = delete;
    CHelperThread& operator=(const CHelperThread&) = delete;

    // False when no thread can be had; the caller then does both stages itself.
    template <class F> bool Start(F&& work) {
        try {
            m_thread = std::thread(std::forward<F>(work));
            return true;
        } catch (const std::system_error&) {
            return false;
        }
    }
    // Lets the helper finish its stage.
    void Join() {
        if (m_thread.joinable())
            m_thread.join();
    }
    // Ends the helper's stage early.
    void Stop() {
        if (m_thread.joinable()) {
            int saved = errno;
            m_progress.Stop();
            m_thread.join();
            errno = saved;
        }
    }

private:
    CProgress& m_progress;
    std::thread m_thread;
};

} // namespace

CCryptUtil::CCryptUtil() : m_bReady(0) {
    std::memset(&m_rc4Key, 0, sizeof m_rc4Key);
}

CCryptUtil::~CCryptUtil() {
    if (m_bReady == 1) {
        ::explicit_bzero(&m_rc4Key, sizeof m_rc4Key);
        m_bReady = 0;
    }
}

int CCryptUtil::InitCrypt() {
    if (m_bReady == 1)
        return 1;
    // Key = first 16 bytes of SHA-1 over the pass phrase; no salt, so every run and machine
    // derives the same key and files stay interchangeable.
    sha1_ctx sha;
    sha1_init(&sha);
    sha1_update(&sha, kPassPhraseLen, reinterpret_cast<const uint8_t*>(kPassPhrase));
    uint8_t digest[SHA1_DIGEST_SIZE];
    sha1_digest(&sha, sizeof digest, digest);
    arcfour128_set_key(&m_rc4Key, digest);
    ::explicit_bzero(digest, sizeof digest);
    m_bReady = 1;
    return 1;
}

// RC4 is its own inverse: enciphering and deciphering differ only in how they report.
struct CCryptUtil::CipherLabels {
    const char* szFunction; // function label
    const char* szCheck;    // failing-call label of the parameter check
    const char* szSizeOpen; // opening text before the length
    const char* szByteOpen; // opening text before the first byte
};

int CCryptUtil::_Apply(const CipherLabels& labels, uint32_t dwLen, const uint8_t* pData,
                       uint32_t* pdwOutLen, uint8_t** ppOut) {
    if (!pData || !pdwOutLen || !ppOut) {
        std::string msg = kMsgInvalid + bracket(labels.szSizeOpen, std::to_string(dwLen));
        // One byte as one character; a zero-length text has no first byte to show.
        if (pData)
            msg += bracket(labels.szByteOpen,
                           dwLen ? std::string(1, static_cast<char>(pData[0])) : "");
        LogReport(m_log, BRX_SITE, labels.szFunction, labels.szCheck, msg);
        return 0;
    }
    if (InitCrypt() == 0) {
        LogReport(m_log, BRX_SITE, labels.szFunction, "InitCrypt()", kMsgInitFailed);
        return 0;
    }
    uint8_t* pOut = new uint8_t[dwLen];
    rc4_apply(m_rc4Key, dwLen, pOut, pData);
    *pdwOutLen = dwLen;
    *ppOut = pOut;
    return 1;
}

int CCryptUtil::Encrypt(uint32_t dwLen, const uint8_t* pData, uint32_t* pdwOutLen,
                        uint8_t** ppOut) {
    static const CipherLabels labels{kFnEncrypt, "暗号化パラメータチェック処理", " 平文サイズ【",
                                     " 平文【"};
    return _Apply(labels, dwLen, pData, pdwOutLen, ppOut);
}

int CCryptUtil::Decrypt(uint32_t dwLen, const uint8_t* pData, uint32_t* pdwOutLen,
                        uint8_t** ppOut) {
    static const CipherLabels labels{kFnDecrypt, "復号化パラメータチェック処理", " 暗号文サイズ【",
                                     " 暗号文【"};
    return _Apply(labels, dwLen, pData, pdwOutLen, ppOut);
}

int CCryptUtil::DecryptInPlace(uint32_t dwLen, uint8_t* pData) {
    if (!pData) {
        LogReport(m_log, BRX_SITE, kFnDecrypt, "復号化パラメータチェック処理",
                  kMsgInvalid + bracket(" 暗号文サイズ【", std::to_string(dwLen)));
        return 0;
    }
    if (InitCrypt() == 0) {
        LogReport(m_log, BRX_SITE, kFnDecrypt, "InitCrypt()", kMsgInitFailed);
        return 0;
    }
    rc4_apply(m_rc4Key, dwLen, pData, pData);
    return 1;
}

int CCryptUtil::GetHash(uint32_t dwAlgId, uint32_t dwLen, const uint8_t* pData, uint32_t* pdwOutLen,
                        uint8_t** ppOut) {
    if (!pData || !pdwOutLen || !ppOut) {
        LogReport(m_log, BRX_SITE, kFnGetHash, "ハッシュ取得パラメータチェック処理",
                  kMsgInvalid + bracket(" ハッシュアルゴリズムID【", std::to_string(dwAlgId)) +
                      bracket(" データ【", std::to_string(dwLen)));
        return 0;
    }
    const nettle_hash* hash = nullptr;
    switch (dwAlgId) {
    case CALG_MD2:
        hash = &nettle_md2;
        break;
    case CALG_MD4:
        hash = &nettle_md4;
        break;
    case CALG_MD5:
        hash = &nettle_md5;
        break;
    case CALG_SHA1:
        hash = &nettle_sha1;
        break;
    default:
        return 0; // refused silently
    }
    // nettle's contexts hold integers only; max_align_t storage suits every one of them.
    std::vector<std::max_align_t> ctx(hash->context_size / sizeof(std::max_align_t) + 1);
    hash->init(ctx.data());
    hash->update(ctx.data(), dwLen, pData);
    const uint32_t dwOutLen = hash->digest_size;
    uint8_t* pOut = new uint8_t[dwOutLen];
    hash->digest(ctx.data(), dwOutLen, pOut);
    *pdwOutLen = dwOutLen;
    *ppOut = pOut;
    return 1;
}

void CCryptUtil::_SetFault(EDataFault nFault, int nErrno, uint64_t qwSize, uint64_t qwNeeded) {
    m_nLastFault = nFault;
    m_nLastErrno = nErrno;
    m_qwFaultSize = qwSize;
    m_qwFaultNeeded = qwNeeded;
}

int CCryptUtil::_FailWrite(int nErrno) {
    _SetFault(EDataFault::Write, nErrno);
    errno = nErrno;
    LogReport(m_log, BRX_SITE, kFnCreate, kFnCreate, os_text(nErrno));
    return 0;
}

std::string CCryptUtil::GetLastFaultText() const {
    auto n = [](uint64_t v) { return std::to_string(v); };
    switch (m_nLastFault) {
    case EDataFault::None:
        return "no failure";
    case EDataFault::Parameter:
        return "no file name or no buffer given";
    case EDataFault::Encipher:
        return "cannot encipher the data";
    case EDataFault::Open:
        return "cannot open: " + os_text(m_nLastErrno);
    case EDataFault::Status:
        return "cannot get the file size: " + os_text(m_nLastErrno);
    case EDataFault::TooShort:
        return "too short: " + n(m_qwFaultSize) + " bytes, a data file has at least 8";
    case EDataFault::DigestTooLarge:
        return "too short: " + n(m_qwFaultSize) + " bytes, but its digest length field needs " +
               n(m_qwFaultNeeded);
    case EDataFault::Read:
        return m_nLastErrno ? "cannot read: " + os_text(m_nLastErrno)
                            : std::string("cannot read: the file ended early (changed while "
                                          "being read?)");
    case EDataFault::SizeMismatch:
        return "size mismatch: " + n(m_qwFaultSize) + " bytes, but its length fields call for " +
               n(m_qwFaultNeeded) + " (cut short or extended)";
    case EDataFault::DigestMismatch:
        return "digest mismatch: the contents are damaged or were changed";
    case EDataFault::Decipher:
        return "cannot decipher the data";
    case EDataFault::Write:
        return "cannot write: " + os_text(m_nLastErrno);
    }
    return "unknown failure";
}

int CCryptUtil::_EncipherToFile(uint32_t dwLen, const uint8_t* pData, uint8_t* pOut, int fd,
                                uint8_t* pDigest, int* pnErr) {
    md5_ctx md5;
    md5_init(&md5);
    arcfour_ctx rc4 = m_rc4Key; // keystream from its first byte
    CProgress progress;
    CHelperThread helper(progress);
    // RC4 runs ahead on the helper; this thread digests and writes what it has finished.
    const bool bTwo = dwLen >= kTwoThreadsFrom && helper.Start([&] {
        for (std::size_t off = 0; off < dwLen && !progress.Stopped();) {
            std::size_t n = std::min<std::size_t>(kChunk, dwLen - off);
            arcfour_crypt(&rc4, n, pOut + off, pData + off);
            off += n;
            progress.Publish(off);
        }
    });
    int result = 1;
    for (std::size_t have = 0; have < dwLen;) {
        std::size_t upto;
        if (bTwo) {
            upto = progress.WaitBeyond(have);
        } else {
            upto = have + std::min<std::size_t>(kChunk, dwLen - have);
            arcfour_crypt(&rc4, upto - have, pOut + have, pData + have);
        }
        md5_update(&md5, upto - have, pOut + have);
        if (fd >= 0 && !write_full(fd, pOut + have, upto - have)) {
            *pnErr = errno;
            helper.Stop();
            result = 0;
            break;
        }
        have = upto;
    }
    helper.Join();
    md5_digest(&md5, MD5_DIGEST_SIZE, pDigest);
    ::explicit_bzero(&rc4, sizeof rc4);
    return result;
}

int CCryptUtil::_ReadAndDecipher(int fd, uint32_t dwLen, uint8_t* pData, uint8_t* pDigest,
                                 int* pnErr) {
    md5_ctx md5;
    md5_init(&md5);
    arcfour_ctx rc4 = m_rc4Key; // keystream from its first byte
    CProgress progress;
    CHelperThread helper(progress);
    // This thread reads and digests the ciphertext; the helper deciphers, in place, what has
    // been digested. A file whose digest then does not match is discarded by the caller.
    const bool bTwo = dwLen >= kTwoThreadsFrom && helper.Start([&] {
        for (std::size_t have = 0; have < dwLen;) {
            std::size_t upto = progress.WaitBeyond(have);
            if (upto == CProgress::kStopped)
                return;
            arcfour_crypt(&rc4, upto - have, pData + have, pData + have);
            have = upto;
        }
    });
    int result = 1;
    for (std::size_t off = 0; off < dwLen;) {
        std::size_t n = std::min<std::size_t>(kChunk, dwLen - off);
        if (read_full(fd, pData + off, n) != n) {
            *pnErr = errno;
            helper.Stop();
            result = 0;
            break;
        }
        md5_update(&md5, n, pData + off);
        if (bTwo)
            progress.Publish(off + n);
        else
            arcfour_crypt(&rc4, n, pData + off, pData + off);
        off += n;
    }
    helper.Join();
    md5_digest(&md5, MD5_DIGEST_SIZE, pDigest);
    ::explicit_bzero(&rc4, sizeof rc4);
    return result;
}

int CCryptUtil::CreateDataFile(std::string strPath, uint32_t dwLen, const uint8_t* pData) {
    _SetFault(EDataFault::None);
    if (strPath.empty() || !pData) {
        LogReport(m_log, BRX_SITE, kFnCreate, "暗号ファイル作成処理パラメータチェック処理",
                  kMsgInvalid + bracket(" 暗号化ファイル名【", strPath));
        _SetFault(EDataFault::Parameter);
        return 0;
    }
    CCryptUtil crypt; // a fresh key for every file
    if (crypt.InitCrypt() == 0) {
        LogReport(m_log, BRX_SITE, kFnCreate, "CCryptUtil.Encrypt()", "暗号化処理に失敗しました。");
        _SetFault(EDataFault::Encipher);
        return 0;
    }
    std::unique_ptr<uint8_t[]> cipher(new uint8_t[dwLen]);
    uint8_t head[8 + MD5_DIGEST_SIZE] = {};
    put_le32(head, MD5_DIGEST_SIZE);
    put_le32(head + 4 + MD5_DIGEST_SIZE, dwLen);
    int err = 0;

    // Replace a link's target rather than the link itself.
    std::string target = strPath;
    struct stat st;
    if (::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(target.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    const bool bExists = ::stat(target.c_str(), &st) == 0;
    auto failOpen = [&](int nErr) {
        errno = nErr;
        LogReport(m_log, BRX_SITE, kFnCreate, "file.Open()", kMsgOpenFailed);
        _SetFault(EDataFault::Open, nErr);
        return 0;
    };
    if (bExists && S_ISDIR(st.st_mode))
        return failOpen(EISDIR);
    if (bExists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        return failOpen(errno); // a read-only file stays read-only

    if (bExists && !S_ISREG(st.st_mode)) {
        // A device, pipe or socket cannot be replaced; it gets the bytes directly, digest first.
        crypt._EncipherToFile(dwLen, pData, cipher.get(), -1, head + 4, &err);
        CFd out(::open(target.c_str(), O_WRONLY | O_CLOEXEC));
        if (out.fd < 0)
            return failOpen(errno);
        if (!write_full(out.fd, head, sizeof head) || !write_full(out.fd, cipher.get(), dwLen) ||
            !out.reset())
            return _FailWrite(errno);
        return 1;
    }

    // Everything goes to a new file beside the target, which replaces the target only once
    // all of it is on disk: a failed save never costs the user the previous file.
    CTempFile temp;
    if (!create_temp_beside(target, temp))
        return failOpen(errno);
    if (bExists)
        (void)::fchmod(temp.file.fd, st.st_mode & 07777); // keep the user's permissions
    // The digest goes in last, once the ciphertext it covers has been written behind it.
    if (!write_full(temp.file.fd, head, sizeof head))
        return _FailWrite(errno);
    if (!crypt._EncipherToFile(dwLen, pData, cipher.get(), temp.file.fd, head + 4, &err))
        return _FailWrite(err);
    if (!write_full(temp.file.fd, head + 4, MD5_DIGEST_SIZE, 4) || ::fsync(temp.file.fd) != 0 ||
        !temp.file.reset())
        return _FailWrite(errno);
    if (::rename(temp.path.c_str(), target.c_str()) != 0)
        return _FailWrite(errno);
    temp.path.clear(); // it is the target now
    if (!sync_folder_of(target))
        return _FailWrite(errno);
    return 1;
}

int CCryptUtil::ReadDataFile(std::string strPath, uint32_t* pdwLen, uint8_t** ppData) {
    _SetFault(EDataFault::None);
    if (strPath.empty() || !pdwLen || !ppData) {
        LogReport(m_log, BRX_SITE, kFnRead, "暗号ファイル読込処理パラメータチェック処理",
                  kMsgInvalid + bracket(" 暗号化ファイル名【", strPath));
        _SetFault(EDataFault::Parameter);
        return 1;
    }
    // O_NONBLOCK: opening a FIFO must not wait for a writer (it then fails the size test).
    CFd file(::open(strPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.fd < 0) {
        _SetFault(EDataFault::Open, errno);
        LogReport(m_log, BRX_SITE, kFnRead, "file.Open()", kMsgOpenFailed);
        return 1;
    }
    struct stat st;
    if (::fstat(file.fd, &st) != 0) {
        _SetFault(EDataFault::Status, errno);
        LogReport(m_log, BRX_SITE, kFnRead, "file.GetStatus()",
                  "ファイル情報取得処理に失敗しました。");
        return 1;
    }
    // Every size below comes from here; the length fields are never trusted beyond it.
    const uint64_t qwSize = st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
    if (qwSize < 8) {
        _SetFault(EDataFault::TooShort, 0, qwSize, 8);
        LogReport(m_log, BRX_SITE, kFnRead, "最小ファイルサイズチェック()",
                  "ファイルデータが最小データサイズ2バイト以下です。");
        return 1;
    }
    uint8_t field[4];
    if (read_full(file.fd, field, 4) != 4) {
        _SetFault(EDataFault::Read, errno);
        LogReport(m_log, BRX_SITE, kFnRead, "file.Read()", "ファイル読込処理に失敗しました。");
        return 1;
    }
    const uint32_t dwDigestLen = get_le32(field);
    if (qwSize < uint64_t{dwDigestLen} + 8) {
        _SetFault(EDataFault::DigestTooLarge, 0, qwSize, uint64_t{dwDigestLen} + 8);
        LogReport(m_log, BRX_SITE, kFnRead, "ハッシュサイズを考慮したファイルサイズチェック()",
                  "ファイルデータからハッシュデータを抜かしたサイズが最小データサイズ2バイト以下"
                  "です。");
        return 1;
    }
    std::unique_ptr<uint8_t[]> stored(new uint8_t[dwDigestLen]);
    if (dwDigestLen != 0 && read_full(file.fd, stored.get(), dwDigestLen) != dwDigestLen) {
        _SetFault(EDataFault::Read, errno);
        LogReport(m_log, BRX_SITE, kFnRead, "file.Read()", "ハッシュデータ読込処理エラー");
        return 1;
    }
    if (read_full(file.fd, field, 4) != 4) {
        _SetFault(EDataFault::Read, errno);
        LogReport(m_log, BRX_SITE, kFnRead, "暗号文サイズ読込()", "暗号文サイズチェック処理エラー");
        return 1;
    }
    const uint32_t dwCipherLen = get_le32(field);
    const uint64_t qwNeeded = uint64_t{dwDigestLen} + dwCipherLen + 8;
    if (qwSize != qwNeeded) {
        _SetFault(EDataFault::SizeMismatch, 0, qwSize, qwNeeded);
        return 4;
    }

    CCryptUtil crypt; // a fresh key for every file
    if (crypt.InitCrypt() == 0) {
        _SetFault(EDataFault::Decipher);
        LogReport(m_log, BRX_SITE, kFnRead, "Decrypt()", "復号化取得処理に失敗しました。");
        return 1;
    }
    // The ciphertext buffer becomes the plaintext buffer: deciphered in place, handed out.
    std::unique_ptr<uint8_t[]> data(new uint8_t[dwCipherLen]);
    uint8_t computed[MD5_DIGEST_SIZE];
    int err = 0;
    if (!crypt._ReadAndDecipher(file.fd, dwCipherLen, data.get(), computed, &err)) {
        _SetFault(EDataFault::Read, err);
        errno = err;
        LogReport(m_log, BRX_SITE, kFnRead, "file.Read()", "暗号文サイズ読込み");
        return 1;
    }
    file.reset();
    if (dwDigestLen != MD5_DIGEST_SIZE ||
        std::memcmp(computed, stored.get(), MD5_DIGEST_SIZE) != 0) {
        _SetFault(EDataFault::DigestMismatch, 0, qwSize, qwNeeded);
        return 4;
    }
    *pdwLen = dwCipherLen;
    *ppData = data.release();
    return 0;
}
