#pragma once

#include "dialogs/PlayerRequirement.h"

// A probe result as the requirement check would find it on some machine.
inline CEngineProbe probe(bool available, int createResult, CEngineVersion version) {
    CEngineProbe p;
    p.bBackendAvailable = available;
    p.nCreateResult = createResult;
    p.version = version;
    return p;
}
