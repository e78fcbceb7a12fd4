// The movie player's requirement: the start-up decision and the texts that name the engine.

#include "dialogs/PlayerRequirement.h"
#include "app/Resource.h"
#include "res/StringTable.h"

#include "tests/dialogs/EngineProbe.h"

#include <gtest/gtest.h>

namespace {

struct DecisionCase {
    const char* name;
    CEngineProbe probe;
    EPlayerCheck expected;
};

} // namespace

TEST(PlayerRequirement, DecisionFollowsTheProbe) {
    const DecisionCase cases[] = {
        // No backend is "class not registered": the notice, whatever else the probe holds.
        {"backend missing", probe(false, 0, {2, 40, 0}), EPlayerCheck::Missing},
        {"backend missing, no version", probe(false, 0, {0, 0, 0}), EPlayerCheck::Missing},
        {"backend missing, creation failed", probe(false, kProbeCreateFailed, {}),
         EPlayerCheck::Missing},
        // Any other failure to create it is the "(#3001)" report, even with an old engine.
        {"no web view object", probe(true, kProbeNoObject, {2, 40, 0}), EPlayerCheck::CreateFailed},
        {"creation failed", probe(true, kProbeCreateFailed, {2, 40, 0}),
         EPlayerCheck::CreateFailed},
        {"creation threw, engine old", probe(true, kProbeException, {2, 20, 0}),
         EPlayerCheck::CreateFailed},
        // Created: the version decides.
        {"too old by a minor", probe(true, 0, {2, 34, 6}), EPlayerCheck::TooOld},
        {"too old by a micro below the minimum", probe(true, 0, {2, 35, 99}), EPlayerCheck::TooOld},
        {"older major, larger minor", probe(true, 0, {1, 99, 99}), EPlayerCheck::TooOld},
        {"no version reported", probe(true, 0, {0, 0, 0}), EPlayerCheck::TooOld},
        {"exactly the minimum", probe(true, 0, {2, 36, 0}), EPlayerCheck::Ready},
        {"minimum with a micro", probe(true, 0, {2, 36, 1}), EPlayerCheck::Ready},
        {"minor compared as a number", probe(true, 0, {2, 100, 0}), EPlayerCheck::Ready},
        {"newer major, smaller minor", probe(true, 0, {3, 0, 0}), EPlayerCheck::Ready},
        {"today's engine", probe(true, 0, {2, 50, 6}), EPlayerCheck::Ready},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecidePlayerCheck(c.probe), c.expected) << c.name;
}

TEST(PlayerRequirement, VersionText) {
    EXPECT_EQ(EngineVersionText({2, 36, 0}), "2.36");
    EXPECT_EQ(EngineVersionText({2, 36, 4}), "2.36.4");
    EXPECT_EQ(EngineVersionText({3, 0, 0}), "3.0");
}

// The notice, the line under the badge and item 4 of the terms name the same component and
// the same minimum, in the wording and layout of the texts they stand for.
TEST(PlayerRequirement, TextsNameTheRequiredEngine) {
    EXPECT_EQ(PlayerNoticeText(), "To use this application WebKitGTK 2.36 or later is required. "
                                  "\r\n\r\nPlease obtain WebKitGTK from the following  icon.");
    EXPECT_EQ(PlayerTradeMarkText(),
              "WebKitGTK is free software, the GTK port of the WebKit web engine, licensed under "
              "the GNU LGPL and BSD licenses.");
    const std::string terms = LoadStringRes(IDS_USEAGREEMENT2);
    const std::string item4 = "4. WebKitGTK Version 2.36 or later is required to use this "
                              "system.\r\n\r\n";
    ASSERT_GE(terms.size(), item4.size());
    EXPECT_EQ(terms.substr(terms.size() - item4.size()), item4);
    EXPECT_EQ(EngineVersionText(kMinEngineVersion), "2.36");
}
