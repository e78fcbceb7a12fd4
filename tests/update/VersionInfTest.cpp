// Reading information files: results, fields and error log records.
#include "LogTail.h"
#include "TempDir.h"

#include "app/AppGlobals.h"
#include "app/ErrorLog.h"
#include "update/VersionInf.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

constexpr const char kSecretText[] = "SECRET-FILE-CONTENT";

struct ReaderCase {
    const char* name;
    std::optional<std::string> doc; // nullopt: no file at all; "@SECRET@" is replaced by a path
    bool bResult;
    bool bLoadFailure;                  // the reader writes its "pDoc->load()" record
    std::optional<VersionInf> expected; // nullopt: the record keeps what it held
};

VersionInf fields(std::string version, std::string down, std::string check, std::string copy) {
    VersionInf inf;
    inf.strVersion = std::move(version);
    inf.strUrlDownLoad = std::move(down);
    inf.strUrlVersionCheck = std::move(check);
    inf.strCopyright = std::move(copy);
    return inf;
}

const VersionInf kBefore = fields("old-version", "old-down", "old-check", "old-copyright");

// A well-formed document of exactly nSize bytes (padding inside a comment).
std::string document_of_size(std::size_t nSize) {
    const std::string head = "<dataroot><VERSION_INFO><VERSION>7.7</VERSION></VERSION_INFO><!--";
    const std::string tail = "--></dataroot>";
    return head + std::string(nSize - head.size() - tail.size(), 'x') + tail;
}

