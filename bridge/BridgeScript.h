#pragma once

// The script the host injects into the movie's page (bridge/bridge.js).
extern const char* const kBridgeScript;
