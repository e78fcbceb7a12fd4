#pragma once

#include <string>

// The host's string table (UTF-8). Unknown ids give an empty text.
std::string LoadStringRes(int nId);