std::string utf16le_with_bom(const std::u16string& text) {
    std::string out = "\xFF\xFE";
    for (char16_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

std::vector<ReaderCase> reader_cases() {
    const std::string full = R"(<?xml version="1.0" encoding="UTF-8"?>
<dataroot>
  <VERSION_INFO>
    <COPYRIGHT>Copyright (C) 2010 株式会社テスト</COPYRIGHT>
    <URL_DOWN_LOAD>http://example.invalid/dl/Varnetic.msi</URL_DOWN_LOAD>
    <URL_VERSION_CHECK>http://example.invalid/chk/</URL_VERSION_CHECK>
    <VERSION>1.2.3</VERSION>
  </VERSION_INFO>
</dataroot>
)";
    return {
        {"MissingFile", std::nullopt, false, true, std::nullopt},
        {"EmptyFile", "", false, true, std::nullopt},
        {"NotWellFormed", "<dataroot><VERSION_INFO><VERSION>1.0</VERSION_INFO></dataroot>", false,
         true, std::nullopt},
        {"TwoTopLevelElements", "<dataroot/><dataroot/>", false, true, std::nullopt},
        {"RootNotDataroot", "<VERSION_INFO><VERSION>1.0</VERSION></VERSION_INFO>", false, false,
         std::nullopt},
        {"RootNameIsCaseSensitive",
         "<DataRoot><VERSION_INFO><VERSION>1.0</VERSION></VERSION_INFO>"
         "</DataRoot>",
         false, false, std::nullopt},
        {"NoVersionInfo", "<dataroot><OTHER><VERSION>9.9</VERSION></OTHER></dataroot>", true, false,
         std::nullopt},
        {"AllFourValues", full, true, false,
         fields("1.2.3", "http://example.invalid/dl/Varnetic.msi", "http://example.invalid/chk/",
                "Copyright (C) 2010 株式会社テスト")},
        {"OnlyVersion", "<dataroot><VERSION_INFO><VERSION>1.2</VERSION></VERSION_INFO></dataroot>",
         true, false, fields("1.2", "", "", "")},
        {"ValuesNestedDeeper",
         "<dataroot><a><VERSION_INFO><b><VERSION>2.1</VERSION><c><URL_DOWN_LOAD>d</URL_DOWN_LOAD>"
         "</c></b><URL_VERSION_CHECK>u/</URL_VERSION_CHECK><e><f><COPYRIGHT>c</COPYRIGHT></f></e>"
         "</VERSION_INFO></a></dataroot>",
         true, false, fields("2.1", "d", "u/", "c")},
        {"OnlyFirstVersionInfoCounts",
         "<dataroot><VERSION_INFO><URL_DOWN_LOAD>first</URL_DOWN_LOAD></VERSION_INFO>"
         "<VERSION_INFO><VERSION>3.0</VERSION><URL_DOWN_LOAD>second</URL_DOWN_LOAD>"
         "</VERSION_INFO></dataroot>",
         true, false, fields("", "first", "", "")},
        {"FirstInDocumentOrderNotShallowest",
         "<dataroot><VERSION_INFO><x><VERSION>deep</VERSION></x><VERSION>shallow</VERSION>"
         "</VERSION_INFO></dataroot>",
         true, false, fields("deep", "", "", "")},
        {"TextOfDescendantsAndCdataTrimmed",
         "<dataroot><VERSION_INFO><VERSION>\n  1.<b>2</b><![CDATA[.3]]> <!-- note -->\n</VERSION>"
         "<COPYRIGHT> A &amp; B &#x41;&#66; </COPYRIGHT></VERSION_INFO></dataroot>",
         true, false, fields("1.2.3", "", "", "A & B AB")},
        {"Utf16WithBom",
         utf16le_with_bom(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><dataroot><VERSION_INFO>"
                          u"<VERSION>4.5</VERSION><COPYRIGHT>著作権</COPYRIGHT></VERSION_INFO>"
                          u"</dataroot>"),
         true, false, fields("4.5", "", "", "著作権")},
        // No document type declaration is accepted, so no entity can pull in a file.
        {"ExternalEntityToLocalFile",
         "<?xml version=\"1.0\"?><!DOCTYPE dataroot [<!ENTITY xxe SYSTEM \"file://@SECRET@\">]>"
         "<dataroot><VERSION_INFO><VERSION>&xxe;</VERSION><COPYRIGHT>&xxe;</COPYRIGHT>"
         "</VERSION_INFO></dataroot>",
         false, true, std::nullopt},
        {"ExternalEntityByPlainPath",
         "<!DOCTYPE dataroot [<!ENTITY xxe SYSTEM \"@SECRET@\">]>"
         "<dataroot><VERSION_INFO><VERSION>&xxe;</VERSION></VERSION_INFO></dataroot>",
         false, true, std::nullopt},
        {"InternalEntity",
         "<!DOCTYPE dataroot [<!ENTITY v \"9.9\">]>"
         "<dataroot><VERSION_INFO><VERSION>&v;</VERSION></VERSION_INFO></dataroot>",
         false, true, std::nullopt},
        {"UndeclaredEntityReference",
         "<dataroot><VERSION_INFO><VERSION>&xxe;</VERSION></VERSION_INFO></dataroot>", false, true,
         std::nullopt},
        {"ExactlyAtSizeCap", document_of_size(kMaxInfoDocumentSize), true, false,
         fields("7.7", "", "", "")},
        {"OneByteOverSizeCap", document_of_size(kMaxInfoDocumentSize + 1), false, true,
         std::nullopt},
    };
}

enum class Reader { LocalPath, FileUrl, LocalVersionInf };

void PrintTo(const ReaderCase& c, std::ostream* os) {
    *os << c.name;
}
void PrintTo(Reader r, std::ostream* os) {
    *os << static_cast<int>(r);
}

class InfoReaderTest : public ::testing::TestWithParam<std::tuple<ReaderCase, Reader>> {
protected:
    void SetUp() override { m_strSavedAppDir = g_strAppDir; }
    void TearDown() override { g_strAppDir = m_strSavedAppDir; }

    TempDir m_dir;
    std::string m_strSavedAppDir;
};

TEST_P(InfoReaderTest, ResultFieldsAndLog) {
    const auto& [c, reader] = GetParam();
    const std::string secret = m_dir.Write("secret.txt", kSecretText);
    const std::string path = m_dir.File("n_info.xml");
    if (c.doc) {
        std::string doc = *c.doc;
        if (const auto at = doc.find("@SECRET@"); at != std::string::npos)
            doc.replace(at, 8, secret);
        m_dir.Write("n_info.xml", doc);
    }

    VersionInf inf = kBefore;
    LogTail log;
    bool bResult = false;
    LogLine loadRecord;
    switch (reader) {
    case Reader::LocalPath:
        bResult = _GetXmlInf(path, &inf);
        loadRecord = {"_GetXmlInf()", "pDoc->load()", "(#1005)"};
        break;
    case Reader::FileUrl:
        bResult = _GetXmlInf("file://" + path, &inf);
        loadRecord = {"_GetXmlInf()", "pDoc->load()", "(#1005)"};
        break;
    case Reader::LocalVersionInf:
        g_strAppDir = m_dir.Dir();
        bResult = _GetLocalVersionInf(&inf);
        loadRecord = {"_GetLocalVersionInf()", "pDoc->load()",
                      "Processing cannot be continued.(#1005)"};
        break;
    }

    EXPECT_EQ(bResult, c.bResult);
    const VersionInf want = c.expected.value_or(kBefore);
    EXPECT_EQ(inf.strVersion, want.strVersion);
    EXPECT_EQ(inf.strUrlDownLoad, want.strUrlDownLoad);
    EXPECT_EQ(inf.strUrlVersionCheck, want.strUrlVersionCheck);
    EXPECT_EQ(inf.strCopyright, want.strCopyright);
    for (const std::string* field :
         {&inf.strVersion, &inf.strUrlDownLoad, &inf.strUrlVersionCheck, &inf.strCopyright})
        EXPECT_EQ(field->find(kSecretText), std::string::npos);

    const std::vector<LogLine> expectedLog =
        c.bLoadFailure ? std::vector<LogLine>{loadRecord} : std::vector<LogLine>{};
    EXPECT_EQ(log.NewLines(), expectedLog);
}

std::string case_name(const ::testing::TestParamInfo<InfoReaderTest::ParamType>& info) {
    static const char* const kReader[] = {"Path", "FileUrl", "Local"};
    return std::string(std::get<0>(info.param).name) + "_" +
           kReader[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(Documents, InfoReaderTest,
                         ::testing::Combine(::testing::ValuesIn(reader_cases()),
                                            ::testing::Values(Reader::LocalPath, Reader::FileUrl,
                                                              Reader::LocalVersionInf)),
                         case_name);

TEST(InfoReader, NonRegularFileIsAFailedLoad) {
    TempDir dir;
    VersionInf inf = kBefore;
    LogTail log;
    EXPECT_FALSE(_GetXmlInf(dir.Dir(), &inf)); // a folder
    EXPECT_EQ(inf.strVersion, kBefore.strVersion);
    EXPECT_EQ(log.NewLines(), (std::vector<LogLine>{{"_GetXmlInf()", "pDoc->load()", "(#1005)"}}));
}

TEST(InfoReader, OtherSchemesAreNotFetched) {
    // Not an http, https or file address: taken as a (missing) local path, never fetched.
    VersionInf inf = kBefore;
    LogTail log;
    EXPECT_FALSE(_GetXmlInf("ftp://127.0.0.1/n_info.xml", &inf));
    EXPECT_EQ(log.NewLines(), (std::vector<LogLine>{{"_GetXmlInf()", "pDoc->load()", "(#1005)"}}));
}

struct GetTextCase {
    const char* tag;
    int nIndex;
    const char* expected;
};

TEST(GetText, NthDescendantInDocumentOrder) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string("<r><a>one<a>inner</a></a><x><y><a>three</a></y></x><a/><b>b</b>"
                                "</r>"));
    const pugi::xml_node r = doc.document_element();
    const GetTextCase cases[] = {
        {"a", 1, "oneinner"}, // text of the element and its descendants
        {"a", 2, "inner"},    // nested inside the first: pre-order
        {"a", 3, "three"},    {"a", 4, ""}, {"a", 5, ""}, {"a", 0, ""},
        {"b", 1, "b"},        {"c", 1, ""}, {"r", 1, ""}, // descendants only, never the element
                                                          // itself
    };
    for (const GetTextCase& c : cases) {
        SCOPED_TRACE(std::string(c.tag) + " #" + std::to_string(c.nIndex));
        EXPECT_EQ(_GetText(r, c.tag, c.nIndex), c.expected);
    }
}

} // namespace
