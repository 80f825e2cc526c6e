// Reading and writing CSV: quoting, line ends, line numbers of records and of errors, UTF-8.

#include <gtest/gtest.h>

#include "authoring/csv.h"
#include "authoring/question_csv.h"

namespace vexlor::authoring {
namespace {

using Fields = std::vector<std::string>;

TEST(CsvReading, QuotedFieldsKeepCommasQuotesAndLineBreaks) {
    // Quoted fields hold separators and doubled quotes; line ends may be CRLF or LF.
    const CsvParse parsed = parseCsv(
        "\xEF\xBB\xBF"
        "a,\"b,1\",\"say \"\"hi\"\"\"\r\n"
        "\"two\nlines\",\"\",x\n"
        "\"three\r\n\r\nlines\",,\"\"\"\"\r\n"
        "last,row,here\r\n\r\n\n");
    ASSERT_FALSE(parsed.error) << parsed.error->message();
    ASSERT_EQ(parsed.records.size(), 4u);
    EXPECT_EQ(parsed.records[0].fields, (Fields{"a", "b,1", "say \"hi\""}));
    EXPECT_EQ(parsed.records[1].fields, (Fields{"two\nlines", "", "x"}));
    EXPECT_EQ(parsed.records[2].fields, (Fields{"three\r\n\r\nlines", "", "\""}));
    EXPECT_EQ(parsed.records[3].fields, (Fields{"last", "row", "here"}));
    // Each record knows the line it starts on, counting the lines inside quoted fields.
    EXPECT_EQ(parsed.records[1].line, 2);
    EXPECT_EQ(parsed.records[2].line, 4);
    EXPECT_EQ(parsed.records[3].line, 7);
}

TEST(CsvReading, ErrorsNameTheLineWhereTheRecordStarts) {
    // Malformed quoting and bad bytes are reported at the start of the faulty record.
    const std::string before = "h1,h2\r\n\"multi\nline\nfield\",b\r\n";  // records on 1 and 2
    const std::pair<std::string, std::string> cases[] = {
        {"\"never closed,b\r\nmore\r\n", "never closed"},
        {"ab\"c,d\r\n", "quote inside an unquoted field"},
        {"\"ab\"c,d\r\n", "closing quote must be followed"},
        {"a\rb,c\r\n", "carriage return"},
        {"caf\xC3,x\r\n", "0xC3 at column 4 is not UTF-8: save the file as \"CSV UTF-8\""},
        {"\xC0\x80,x\r\n", "is not UTF-8"},          // overlong NUL
        {"\xED\xA0\x80,x\r\n", "is not UTF-8"},      // UTF-16 surrogate
        {"\xF4\x90\x80\x80,x\r\n", "is not UTF-8"},  // past U+10FFFF
        {std::string("a\0b,x\r\n", 7), "NUL"},
    };
    for (const auto& [bad, message] : cases) {
        const CsvParse parsed = parseCsv(before + bad + "after,ok\r\n");
        ASSERT_TRUE(parsed.error) << bad;
        EXPECT_EQ(parsed.error->line(), 5) << bad;
        EXPECT_NE(parsed.error->message().find(message), std::string::npos)
            << parsed.error->message();
    }
    // A bad byte deep inside a multi-line record also names its own line.
    const CsvParse deep = parseCsv("a,\"one\ntwo\nthr\xFF\"\r\n");
    ASSERT_TRUE(deep.error);
    EXPECT_EQ(deep.error->line(), 1);
    EXPECT_NE(deep.error->message().find("at line 3, column 4"), std::string::npos)
        << deep.error->message();
}

TEST(CsvQuestions, HeaderMustBeTheQuestionColumnsWithOrWithoutAudio) {
    // The Audio column may be left out; any other header, or a record of another width, is
    // refused on its line.
    auto six =
        parseQuestionsCsv("Question,Reponce,False1,False2,False3,Points\nQ,A,B,C,D,5\n", "q.csv");
    ASSERT_TRUE(six) << six.error();
    ASSERT_EQ(six->size(), 1u);
    EXPECT_EQ((*six)[0].fields(), (Fields{"Q", "A", "B", "C", "D", "5", ""}));
    // As spreadsheets save it: a BOM, ';' between fields (told by the header, however many
    // commas the texts hold), a header in any case, empty columns.
    auto sheet = parseQuestionsCsv(
        "\xEF\xBB\xBFQUESTION;reponce;False1;False2;False3;Points;;\r\n\"Q; R\";A;B;C;D;5;;\r\n"
        "A, b, c, d, e, f, g, h, i, j, k, l, m, n, o, p, q, r, s, t, u, v, w, x, y, z?;"
        "A, a;B, b;C, c;D, d;5;;\r\n",
        "s.csv");
    ASSERT_TRUE(sheet) << sheet.error();
    EXPECT_EQ((*sheet)[0].fields(), (Fields{"Q; R", "A", "B", "C", "D", "5", ""}));
    EXPECT_EQ(
        (*sheet)[1].fields(),
        (Fields{"A, b, c, d, e, f, g, h, i, j, k, l, m, n, o, p, q, r, s, t, u, v, w, x, y, z?",
                "A, a", "B, b", "C, c", "D, d", "5", ""}));

    for (const char* header : {"Question,Response,False1,False2,False3,Points,Audio",
                               "Question,Reponce,False1,False2,False3", "question,Reponce",
                               "Question,Reponce,False1,False2,False3,Points,Audio,Extra", ""}) {
        auto parsed = parseQuestionsCsv(std::string(header) + "\nQ,A,B,C,D,5,\n", "q.csv");
        ASSERT_FALSE(parsed) << header;
        EXPECT_EQ(parsed.error().what().rfind("q.csv:1: ", 0), 0u) << parsed.error();
    }
    EXPECT_EQ(parseQuestionsCsv("", "q.csv").error().what().rfind("q.csv:1: ", 0), 0u);
    // A record of the wrong width is reported where it starts (also create's own test).
    auto blank =
        parseQuestionsCsv("Question,Reponce,False1,False2,False3,Points\n\nQ,A,B,C,D,1\n", "b.csv");
    EXPECT_EQ(blank.error().what(), "b.csv:2: empty line, expected 6 as in the header");
}

}  // namespace
}  // namespace vexlor::authoring
