// The Jet fixture writer's files read back through mdbtools' programs, an independent reader:
// every cell and the row order of the four tables of a module, in both versions, with and
// without page encoding, compression and password.

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>

#include "support/doubles.h"
#include "support/jet_writer.h"

namespace vexlor::testing::jet {
namespace {

// The output of a shell command, and whether it succeeded.
std::string run(const std::string& command, bool& ok) {
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return ok = false, output;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    ok = ::pclose(pipe) == 0;
    return output;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

struct Case {
    const char* name;
    Version version;
    bool compress;
    std::uint32_t key;
    const char* password;
    bool deletedBothBits;
    int scores;    // enough make the table's pages too far apart for an inline usage map
    bool numbers;  // Points and Score as numbers, not texts
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

const Case kCases[] = {
    {"jet3", Version::kJet3, false, 0, "tov3ralu", true, 600, false},
    {"jet3_key_many_pages", Version::kJet3, false, 0x1A2B3C4D, "", true, 12000, true},
    {"jet4_compressed", Version::kJet4, true, 0, "tov3ralu", true, 600, true},
    {"jet4_plain_key", Version::kJet4, false, 0xDEADBEEF, "", true, 600, false},
    {"jet4_key_many_pages", Version::kJet4, true, 0x01020304, "tov3ralu", true, 12000, false},
    {"jet4_deleted_as_jet_marks", Version::kJet4, true, 0, "tov3ralu", false, 20, false},
};

// Texts in the file's character set: Windows-1252 for Jet 3; anything in UCS-2 for Jet 4, with
// characters that make the one-byte form switch back and forth or impossible (U+0100).
std::vector<std::string> texts(Version version) {
    if (version == Version::kJet3)
        return {"Qu'est-ce qu'un élève ?", "“Ça” coûte 5 € — œuvre…", "Zoë, José & Søren",
                "Straße ™ • ‰ ‹›", "plain"};
    return {"Что такое ученик?",
            "学生とは何ですか",
            "élève Жук and more Latin text",
            "Ā starts it: no one-byte form",
            "Ωmega ω, 5 €",
            "plain"};
}

std::vector<Table> moduleTables(const Case& c) {
    const auto words = texts(c.version);
    auto word = [&](std::size_t i) { return words[i % words.size()]; };
    Table main{"MainData", moduleColumns("MainData"), {}};
    if (c.numbers) main.columns[5].type = ColumnType::kLong;  // Points
    std::string longMemo;
    while (longMemo.size() < 10000) longMemo += word(longMemo.size()) + "\n";
    for (std::size_t i = 0; i < 600; ++i) {
        Row row;
        std::string question = word(i) + " #" + std::to_string(i);
        if (i == 3) question = longMemo;
        // A long memo still short enough for the one-byte form.
        if (i == 4)
            while (question.size() < 900) question += " " + word(question.size());
        row.cells.push_back(question);
        for (std::size_t a = 0; a < 4; ++a) {
            std::string answer = word(i + a);
            // Rows wider than 256 bytes: Jet 3's offsets need their jump table.
            if ((i + a) % 5 == 0) answer = std::string(200 + (i + a) % 56, 'a' + a);
            row.cells.push_back(answer);
        }
        row.cells.push_back(c.numbers ? std::to_string(static_cast<int>(i) * 10 - 50)
                                      : std::to_string(i % 3 * 100 + 100));
        row.cells.push_back(i % 3 == 0 ? "" : "media/q" + std::to_string(i) + ".wav");
        if (i % 11 == 1) row.cells[1 + i % 4] = std::nullopt;
        if (i % 13 == 2) row.cells[1 + i % 4] = "";
        if (i % 17 == 5) row.cells[0] = std::nullopt, row.cells[5] = std::nullopt;
        row.deleted = i % 7 == 6;
        main.rows.push_back(std::move(row));
    }
    main.rows[0].cells[5] = c.numbers ? "-2147483648" : "2147483647";

    Table properties{"Propriete",
                     {{"Title"}, {"Author"}, {"Company"}, {"Year"}},
                     {{{word(0), word(2), std::nullopt, "1999"}}}};
    Table use{"Use", {{"Use"}}, {{{"2"}}, {{"7"}, true}, {{"5"}}}};
    Table scores{
        "HScore",
        {{"Nom"}, {"Date"}, {"Score", c.numbers ? ColumnType::kDouble : ColumnType::kText}},
        {}};
    const std::size_t padding = c.scores > 1000 ? 150 : 0;
    for (int i = 0; i < c.scores; ++i) {
        std::string score = c.numbers ? std::to_string(i) + ".25" : std::to_string(100000 + i);
        scores.rows.push_back(
            {{word(i) + std::string(padding + i % 40, '.'), "Dec/06/1999", score}, i % 9 == 4});
    }
    return {main, properties, use, scores};
}

class JetWriterTest : public ::testing::TestWithParam<Case> {};

TEST_P(JetWriterTest, MdbtoolsReadsEveryCellInOrder) {
    bool ok = false;
    run("command -v mdb-export && command -v mdb-ver", ok);
    ASSERT_TRUE(ok) << "mdb-export or mdb-ver is missing: scripts/bootstrap installs mdbtools";

    const Case& c = GetParam();
    Options options;
    options.version = c.version;
    options.compressText = c.compress;
    options.databaseKey = c.key;
    options.password = c.password;
    options.deletedBothBits = c.deletedBothBits;
    const auto tables = moduleTables(c);
    TempFolder folder;
    const std::string path = folder.file("module.mdb");
    writeJetFile(path, tables, options);

    EXPECT_EQ(run("mdb-ver '" + path + "'", ok), c.version == Version::kJet3 ? "JET3\n" : "JET4\n");
    for (const Table& table : tables) {
        SCOPED_TRACE(table.name);
        // No quotes, no header; fields and rows split by separators no cell holds.
        const std::string output =
            run("mdb-export -H -Q -d '\x1f' -R '\x1e' '" + path + "' " + table.name, ok);
        ASSERT_TRUE(ok) << output;
        std::vector<std::string> rows = split(output, '\x1e');
        ASSERT_EQ(rows.back(), "");
        rows.pop_back();
        // libmdb 1.0 returns the rows marked deleted as Jet marks them.
        std::size_t r = 0;
        for (const Row& row : table.rows) {
            if (row.deleted && c.deletedBothBits) continue;
            ASSERT_LT(r, rows.size()) << "rows missing";
            const auto cells = split(rows[r], '\x1f');
            ASSERT_EQ(cells.size(), row.cells.size()) << "row " << r;
            // mdb-export writes NULL as an empty field.
            for (std::size_t k = 0; k < cells.size(); ++k)
                ASSERT_EQ(cells[k], row.cells[k].value_or("")) << "row " << r << ", column " << k;
            ++r;
        }
        EXPECT_EQ(r, rows.size()) << "rows that should not be there";
    }
}

INSTANTIATE_TEST_SUITE_P(Versions, JetWriterTest, ::testing::ValuesIn(kCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(JetWriter, RefusesWhatItCannotStoreUnchanged) {
    auto table = [](ColumnType type, Cell cell) {
        return std::vector<Table>{{"T", {{"C", type}}, {{{std::move(cell)}}}}};
    };
    Options jet3;
    jet3.version = Version::kJet3;
    const Options jet4;
    Options longPassword;
    longPassword.password = std::string(21, 'p');
    const struct {
        const char* what;
        std::vector<Table> tables;
        Options options;
    } cases[] = {
        {"Cyrillic in Jet 3", table(ColumnType::kText, "Жук"), jet3},
        {"an unassigned Windows-1252 byte", table(ColumnType::kMemo, "\xC2\x81"), jet3},
        {"beyond UCS-2", table(ColumnType::kText, "\xF0\x9F\x98\x80"), jet4},
        {"invalid UTF-8", table(ColumnType::kText, "\xC3("), jet4},
        {"an overlong UTF-8 form", table(ColumnType::kText, "\xC0\xAF"), jet4},
        {"256 characters", table(ColumnType::kText, std::string(256, 'x')), jet4},
        {"not a number", table(ColumnType::kLong, "12x"), jet4},
        {"beyond 32 bits", table(ColumnType::kLong, "2147483648"), jet4},
        {"not a double", table(ColumnType::kDouble, ""), jet4},
        {"a missing cell", {{"T", {{"A"}, {"B"}}, {{{"a"}}}}}, jet4},
        {"a column named twice", {{"T", {{"A"}, {"A"}}, {}}}, jet4},
        {"a password of 21 characters", table(ColumnType::kText, "x"), longPassword},
    };
    for (const auto& bad : cases)
        EXPECT_THROW(writeJet(bad.tables, bad.options), std::invalid_argument) << bad.what;
}

}  // namespace
}  // namespace vexlor::testing::jet
