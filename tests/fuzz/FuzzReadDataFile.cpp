// libFuzzer target: any byte sequence as a data file on disk, read back through ReadDataFile.
// The answer must match what the bytes alone call for, with a record exactly for result 1.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include <nettle/arcfour.h>
#include <nettle/md5.h>
#include <nettle/sha1.h>

#include "data/CryptUtil.h"

namespace {

namespace fs = std::filesystem;

std::string g_dir;
std::string g_file;

[[noreturn]] void fail(const char* what, int rc) {
    std::fprintf(stderr, "invariant broken: %s (result %d)\n", what, rc);
    std::abort();
}

uint64_t le32(const uint8_t* p) {
    return uint64_t{p[0]} | uint64_t{p[1]} << 8 | uint64_t{p[2]} << 16 | uint64_t{p[3]} << 24;
}

// The reader's answer for these bytes, worked out independently.
int expected_result(const uint8_t* d, size_t n) {
    if (n < 8)
        return 1;
    const uint64_t h = le32(d);
    if (n < h + 8)
        return 1;
    const uint64_t c = le32(d + 4 + h);
    if (n != h + c + 8)
        return 4;
    if (h != MD5_DIGEST_SIZE)
        return 4;
    md5_ctx md5;
    md5_init(&md5);
    md5_update(&md5, c, d + 8 + h);
    uint8_t digest[MD5_DIGEST_SIZE];
    md5_digest(&md5, sizeof digest, digest);
    return std::memcmp(digest, d + 4, sizeof digest) == 0 ? 0 : 4;
}

// Counts the records written since the last call and starts the log afresh.
size_t take_log_records() {
    size_t lines = 0;
    for (const auto& entry : fs::directory_iterator(g_dir)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("_ERROR", 0) != 0)
            continue;
        FILE* f = std::fopen(entry.path().c_str(), "rb");
        if (f) {
            for (int ch; (ch = std::fgetc(f)) != EOF;)
                lines += ch == '\n';
            std::fclose(f);
        }
        fs::remove(entry.path());
    }
    return lines;
}

void write_input(const uint8_t* data, size_t size) {
    int fd = ::open(g_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        fail("cannot write the input file", -1);
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n <= 0)
            fail("cannot write the input file", -1);
        data += n;
        size -= static_cast<size_t>(n);
    }
    ::close(fd);
}

void remove_dir() {
    std::error_code ec;
    fs::remove_all(g_dir, ec);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz_read.XXXXXX";
    if (!::mkdtemp(templ.data()))
        fail("cannot make a working folder", -1);
    g_dir = templ;
    g_file = g_dir + "/input.nsr";
    // Every CCryptUtil made from now on logs into the working folder.
    ::setenv("TMPDIR", (g_dir + "/").c_str(), 1);
    std::atexit(remove_dir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    write_input(data, size);
    CCryptUtil crypt;
    uint32_t len = 0xA5A5A5A5;
    uint8_t sentinel = 0;
    uint8_t* out = &sentinel;
    const int rc = crypt.ReadDataFile(g_file, &len, &out);

    if (rc != expected_result(data, size))
        fail("result differs from what the bytes call for", rc);
    const size_t records = take_log_records();
    if (records != (rc == 1 ? 1u : 0u))
        fail("a record must come with result 1 and only then", rc);

    if (rc != 0) {
        if (len != 0xA5A5A5A5 || out != &sentinel)
            fail("outputs changed on failure", rc);
        const EDataFault fault = crypt.GetLastFault();
        const bool integrity =
            fault == EDataFault::SizeMismatch || fault == EDataFault::DigestMismatch;
        if ((rc == 4) != integrity)
            fail("the fault does not fit the result", rc);
        return 0;
    }
    if (size != 24u + len || out == &sentinel || out == nullptr)
        fail("text length does not fit the file", rc);
    // Decipher the stored ciphertext independently and compare.
    sha1_ctx sha;
    sha1_init(&sha);
    sha1_update(&sha, 15, reinterpret_cast<const uint8_t*>("HarborLinenTusk"));
    uint8_t key[SHA1_DIGEST_SIZE];
    sha1_digest(&sha, sizeof key, key);
    arcfour_ctx rc4;
    arcfour128_set_key(&rc4, key);
    for (uint32_t i = 0; i < len; ++i) {
        uint8_t plain = 0;
        arcfour_crypt(&rc4, 1, &plain, data + 24 + i);
        if (plain != out[i])
            fail("text differs from the independently deciphered one", rc);
    }
    delete[] out;
    return 0;
}
