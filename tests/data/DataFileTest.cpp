// Data files on disk: exact layout, damaged files, and saves that fail half way.

#include <cerrno>
#include <csignal>
#include <functional>
#include <memory>
#include <random>
#include <system_error>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "data/CryptUtil.h"
#include "tests/data/DataTestSupport.h"

using namespace datatest;

namespace {

// "XML_PARA_VER=1.0" as a data file; ciphertext from `openssl enc -rc4` with the fixed key,
// digest from md5sum over that ciphertext.
const char kShortPlain[] = "XML_PARA_VER=1.0";
const Bytes kShortFile = Concat({Le32(16), FromHex("0664c22fd7eb4ff296d61e4ed39d3a6a"), Le32(16),
                                 FromHex("f6b5c0d0dd968b62a2ffb55ce51688a9")});
const Bytes kEmptyFile = Concat({Le32(16), FromHex("d41d8cd98f00b204e9800998ecf8427e"), Le32(0)});

const char kFnRead[] = "CCryptUtil::ReadDataFile()";
const char kFnCreate[] = "CCryptUtil::CreateDataFile()";

class DataFileTest : public CDataTest {
protected:
    fs::path Target() const { return m_dir / "selection.nsr"; }

    int Create(const fs::path& path, const Bytes& plain) {
        static const uint8_t none = 0;
        CCryptUtil crypt;
        return crypt.CreateDataFile(path.string(), static_cast<uint32_t>(plain.size()),
                                    plain.empty() ? &none : plain.data());
    }

    // Reads and returns {result, text, fault}; the outputs must stay untouched unless it is 0.
    struct ReadResult {
        int result;
        Bytes text;
        EDataFault fault;
    };
    ReadResult Read(const std::string& path) {
        CCryptUtil crypt;
        uint32_t len = 12345;
        uint8_t* out = reinterpret_cast<uint8_t*>(&len);
        int rc = crypt.ReadDataFile(path, &len, &out);
        ReadResult r{rc, {}, crypt.GetLastFault()};
        if (rc == 0) {
            EXPECT_NE(out, nullptr);
            r.text.assign(out, out + len);
            delete[] out;
        } else {
            EXPECT_EQ(len, 12345u);
            EXPECT_EQ(out, reinterpret_cast<uint8_t*>(&len));
        }
        return r;
    }
};

} // namespace

TEST_F(DataFileTest, KnownFilesAreWrittenAndReadByteForByte) {
    struct Case {
        std::string plain;
        const Bytes& file;
    } cases[] = {{"", kEmptyFile}, {kShortPlain, kShortFile}};
    for (const Case& c : cases) {
        SCOPED_TRACE("plaintext '" + c.plain + "'");
        ASSERT_EQ(Create(Target(), FromText(c.plain)), 1);
        EXPECT_EQ(ToHex(ReadBytes(Target()).data(), ReadBytes(Target()).size()),
                  ToHex(c.file.data(), c.file.size()));
        WriteBytes(Target(), c.file);
        ReadResult r = Read(Target().string());
        EXPECT_EQ(r.result, 0);
        EXPECT_EQ(r.fault, EDataFault::None);
        EXPECT_EQ(r.text, FromText(c.plain));
    }
    ExpectNoRecord();
}

TEST_F(DataFileTest, RoundTripReplacesTheWholeFileAndLeavesNothingElse) {
    std::mt19937 rng(7);
    Bytes big(1 << 20 | 3);
    for (uint8_t& b : big)
        b = static_cast<uint8_t>(rng());
    ASSERT_EQ(Create(Target(), big), 1);
    EXPECT_EQ(fs::file_size(Target()), 24 + big.size());
    EXPECT_EQ(Read(Target().string()).text, big);

    // A shorter text over a longer file: nothing of the old one remains, and writing the same
    // text again gives the same bytes.
    ASSERT_EQ(Create(Target(), FromText(kShortPlain)), 1);
    EXPECT_EQ(ReadBytes(Target()), kShortFile);
    ASSERT_EQ(Create(Target(), FromText(kShortPlain)), 1);
    EXPECT_EQ(ReadBytes(Target()), kShortFile);
    EXPECT_EQ(FolderContents(), std::vector<std::string>{"selection.nsr"});
    ExpectNoRecord();
}

