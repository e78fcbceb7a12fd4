// The real nsrtool binary: round trips, exit codes and its one-line complaints.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/data/DataTestSupport.h"

extern char** environ;

using namespace datatest;

namespace {

struct RunResult {
    int exit = -1;
    std::string out, err;
};

class NsrtoolTest : public CDataTest {
protected:
    RunResult Run(std::vector<std::string> args, const fs::path& stdinFile = "/dev/null") {
        const fs::path outFile = m_dir / ".stdout", errFile = m_dir / ".stderr";
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 0, stdinFile.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&fa, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addopen(&fa, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        args.insert(args.begin(), NSRTOOL_PATH);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_t pid = -1;
        RunResult r;
        int rc = posix_spawn(&pid, NSRTOOL_PATH, &fa, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&fa);
        EXPECT_EQ(rc, 0) << "cannot start " << NSRTOOL_PATH;
        if (rc != 0)
            return r;
        int status = 0;
        ::waitpid(pid, &status, 0);
        r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        Bytes out = ReadBytes(outFile), err = ReadBytes(errFile);
        r.out.assign(out.begin(), out.end());
        r.err.assign(err.begin(), err.end());
        fs::remove(outFile);
        fs::remove(errFile);
        return r;
    }

    static int Lines(const std::string& s) {
        return static_cast<int>(std::count(s.begin(), s.end(), '\n'));
    }
};

} // namespace

TEST_F(NsrtoolTest, EncodeDecodeRoundTrip) {
    // Line feed, UTF-8, a NUL byte and a byte that is no text at all.
    const std::string text =
        std::string("<root>XML_PARA_VER=2\n\xE6\x97\xA5") + '\0' + "binary\xFF</root>";
    const fs::path plain = m_dir / "plain.txt", data = m_dir / "sel.nsr", back = m_dir / "back.txt";
    WriteBytes(plain, FromText(text));

    RunResult enc = Run({"encode", plain.string(), data.string()});
    EXPECT_EQ(enc.exit, 0) << enc.err;
    EXPECT_EQ(enc.err, "");
    EXPECT_EQ(fs::file_size(data), 24 + text.size());

    RunResult dec = Run({"decode", data.string(), back.string()});
    EXPECT_EQ(dec.exit, 0) << dec.err;
    EXPECT_EQ(ReadBytes(back), FromText(text));

    RunResult toStdout = Run({"decode", data.string()});
    EXPECT_EQ(toStdout.exit, 0);
    EXPECT_EQ(toStdout.out, text);

    RunResult ver = Run({"verify", data.string()});
    EXPECT_EQ(ver.exit, 0);
    EXPECT_NE(ver.out.find("intact"), std::string::npos) << ver.out;

    // Standard input as the source gives the same file.
    const fs::path data2 = m_dir / "sel2.nsr";
    RunResult fromStdin = Run({"encode", "-", data2.string()}, plain);
    EXPECT_EQ(fromStdin.exit, 0) << fromStdin.err;
    EXPECT_EQ(ReadBytes(data2), ReadBytes(data));
    ExpectNoRecord();
}

TEST_F(NsrtoolTest, FailuresExitWithTheReaderResultAndSayWhy) {
    const fs::path good = m_dir / "good.nsr", plain = m_dir / "plain.txt";
    WriteBytes(plain, FromText("XML_PARA_VER"));
    ASSERT_EQ(Run({"encode", plain.string(), good.string()}).exit, 0);
    const Bytes intact = ReadBytes(good);

    Bytes flipped = intact;
    flipped.back() ^= 1;
    Bytes cut(intact.begin(), intact.end() - 3);
    struct Case {
        const char* name;
        const char* command;
        Bytes content; // written to the file unless missing
        bool missing;
        int exit;
        std::string says;
    } cases[] = {
        {"too short", "verify", Bytes{1, 2, 3}, false, 1, "too short"},
        {"digest mismatch", "verify", flipped, false, 4, "digest mismatch"},
        {"cut short", "decode", cut, false, 4, "size mismatch"},
        {"missing file", "decode", {}, true, 1, "cannot open: No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = m_dir / "case.nsr";
        fs::remove(file);
        if (!c.missing)
            WriteBytes(file, c.content);
        RunResult r = Run({c.command, file.string()});
        EXPECT_EQ(r.exit, c.exit);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(Lines(r.err), 1) << r.err;
        EXPECT_NE(r.err.find(file.string()), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }

    // Encoding into a folder that does not exist fails without leaving anything behind.
    const fs::path nowhere = m_dir / "missing" / "x.nsr";
    RunResult enc = Run({"encode", plain.string(), nowhere.string()});
    EXPECT_EQ(enc.exit, 1);
    EXPECT_EQ(Lines(enc.err), 1);
    EXPECT_NE(enc.err.find(nowhere.string() + ": cannot open"), std::string::npos) << enc.err;
    EXPECT_FALSE(fs::exists(nowhere.parent_path()));

    RunResult noInput = Run({"encode", (m_dir / "none.txt").string(), good.string()});
    EXPECT_EQ(noInput.exit, 1);
    EXPECT_NE(noInput.err.find("none.txt: cannot open"), std::string::npos) << noInput.err;
    EXPECT_EQ(ReadBytes(good), intact);
}

TEST_F(NsrtoolTest, HelpAndUsageErrors) {
    RunResult help = Run({"--help"});
    EXPECT_EQ(help.exit, 0);
    for (const char* word : {"decode FILE [OUT]", "encode IN OUT", "verify FILE", "Exit status"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;

    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {}, {"frobnicate"}, {"decode"}, {"encode", "only-one"}, {"verify", "a", "b"}}) {
        RunResult r = Run(args);
        EXPECT_EQ(r.exit, 2);
        EXPECT_NE(r.err.find("--help"), std::string::npos);
    }
}
