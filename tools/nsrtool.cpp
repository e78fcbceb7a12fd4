// nsrtool: reads, writes and checks selection data files (*.nsr) from the command line.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "data/CryptUtil.h"

namespace {

constexpr int kExitUsage = 2;

const char kHelp[] =
    "Usage: nsrtool COMMAND ARGUMENTS\n"
    "\n"
    "Reads, writes and checks the selection data files (*.nsr) of the TARVOS-N series\n"
    "Model Selection System.\n"
    "\n"
    "Commands:\n"
    "  decode FILE [OUT]  Check FILE and write the text it holds to OUT (standard output\n"
    "                     when OUT is missing or \"-\").\n"
    "  encode IN OUT      Write the text of IN (\"-\" reads standard input) as the data file\n"
    "                     OUT. OUT is replaced only once the whole new file is on disk; if\n"
    "                     anything fails, a previous OUT stays as it was.\n"
    "  verify FILE        Say whether FILE is intact, without writing its text anywhere.\n"
    "  --help, -h         Show this text.\n"
    "\n"
    "Exit status:\n"
    "  decode, verify: 0 the file is intact (and, for decode, its text was written);\n"
    "                  1 the file cannot be used: missing, unreadable, too short for its own\n"
    "                    length fields, or the text could not be written out;\n"
    "                  4 the file is not intact: its size differs from what its length\n"
    "                    fields say (cut short or extended) or its digest does not match.\n"
    "  encode:         0 the data file was written; 1 it was not.\n"
    "  any command:    2 the command line was not understood.\n"
    "\n"
    "On failure one line on standard error names the file and what is wrong. Failures\n"
    "of kind 1 are also recorded in the day's error log _ERRORdd.log in $TMPDIR (or /tmp),\n"
    "like the program itself records them.\n";

std::string os_text(int err) {
    return std::generic_category().message(err);
}

void fail_line(const std::string& file, const std::string& what) {
    std::fprintf(stderr, "nsrtool: %s: %s\n", file.c_str(), what.c_str());
}

int usage_error(const char* what) {
    std::fprintf(stderr, "nsrtool: %s\nTry 'nsrtool --help'.\n", what);
    return kExitUsage;
}

bool write_all(int fd, const uint8_t* p, std::size_t n) {
    while (n > 0) {
        ssize_t put = ::write(fd, p, n);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += put;
        n -= static_cast<std::size_t>(put);
    }
    return true;
}

// The whole input in one buffer, sized from fstat for a file, grown for a pipe.
struct CInput {
    uint8_t* data = nullptr;
    std::size_t size = 0;
    ~CInput() { std::free(data); }
};

bool read_input(int fd, CInput& in) {
    struct stat st;
    std::size_t cap = 64 * 1024;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        cap = static_cast<std::size_t>(st.st_size) + 1; // +1 sees the end without regrowing
    in.data = static_cast<uint8_t*>(std::malloc(cap));
    if (!in.data) {
        errno = ENOMEM;
        return false;
    }
    for (;;) {
        if (in.size == cap) {
            std::size_t bigger = cap * 2;
            auto* p = static_cast<uint8_t*>(std::realloc(in.data, bigger));
            if (!p) {
                errno = ENOMEM;
                return false;
            }
            in.data = p;
            cap = bigger;
        }
        ssize_t got = ::read(fd, in.data + in.size, cap - in.size);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0)
            return true;
        in.size += static_cast<std::size_t>(got);
    }
}

int cmd_read(const std::string& file, const char* out, bool write_text) {
    CCryptUtil crypt;
    uint32_t len = 0;
    uint8_t* text = nullptr;
    int rc = crypt.ReadDataFile(file, &len, &text);
    if (rc != 0) {
        fail_line(file, crypt.GetLastFaultText());
        return rc;
    }
    std::unique_ptr<uint8_t[]> owned(text);
    if (!write_text) {
        std::printf("%s: intact, %lu bytes of text\n", file.c_str(),
                    static_cast<unsigned long>(len));
        return 0;
    }
    if (!out || std::strcmp(out, "-") == 0) {
        if (!write_all(STDOUT_FILENO, owned.get(), len)) {
            fail_line("standard output", "cannot write: " + os_text(errno));
            return 1;
        }
        return 0;
    }
    int fd = ::open(out, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        fail_line(out, "cannot open: " + os_text(errno));
        return 1;
    }
    bool ok = write_all(fd, owned.get(), len);
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        fail_line(out, "cannot write: " + os_text(err));
        return 1;
    }
    return 0;
}

int cmd_encode(const std::string& in_name, const std::string& out_name) {
    CInput in;
    bool from_stdin = in_name == "-";
    int fd = from_stdin ? STDIN_FILENO : ::open(in_name.c_str(), O_RDONLY | O_CLOEXEC);
    const std::string shown = from_stdin ? std::string("standard input") : in_name;
    if (fd < 0) {
        fail_line(shown, "cannot open: " + os_text(errno));
        return 1;
    }
    bool ok = read_input(fd, in);
    int err = errno;
    if (!from_stdin)
        ::close(fd);
    if (!ok) {
        fail_line(shown, "cannot read: " + os_text(err));
        return 1;
    }
    if (in.size > UINT32_MAX) {
        fail_line(shown, "too large: " + std::to_string(in.size) +
                             " bytes, a data file holds at most 4294967295");
        return 1;
    }
    CCryptUtil crypt;
    if (crypt.CreateDataFile(out_name, static_cast<uint32_t>(in.size), in.data) != 1) {
        fail_line(out_name, crypt.GetLastFaultText());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return usage_error("missing command");
    const std::string cmd = argv[1];
    if (cmd == "--help" || cmd == "-h" || cmd == "help") {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (cmd == "decode") {
        if (argc != 3 && argc != 4)
            return usage_error("decode needs FILE and optionally OUT");
        return cmd_read(argv[2], argc == 4 ? argv[3] : nullptr, true);
    }
    if (cmd == "verify") {
        if (argc != 3)
            return usage_error("verify needs FILE");
        return cmd_read(argv[2], nullptr, false);
    }
    if (cmd == "encode") {
        if (argc != 4)
            return usage_error("encode needs IN and OUT");
        return cmd_encode(argv[2], argv[3]);
    }
    return usage_error(("unknown command '" + cmd + "'").c_str());
}