// Large texts are enciphered and digested in chunks on two threads; the file must still hold
// exactly what the single-call Encrypt and GetHash give, and a damaged end must be noticed.
TEST_F(DataFileTest, LargeTextsMatchTheSingleCallCipherAndDigest) {
    std::mt19937 rng(11);
    for (std::size_t size :
         {std::size_t{8} << 20, (std::size_t{8} << 20) + 12345, (std::size_t{21} << 20) + 7}) {
        SCOPED_TRACE(size);
        Bytes text(size);
        for (uint8_t& b : text)
            b = static_cast<uint8_t>(rng());
        ASSERT_EQ(Create(Target(), text), 1);

        CCryptUtil crypt;
        uint32_t len = 0, hashLen = 0;
        uint8_t *cipher = nullptr, *digest = nullptr;
        ASSERT_EQ(crypt.Encrypt(static_cast<uint32_t>(size), text.data(), &len, &cipher), 1);
        ASSERT_EQ(crypt.GetHash(CALG_MD5, len, cipher, &hashLen, &digest), 1);
        const Bytes expected = Concat(
            {Le32(16), Bytes(digest, digest + hashLen), Le32(len), Bytes(cipher, cipher + len)});
        delete[] cipher;
        delete[] digest;
        Bytes file = ReadBytes(Target());
        EXPECT_TRUE(file == expected) << "file differs from Encrypt/GetHash";

        EXPECT_TRUE(Read(Target().string()).text == text);
        file[file.size() - 1] ^= 0x40;
        WriteBytes(Target(), file);
        EXPECT_EQ(Read(Target().string()).result, 4);
    }
    ExpectNoRecord();
}

TEST_F(DataFileTest, DamagedFilesAndBadPaths) {
    const std::string open = "ファイルオープンの処理に失敗しました。";
    enum Where { Written, EmptyPath, MissingFolder };
    struct Case {
        const char* name;
        Where where;
        std::function<Bytes()> content;
        int result;
        EDataFault fault;
        std::string call, message; // empty: no record
    } cases[] = {
        {"shorter than 8 bytes", Written,
         [] {
             return Bytes{0x10, 0, 0, 0, 0};
         },
         1, EDataFault::TooShort, "最小ファイルサイズチェック()",
         "ファイルデータが最小データサイズ2バイト以下です。"},
        {"empty file", Written, [] { return Bytes{}; }, 1, EDataFault::TooShort,
         "最小ファイルサイズチェック()", "ファイルデータが最小データサイズ2バイト以下です。"},
        {"digest length larger than the file", Written,
         [] {
             Bytes b = kShortFile;
             b[0] = 0xE8, b[1] = 0x03; // 1000
             return b;
         },
         1, EDataFault::DigestTooLarge, "ハッシュサイズを考慮したファイルサイズチェック()",
         "ファイルデータからハッシュデータを抜かしたサイズが最小データサイズ2バイト以下です。"},
        {"digest length 0xFFFFFFFF does not wrap", Written,
         [] {
             return Concat({Le32(0xFFFFFFFF), Bytes(12, 0)});
         },
         1, EDataFault::DigestTooLarge, "ハッシュサイズを考慮したファイルサイズチェック()",
         "ファイルデータからハッシュデータを抜かしたサイズが最小データサイズ2バイト以下です。"},
        {"cut inside the digest", Written,
         [] { return Bytes(kShortFile.begin(), kShortFile.begin() + 12); }, 1,
         EDataFault::DigestTooLarge, "ハッシュサイズを考慮したファイルサイズチェック()",
         "ファイルデータからハッシュデータを抜かしたサイズが最小データサイズ2バイト以下です。"},
        {"one byte appended", Written,
         [] {
             Bytes b = kShortFile;
             b.push_back(0);
             return b;
         },
         4, EDataFault::SizeMismatch, "", ""},
        {"cut short by one byte", Written,
         [] { return Bytes(kShortFile.begin(), kShortFile.end() - 1); }, 4,
         EDataFault::SizeMismatch, "", ""},
        {"cut after the length fields", Written,
         [] { return Bytes(kShortFile.begin(), kShortFile.begin() + 24); }, 4,
         EDataFault::SizeMismatch, "", ""},
        {"flipped ciphertext byte", Written,
         [] {
             Bytes b = kShortFile;
             b[30] ^= 0x01;
             return b;
         },
         4, EDataFault::DigestMismatch, "", ""},
        {"flipped digest byte", Written,
         [] {
             Bytes b = kShortFile;
             b[4] ^= 0x80;
             return b;
         },
         4, EDataFault::DigestMismatch, "", ""},
        {"first field 20 (a SHA-1-sized digest)", Written,
         [] {
             return Concat({Le32(20), FromHex("0664c22fd7eb4ff296d61e4ed39d3a6a"), Bytes(4, 0),
                            Le32(16), FromHex("f6b5c0d0dd968b62a2ffb55ce51688a9")});
         },
         4, EDataFault::DigestMismatch, "", ""},
        {"no digest at all", Written, [] { return Bytes(8, 0); }, 4, EDataFault::DigestMismatch, "",
         ""},
        {"empty path", EmptyPath, nullptr, 1, EDataFault::Parameter,
         "暗号ファイル読込処理パラメータチェック処理",
         "暗号化情報が不正です。 暗号化ファイル名【】"},
        {"missing folder", MissingFolder, nullptr, 1, EDataFault::Open, "file.Open()", open},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearLog();
        std::string path = Target().string();
        if (c.where == Written)
            WriteBytes(path, c.content());
        else if (c.where == EmptyPath)
            path.clear();
        else
            path = (m_dir / "missing" / "selection.nsr").string();
        ReadResult r = Read(path);
        EXPECT_EQ(r.result, c.result);
        EXPECT_EQ(r.fault, c.fault);
        if (c.call.empty()) {
            ExpectNoRecord();
        } else {
            ExpectOneRecord(kFnRead, c.call, c.message);
            if (c.where == MissingFolder) {
                EXPECT_EQ(ReadLog().at(0).lastError, std::to_string(ENOENT));
            }
        }
    }
}

