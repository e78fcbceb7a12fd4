// Encoding and decoding data files of 1 KiB, 1 MiB and 64 MiB of text.

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "data/CryptUtil.h"

namespace {

namespace fs = std::filesystem;

// A folder for the files, under TMPDIR like everything else the program writes.
const fs::path& BenchDir() {
    static const fs::path dir = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/brennix_bench.XXXXXX";
        if (!::mkdtemp(templ.data()))
            std::abort();
        std::atexit([] { fs::remove_all(BenchDir()); });
        return fs::path(templ);
    }();
    return dir;
}

std::vector<uint8_t> Text(std::size_t n) {
    std::vector<uint8_t> text(n);
    std::mt19937 rng(1);
    for (uint8_t& b : text)
        b = static_cast<uint8_t>(' ' + rng() % 95);
    return text;
}

// Enciphering, digest, writing, flushing to disk and replacing the file.
void BM_Encode(benchmark::State& state) {
    const auto text = Text(static_cast<std::size_t>(state.range(0)));
    const std::string path = (BenchDir() / "encode.nsr").string();
    for (auto _ : state) {
        CCryptUtil crypt;
        if (crypt.CreateDataFile(path, static_cast<uint32_t>(text.size()), text.data()) != 1)
            state.SkipWithError(crypt.GetLastFaultText().c_str());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

// Reading (from the page cache), digest check and deciphering.
void BM_Decode(benchmark::State& state) {
    const auto text = Text(static_cast<std::size_t>(state.range(0)));
    const std::string path = (BenchDir() / "decode.nsr").string();
    if (CCryptUtil().CreateDataFile(path, static_cast<uint32_t>(text.size()), text.data()) != 1) {
        state.SkipWithError("cannot write the file to read");
        return;
    }
    for (auto _ : state) {
        CCryptUtil crypt;
        uint32_t len = 0;
        uint8_t* out = nullptr;
        if (crypt.ReadDataFile(path, &len, &out) != 0) {
            state.SkipWithError(crypt.GetLastFaultText().c_str());
            break;
        }
        std::unique_ptr<uint8_t[]> owned(out);
        benchmark::DoNotOptimize(owned.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

} // namespace

BENCHMARK(BM_Encode)->Arg(1 << 10)->Arg(1 << 20)->Arg(64 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode)->Arg(1 << 10)->Arg(1 << 20)->Arg(64 << 20)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
