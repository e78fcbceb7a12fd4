#pragma once

#include "dialogs/PlayerRequirement.h"

class wxWindow;

// The start-up check of the movie's player, made before the main window is created.
// Returns 0 to go on, or -1 to stop start-up: the player is missing or too old (the user saw
// the requirement notice), or it could not be created (logged and reported as "(#3001)",
// the box owned by pOwner once that window exists).
int CheckFlashPlayerVersion(wxWindow* pOwner);

// The same for a probe result already at hand.
int CheckFlashPlayerVersion(wxWindow* pOwner, const CEngineProbe& probe);

// Finds out whether this machine's web view backend exists, whether a web view can be made
// with it, and the engine's version. Call it before the application's main window is set:
// it makes and deletes a hidden top-level window of its own.
CEngineProbe ProbeWebEngine();