TEST_F(DataFileTest, ReadRefusesMissingOutputsWithThePathInTheRecord) {
    WriteBytes(Target(), kShortFile);
    CCryptUtil crypt;
    uint8_t* out = nullptr;
    EXPECT_EQ(crypt.ReadDataFile(Target().string(), nullptr, &out), 1);
    EXPECT_EQ(out, nullptr);
    ExpectOneRecord(kFnRead, "暗号ファイル読込処理パラメータチェック処理",
                    "暗号化情報が不正です。 暗号化ファイル名【" + Target().string() + "】");
}

TEST_F(DataFileTest, CreateRefusesBadArgumentsAndUnopenableTargets) {
    const std::string open = "ファイルオープンの処理に失敗しました。";
    struct Case {
        const char* name;
        std::string path;
        bool nullText;
        std::string call, message;
    } cases[] = {
        {"empty path", "", false, "暗号ファイル作成処理パラメータチェック処理",
         "暗号化情報が不正です。 暗号化ファイル名【】"},
        {"no text", Target().string(), true, "暗号ファイル作成処理パラメータチェック処理",
         "暗号化情報が不正です。 暗号化ファイル名【" + Target().string() + "】"},
        {"missing folder", (m_dir / "missing" / "x.nsr").string(), false, "file.Open()", open},
        {"a folder as target", m_dir.string(), false, "file.Open()", open},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearLog();
        CCryptUtil crypt;
        EXPECT_EQ(crypt.CreateDataFile(
                      c.path, 3, c.nullText ? nullptr : reinterpret_cast<const uint8_t*>("abc")),
                  0);
        ExpectOneRecord(kFnCreate, c.call, c.message);
        EXPECT_TRUE(FolderContents().empty());
    }
}

// The write runs in a child whose file size limit stops it half way; SIGXFSZ is ignored so the
// write fails with EFBIG instead of killing the process.
TEST_F(DataFileTest, FailedWriteKeepsThePreviousFileAndLeavesNoTemporaryFile) {
    // 256 KiB goes through one thread, 12 MiB through two.
    for (auto [hadFile, size] :
         {std::pair{true, std::size_t{256} << 10}, std::pair{false, std::size_t{256} << 10},
          std::pair{true, std::size_t{12} << 20}}) {
        SCOPED_TRACE(std::string(hadFile ? "previous file present, " : "no previous file, ") +
                     std::to_string(size) + " bytes");
        fs::remove(Target());
        Bytes previous;
        if (hadFile) {
            ASSERT_EQ(Create(Target(), FromText("previous selection XML_PARA_VER")), 1);
            previous = ReadBytes(Target());
        }
        ClearLog();
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit lim{};
            ::getrlimit(RLIMIT_FSIZE, &lim);
            lim.rlim_cur = size / 3;
            ::setrlimit(RLIMIT_FSIZE, &lim);
            Bytes text(size, 'x');
            CCryptUtil crypt;
            int rc = crypt.CreateDataFile(Target().string(), static_cast<uint32_t>(text.size()),
                                          text.data());
            ::_exit(rc == 0 && crypt.GetLastFault() == EDataFault::Write ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "CreateDataFile did not report the failed write";

        if (hadFile) {
            EXPECT_EQ(ReadBytes(Target()), previous);
            EXPECT_EQ(FolderContents(), std::vector<std::string>{"selection.nsr"});
        } else {
            EXPECT_TRUE(FolderContents().empty());
        }
        ExpectOneRecord(kFnCreate, kFnCreate, std::generic_category().message(EFBIG));
        EXPECT_EQ(ReadLog().at(0).lastError, std::to_string(EFBIG));
    }
}

TEST_F(DataFileTest, NewFilesGetTheUsualModeAndReplacedFilesKeepTheirs) {
    mode_t old = ::umask(022);
    ASSERT_EQ(Create(Target(), FromText("a")), 1);
    struct stat st {};
    ASSERT_EQ(::stat(Target().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);

    ASSERT_EQ(::chmod(Target().c_str(), 0640), 0);
    ASSERT_EQ(Create(Target(), FromText("b")), 1);
    ASSERT_EQ(::stat(Target().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    ::umask(old);
}

TEST_F(DataFileTest, SavingThroughALinkUpdatesTheLinkedFile) {
    fs::path real = m_dir / "real.nsr";
    fs::path link = m_dir / "link.nsr";
    WriteBytes(real, kEmptyFile);
    fs::create_symlink(real.filename(), link);
    ASSERT_EQ(Create(link, FromText(kShortPlain)), 1);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(real), kShortFile);
    EXPECT_EQ(FolderContents(), (std::vector<std::string>{"link.nsr", "real.nsr"}));
}
