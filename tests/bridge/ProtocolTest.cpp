#include "bridge/InvokeXml.h"
#include "bridge/Json.h"

#include <gtest/gtest.h>

TEST(InvokeXml, SerialisesExactlyAsThePlayerExpects) {
    EXPECT_EQ(
        CreateInvokeXml("setNetworkEnable", "true"),
        "<invoke name=\"setNetworkEnable\" returntype=\"xml\"><arguments><string>true</string>"
        "</arguments></invoke>");
    EXPECT_EQ(
        CreateInvokeXml("setNetworkEnable", "false"),
        "<invoke name=\"setNetworkEnable\" returntype=\"xml\"><arguments><string>false</string>"
        "</arguments></invoke>");
    EXPECT_EQ(CreateInvokeXml("setNetworkEnable", ""),
              "<invoke name=\"setNetworkEnable\" returntype=\"xml\"/>");
    EXPECT_EQ(CreateInvokeXml("f", "a<b&c\"d"),
              "<invoke name=\"f\" returntype=\"xml\"><arguments><string>a&lt;b&amp;c\"d</string>"
              "</arguments></invoke>");
}

TEST(InvokeXml, ParsesRequestsOfTheMovie) {
    const struct {
        const char* request;
        EInvokeParse result;
        const char* name;
    } cases[] = {
        {"<invoke name=\"checkNetworkEnable\" returntype=\"xml\"><arguments></arguments></invoke>",
         EInvokeParse::Ok, "checkNetworkEnable"},
        {"<invoke name=\"somethingElse\"/>", EInvokeParse::Ok, "somethingElse"},
        {"", EInvokeParse::NotWellFormed, ""},
        {"<invoke", EInvokeParse::NotWellFormed, ""},
        {"<invoke name=\"a\"></Invoke>", EInvokeParse::NotWellFormed, ""},
        {"<Invoke name=\"checkNetworkEnable\"/>", EInvokeParse::NotInvoke, ""},
        {"<call name=\"checkNetworkEnable\"/>", EInvokeParse::NotInvoke, ""},
        {"<invoke returntype=\"xml\"/>", EInvokeParse::NoName, ""},
        // A DOCTYPE is skipped: no entity is ever expanded, least of all from a file.
        {"<!DOCTYPE invoke [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><invoke name=\"&x;\"/>",
         EInvokeParse::Ok, "&x;"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.request);
        const CInvokeRequest parsed = ParseInvokeRequest(c.request);
        EXPECT_EQ(parsed.nResult, c.result);
        EXPECT_EQ(parsed.strName, c.name);
    }
}

TEST(Json, QuotedTextsAreAsciiAndComeBackUnchanged) {
    const std::string texts[] = {
        "",
        "plain",
        "quote \" backslash \\ slash /",
        "line\nfeed\r\ttab",
        "日本語とＡＢＣ",
        "emoji 😀",
        std::string("nul\0byte", 8),
        "</script><b>&amp;",
        "\u2028\u2029",
    };
    for (const auto& text : texts) {
        const std::string quoted = JsonQuote(text);
        for (unsigned char ch : quoted)
            ASSERT_LT(ch, 0x80) << quoted;
        EXPECT_EQ(quoted.find('<'), std::string::npos);
        EXPECT_EQ(JsonUnquote(quoted), text);
    }
    // Bytes that are not UTF-8 become U+FFFD, one each, rather than breaking the literal.
    EXPECT_EQ(JsonUnquote(JsonQuote("a\xff"
                                    "b\xe3\x81")),
              "a\xef\xbf\xbd"
              "b\xef\xbf\xbd\xef\xbf\xbd");
}

TEST(Json, ReadsTheMovieMessages) {
    EXPECT_EQ(JsonStringArray(R"(["FSCommand","data \u65e5","args"])"),
              (std::vector<std::string>{"FSCommand", "data 日", "args"}));
    EXPECT_EQ(JsonStringArray(R"( [ ] )"), std::vector<std::string>{});
    EXPECT_EQ(JsonStringArray(R"(["\ud83d\ude00"])"), std::vector<std::string>{"😀"});
    for (const char* bad : {"", "[", "[\"a\"", "[\"a\",]", "[1]", "[\"a\"] x", "{\"a\":1}",
                            "[\"\\x\"]", "[\"a\nb\"]"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(JsonStringArray(bad).has_value());
    }
}
