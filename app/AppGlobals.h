#pragma once

#include <string>

// Folder of the executable (symbolic links resolved), with a trailing '/'.
extern std::string g_strAppDir;
// Addresses taken from the information file by the latest server check.
extern std::string g_strUrlVersionCheck;
extern std::string g_strUrlDownLoad;

// Resolves the folder of the running executable through /proc/self/exe.
std::string ResolveAppDir();
