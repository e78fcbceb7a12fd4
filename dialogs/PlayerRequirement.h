#pragma once

// What the movie needs from its player, the web view's engine, and the start-up decision
// taken from what a probe of this machine found. No window code here.

#include <string>

struct CEngineVersion {
    int nMajor = 0;
    int nMinor = 0;
    int nMicro = 0;
};

// The oldest WebKitGTK the movie is made for. 2.36 (March 2022) brings the ES2022 language
// (class fields, private methods, Array.prototype.at, Object.hasOwn) and structuredClone,
// which the movie's script may use freely. The texts that name the requirement are made from
// this one value.
inline constexpr CEngineVersion kMinEngineVersion{2, 36, 0};

// The page that tells users how to obtain the engine.
inline constexpr const char* kEngineDownloadUrl = "https://webkitgtk.org/";

// Compared component by component, numerically (2.100 is newer than 2.36).
bool IsEngineRecentEnough(const CEngineVersion& version,
                          const CEngineVersion& minimum = kMinEngineVersion);

// "2.36"; the micro number is shown only when it is not 0 ("2.36.4").
std::string EngineVersionText(const CEngineVersion& version);

// What probing this machine's web view found out.
struct CEngineProbe {
    bool bBackendAvailable = false; // the web view backend exists in this build and system
    int nCreateResult = 0;          // 0 when a web view could be created, else a code below
    CEngineVersion version;         // the engine's version as the backend reports it
};

// Codes of a failed creation (column 3 of the "(#3001)" log line).
constexpr int kProbeNoObject = -1;     // the backend gave no web view object
constexpr int kProbeCreateFailed = -2; // the web view window could not be created
constexpr int kProbeException = -3;    // creating it threw

enum class EPlayerCheck {
    Ready,       // go on
    Missing,     // the backend is not there: the notice
    TooOld,      // the engine is older than the movie needs: the notice
    CreateFailed // any other failure to create the player: the "(#3001)" report
};

EPlayerCheck DecidePlayerCheck(const CEngineProbe& probe);

// Texts of the requirement notice (control 1016) and of its line below the badge (1019).
std::string PlayerNoticeText();
std::string PlayerTradeMarkText();
