#include "dialogs/PlayerRequirement.h"

#include <tuple>

bool IsEngineRecentEnough(const CEngineVersion& version, const CEngineVersion& minimum) {
    return std::tie(version.nMajor, version.nMinor, version.nMicro) >=
           std::tie(minimum.nMajor, minimum.nMinor, minimum.nMicro);
}

std::string EngineVersionText(const CEngineVersion& version) {
    std::string text = std::to_string(version.nMajor) + "." + std::to_string(version.nMinor);
    if (version.nMicro != 0)
        text += "." + std::to_string(version.nMicro);
    return text;
}

EPlayerCheck DecidePlayerCheck(const CEngineProbe& probe) {
    if (!probe.bBackendAvailable)
        return EPlayerCheck::Missing;
    if (probe.nCreateResult != 0)
        return EPlayerCheck::CreateFailed;
    // A backend that reports no version (0.0.0) cannot be trusted to run the movie either.
    if (!IsEngineRecentEnough(probe.version))
        return EPlayerCheck::TooOld;
    return EPlayerCheck::Ready;
}

std::string PlayerNoticeText() {
    // The blank before the line breaks and the two blanks before "icon" are part of the text.
    return "To use this application WebKitGTK " + EngineVersionText(kMinEngineVersion) +
           " or later is required. \r\n\r\nPlease obtain WebKitGTK from the following  icon.";
}

std::string PlayerTradeMarkText() {
    return "WebKitGTK is free software, the GTK port of the WebKit web engine, licensed under "
           "the GNU LGPL and BSD licenses.";
}
