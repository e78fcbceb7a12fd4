// Time of one whole server check (local read, fetch from 127.0.0.1, comparison).
#include "TempDir.h"
#include "TestHttpServer.h"

#include "app/AppGlobals.h"
#include "update/SvrFileChk.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

std::string info_document(const std::string& version, const std::string& urlCheck) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<dataroot><VERSION_INFO>"
           "<COPYRIGHT>Copyright</COPYRIGHT><URL_DOWN_LOAD>http://127.0.0.1/dl/Varnetic.msi"
           "</URL_DOWN_LOAD><URL_VERSION_CHECK>" +
           urlCheck + "</URL_VERSION_CHECK><VERSION>" + version +
           "</VERSION></VERSION_INFO></dataroot>\n";
}

void BM_SvrFileCheck(benchmark::State& state) {
    ::setenv("no_proxy", "127.0.0.1", 1);
    TempDir dir;
    TestHttpServer server;
    server.SetReply("/release/n_info.xml", {200, info_document("1.10", "x"), "", true, false});
    dir.Write("n_info.xml", info_document("1.9", server.Url("/release/")));
    g_strAppDir = dir.Dir();
    for (auto _ : state) {
        SvrFileChkParam param;
        _SvrFileVersionCheckThread(&param);
        if (param.nResult != SVRCHK_UPDATE)
            state.SkipWithError("unexpected outcome");
    }
}
BENCHMARK(BM_SvrFileCheck)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
