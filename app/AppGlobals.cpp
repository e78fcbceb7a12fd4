#include "app/AppGlobals.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

std::string g_strAppDir;
std::string g_strUrlVersionCheck;
std::string g_strUrlDownLoad;

std::string ResolveAppDir() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return {};
    std::string path(buf, static_cast<std::size_t>(n));
    // readlink gives the target with links already resolved; realpath covers the folders.
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        path = real;
        std::free(real);
    }
    return path.substr(0, path.rfind('/') + 1);
}
