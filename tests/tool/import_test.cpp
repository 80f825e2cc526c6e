// Question files from other programs: each reader on a file as real exports look, the add
// command, and files meant to hurt.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "authoring/csv.h"
#include "authoring/import.h"
#include "authoring/question_import.h"
#include "support/module_files.h"
#include "tool_support.h"

namespace vexlor::authoring {
namespace {

using testing::runCommand;
using testing::runInProcess;
using vexlor::testing::readBytes;
using vexlor::testing::readColumn;
using vexlor::testing::TempFolder;
using Rows = std::vector<std::vector<std::string>>;                 // text, four answers, points
using Problems = std::vector<std::pair<std::string, std::string>>;  // place, start of message

void expectImport(const ImportResult& result, const Rows& questions, const Problems& problems) {
    ASSERT_FALSE(result.fatal) << result.fatal->message;
    std::vector<std::vector<std::string>> got;
    for (const Question& q : result.questions)
        got.push_back({q.text, q.answers[0], q.answers[1], q.answers[2], q.answers[3], q.points});
    EXPECT_EQ(got, questions);
    ASSERT_EQ(result.problems.size(), problems.size());
    for (std::size_t i = 0; i < problems.size(); ++i) {
        const Problem& problem = result.problems[i];
        EXPECT_EQ(problem.line ? std::to_string(problem.line) : problem.place, problems[i].first);
        EXPECT_EQ(problem.message.rfind(problems[i].second, 0), 0u) << problem.message;
    }
}

const ImportSettings kSettings{50, 100, 200, 300};

TEST(ImportReaders, AikenAsATeacherWritesIt) {
    // Both option styles in either case, any-case answers, CRLF, a BOM, and each malformed question
    // on its line.
    const std::string text =
        "\xEF\xBB\xBFWhat is 7 × 8?\r\nA. 54\r\nB. 56\r\nC. 58\r\nD. 64\r\nANSWER:B\r\n\r\n\r\n"
        "Which gas\r\ndo we breathe out?\r\nA) Oxygen\r\nB) Nitrogen\r\nC) Carbon dioxide\r\n"
        "D) Helium\r\nanswer: c\r\n\r\n"
        "Pick a prime.\nA. 4\nB. 6\nC. 7\nD. 9\nE. 10\nANSWER: C\n\n"          // line 17
        "Which are even?\nA. 2\nB. 3\nC. 4\nD. 5\nANSWER: A, C\n\n"            // line 25
        "Capital of Peru?\nA. Lima\nB. Quito\nC. Lima\nD. Cusco\nANSWER: A\n"  // line 32
        "No answer line?\nA. x\nB. y\nC. z\nD. w\n"                            // line 38
        "Next question starts here.\nA. 1\nB. 2\nC. 3\nD. 4\nANSWER: F\n"      // line 43
        "ANSWER: A\n" +                                                        // line 49
        std::string(kMaxQuestionBytes, 'x') +
        "\nA. a\nB. b\nC. c\nD. d\nANSWER: A\n"
        "Largest ocean?\na) Atlantic\nb) Pacific\nc) Indian\nd) Arctic\nANSWER: Pacific\n"  // 56
        "Lower case?\na) w\nb) x\nc) y\nd) z\nANSWER: b\n";
    expectImport(
        readAiken(text, kSettings),
        {{"What is 7 × 8?", "56", "54", "58", "64", "50"},
         {"Which gas\ndo we breathe out?", "Carbon dioxide", "Oxygen", "Nitrogen", "Helium", "50"},
         {"Lower case?", "x", "w", "y", "z", "50"}},
        {{"17", "5 options"},
         {"25", "two or more right answers"},
         {"32", "the answer \"Lima\" is given twice"},
         {"38", "the question has no ANSWER line"},
         {"43", "ANSWER names option F"},
         {"49", "an ANSWER line without a question"},
         {"50", "the question and its answers take"},
         {"56",
          "ANSWER must give the letter of the right option: write ANSWER: B for \"Pacific\""}});
}

TEST(ImportReaders, GiftAsAMoodleExportHasIt) {
    // Titles, comments, categories, escapes, feedback, weights and markers are understood; the
    // question kinds a module cannot hold are reported on the line their question starts.
    const std::string text =
        "// question: 1  name: Capital\r\n$CATEGORY: $course$/top/Geo/Europe\r\n\r\n"
        "::Capital::[html]What is the capital\r\nof France?{\r\n"
        "  =Paris#Right!\r\n  ~Lyon#No.\r\n  ~Nice\r\n  ~%-50%Marseille\r\n}\r\n\r\n"
        "::Escapes::Which is 1\\=1 \\{true\\}\\: \\~ \\#?{=%100%yes \\= sure ~no ~maybe ~never\n"
        "####General feedback ~ignored}\n\n"
        "The Sun is a {~planet =star ~comet ~moon}.\n\n"
        "// true/false and other kinds\n"
        "::TF::The Moon is a star.{F}\n\n"                            // line 18
        "Match:{=cat -> meow =dog -> woof}\n\n"                       // line 20
        "Pi to two places?{#3.14:0.01}\n\n"                           // line 22
        "Who wrote Hamlet?{=Shakespeare =Shakspere}\n\n"              // line 24
        "Who painted it?{=Leonardo ~Raphael ~%50%Titian ~Dürer}\n\n"  // line 26
        "Name a colour.{=red =blue}\n\n"                              // line 28
        "Three wrong only?{=a ~b ~c}\n\n"                             // line 30
        "Just a description.\n\n"                                     // line 32
        "::Open::Never closed {=a ~b\n~c ~d\n";                       // line 34
    const ImportResult result = readGift(text, kSettings);
    expectImport(result,
                 {{"What is the capital\nof France?", "Paris", "Lyon", "Nice", "Marseille", "50"},
                  {"Which is 1=1 {true}: ~ #?", "yes = sure", "no", "maybe", "never", "50"},
                  {"The Sun is a _____.", "star", "planet", "comet", "moon", "50"}},
                 {{"18", "a true/false question"},
                  {"20", "a matching question"},
                  {"22", "a numeric question"},
                  {"24", "a short-answer question"},
                  {"26", "an answer with partial credit (~%50%)"},
                  {"28", "a short-answer question"},
                  {"30", "2 wrong answers"},
                  {"32", "no answers in braces"},
                  {"34", "the answers opened with { are not closed"}});
    EXPECT_EQ(result.categoryCounts, (std::map<std::string, std::size_t>{{"Geo/Europe", 3}}));
}

TEST(ImportReaders, OpenTriviaDbInEachOfItsEncodings) {
    // Entities are decoded in full, url3986 and base64 texts too; points follow the difficulty.
    const std::string html = R"({"response_code":0,"results":[
{"type":"multiple","difficulty":"hard","category":"Art","question":"Who painted &quot;Les Demoiselles d&#039;Avignon&quot;?","correct_answer":"Pablo Picasso","incorrect_answers":["Henri Matisse","Georges Braque","Andr&eacute; Derain &amp; co &#x2014; &hellip;"]},
{"type":"boolean","difficulty":"easy","category":"Art","question":"Is this true?","correct_answer":"True","incorrect_answers":["False"]},
{"type":"multiple","category":"Art","question":"No difficulty &lt;given&gt;","correct_answer":"a","incorrect_answers":["b","c","d &bogus; &#0; &"]},
{"type":"multiple","difficulty":"extreme","question":"q","correct_answer":"a","incorrect_answers":["b","c","d"]},
{"type":"multiple","difficulty":"easy","question":"q","correct_answer":"a","incorrect_answers":["b","c"]},
{"type":"multiple","difficulty":"easy","question":7,"correct_answer":"a","incorrect_answers":["b","c","d"]}]})";
    expectImport(readOpenTdb(html, kSettings),
                 {{"Who painted \"Les Demoiselles d'Avignon\"?", "Pablo Picasso", "Henri Matisse",
                   "Georges Braque", "André Derain & co — …", "300"},
                  {"No difficulty <given>", "a", "b", "c", "d &bogus; &#0; &", "50"}},
                 {{"results[1]", "a true/false question"},
                  {"results[3]", "the difficulty \"extreme\""},
                  {"results[4]", "2 incorrect answers"},
                  {"results[5]", "\"question\" is not text"}});
    const std::string encoded = R"([
{"type":"multiple","difficulty":"medium","category":"Science%3A%20Computers","question":"What%20does%20%22RAM%22%20stand%20for%3F","correct_answer":"Random%20Access%20Memory","incorrect_answers":["Read%20Only","Rapid%20Memory","R%C3%A9seau"]},
{"type":"bXVsdGlwbGU=","difficulty":"ZWFzeQ==","question":"V2hvIGlzIHRoZXJlPw==","correct_answer":"TWU=","incorrect_answers":["WW91","SGlt","SMOpcg=="]},
{"type":"bXVsdGlwbGU=","difficulty":"ZWFzeQ==","question":"/w==","correct_answer":"TWU=","incorrect_answers":["WW91","SGlt","SGVy"]},
{"type":"Ym9vbGVhbg==","difficulty":"ZWFzeQ==","question":"SXM/","correct_answer":"VHJ1ZQ==","incorrect_answers":["RmFsc2U="]}])";
    expectImport(readOpenTdb(encoded, kSettings),
                 {{"What does \"RAM\" stand for?", "Random Access Memory", "Read Only",
                   "Rapid Memory", "Réseau", "200"},
                  {"Who is there?", "Me", "You", "Him", "Hér", "100"}},
                 {{"[2]", "\"question\" decodes to text that is not UTF-8"},
                  {"[3]", "a true/false question; a question needs four answers"}});
}

TEST(ImportReaders, WholeFileFaultsNameTheirPlaceAndNothingIsRead) {
    // NUL bytes, bytes that are not UTF-8, broken, deeply nested or huge JSON and a response
    // without questions refuse the file as a whole.
    std::string values = "[";
    for (int i = 0; i < 2000001; ++i) values += "1,";
    const struct {
        ImportFormat format;
        std::string text, place, message;
    } cases[] = {
        {ImportFormat::kGift, std::string("Q{=a ~b ~c ~d}\n\nQ2\0{", 20), "3",
         "a NUL byte at column 3"},
        {ImportFormat::kAiken, "Q\nA. caf\xE9\n", "2", "the byte 0xE9 at column 7 is not UTF-8"},
        {ImportFormat::kOpenTdb, "{\"results\": [\n{\"question\": }]}", "2", "not valid JSON: "},
        {ImportFormat::kOpenTdb, "[\n\n\n", "4", "not valid JSON: "},
        {ImportFormat::kOpenTdb, "\n" + std::string(100000, '['), "2", "nested more than 32"},
        {ImportFormat::kOpenTdb,
         R"([{"question":"Q","correct_answer":"a","incorrect_answers":["b","c","d"]},)"
         "\n1e999999]",
         "", "not valid JSON: a number too large"},
        {ImportFormat::kOpenTdb, R"({"response_code":1,"results":[]})", "",
         "the response_code is 1"},
        {ImportFormat::kOpenTdb, "\"just text\"", "", "neither a response object"},
        {ImportFormat::kOpenTdb, values + "1]", "1", "more than 2000000 values"},
        {ImportFormat::kCsv, "Question,Reponce\n", "1", "the header lacks the column False1"},
        {ImportFormat::kCsv,
         "Question,Reponce,False1,False2,False3,Points\nQ,A,B,C,D,1\n\"" +
             std::string(kMaxQuestionBytes, '\n') + "\",A,B,C,D,1\n",
         "3", "the question and its answers take"},
        {ImportFormat::kOpenTdb, "[{\"question\":\n \"\u00e9\\u0000\"}]", "2",
         "a NUL character (\\u0000) at column 4"},
    };
    for (const auto& c : cases) {
        const ImportResult result = readQuestions(c.format, c.text, kSettings);
        ASSERT_TRUE(result.fatal) << c.message;
        EXPECT_EQ(result.fatal->line ? std::to_string(result.fatal->line) : "", c.place);
        EXPECT_EQ(result.fatal->message.rfind(c.message, 0), 0u) << result.fatal->message;
        EXPECT_TRUE(result.questions.empty());
    }
    // Skipped questions past the first thousand are counted, not kept, and an endless GIFT
    // question is refused instead of held.
    std::string answers, lines(20000 * 2, '\n');
    for (int i = 0; i < 100000; ++i) answers += "ANSWER: A\n";
    for (std::size_t i = 0; i < lines.size(); i += 2) lines[i] = 'x';
    const ImportResult aiken = readAiken(answers, kSettings);
    EXPECT_EQ(aiken.problems.size(), kMaxKeptProblems);
    EXPECT_EQ(aiken.skipped(), 100000u);
    expectImport(readGift(lines, kSettings), {}, {{"1", "the question runs over more than"}});
}

// `piece` repeated to about `bytes` bytes.
std::string repeated(const std::string& piece, std::size_t bytes) {
    std::string text;
    text.reserve(bytes + piece.size());
    while (text.size() < bytes) text += piece;
    return text;
}

// The faster of two runs, in seconds.
double secondsToRead(const std::function<void()>& read) {
    double best = 1e9;
    for (int run = 0; run < 2; ++run) {
        const auto start = std::chrono::steady_clock::now();
        read();
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

TEST(ImportReaders, EachReaderTakesTimeInProportionToItsInput) {
    // The input each reader likes least reads about as fast as a plain one of the same size; a
    // scan that restarts at every record, option or '&' makes it thousands of times slower.
    constexpr std::size_t kBytes = 2u << 20;
    const auto question = [](const std::string& type, const std::string& text,
                             const std::string& answers) {
        return R"([{"type":")" + type + R"(","question":")" + text + R"(","correct_answer":)" +
               answers + "]}]";
    };
    const std::string plainJson =
        question("multiple", repeated("a", kBytes), R"("a","incorrect_answers":["b","c","d")");
    const auto opentdb = [&](const std::string& text) {
        return [text] { readOpenTdb(text, kSettings); };
    };
    const auto csv = [](const std::string& text) {
        return [text] {
            CsvReader reader(text);
            for (CsvRecord record; reader.next(record);) {
            }
        };
    };
    const struct {
        const char* what;
        std::function<void()> worst, plain;
    } readers[] = {
        {"CSV records of blank lines", csv("h\n" + repeated("\n", kBytes) + "x\n"),
         csv(repeated("x\n", kBytes))},
        {"Aiken options",
         [text = "Q\n" + repeated("A. x\n", kBytes)] { readAiken(text, kSettings); },
         [text = "Q\n" + repeated("abcd\n", kBytes)] { readAiken(text, kSettings); }},
        {"GIFT answers with feedback",
         [text = "Q{" + repeated("=a#b ~c#d ", kBytes) + "}"] { readGift(text, kSettings); },
         [text = "Q{=" + repeated("a", kBytes) + " ~b ~c ~d}"] { readGift(text, kSettings); }},
        {"HTML references",
         opentdb(question("multiple", repeated("&", kBytes),
                          R"("a","incorrect_answers":["b","c","d")")),
         opentdb(plainJson)},
        {"percent encoding",
         opentdb(question("multiple", repeated("%41", kBytes),
                          R"("a","incorrect_answers":["b","c","d")")),
         opentdb(plainJson)},
        {"base64",
         opentdb(question("bXVsdGlwbGU=", repeated("QUFB", kBytes),
                          R"("YQ==","incorrect_answers":["Yg==","Yw==","ZA==")")),
         opentdb(plainJson)},
    };
    for (const auto& reader : readers) {
        const double plain = secondsToRead(reader.plain);
        EXPECT_LT(secondsToRead(reader.worst), 20 * plain) << reader.what;
    }
}

TEST(ImportCommands, FormatsAreToldAndHostileFilesRefusedWithAClearError) {
    // Extension first, content next; huge, unterminated, strict and empty files are refused.
    TempFolder folder;
    const std::string gift = "::T::Q{=a ~b ~c ~d}\n\nQ2{T}\n";
    const std::pair<std::string, std::string> files[] = {
        {"quiz.txt", gift},
        {"bank.txt", "Q\nA. a\nB. b\nC. c\nD. d\nANSWER: A\n"},
        {"open.gift", "Never {=a ~b ~c ~d\n" + std::string(1 << 20, 'x')},
        {"notes.txt", "just some notes\n"},
        {"trivia.json",
         R"({"results":[{"type":"multiple","question":"Q","correct_answer":"a","incorrect_answers":)"
         R"(["b","c","d"]},{"type":"boolean","question":"T","correct_answer":"True"}]})"},
        // Held to the rules of check (each told in its own test): an empty row, points that
        // are no number, a picture not (yet) beside the module.
        {"sheet.csv", testing::kHeader +
                          ",,,,,,\r\nQ1,A,B,C,D,ten,\r\nQ3,A,B,C,D,1,dog.gif\r\nQ4,A,B,C,D,5,\r\n"},
        {"latin.csv", testing::kHeader + "Caf\xE9 ou th\xE9?,Caf\xE9,Th\xE9,Eau,Lait,5,\r\n"},
        {"utf8.csv", testing::kHeader + "Café ou thé?,Café,Thé,Eau,Lait,5,\r\n"},
        // A spreadsheet's ';' between fields, commas in the texts, and no telling extension.
        {"semi.txt",
         "Question;Reponce;False1;False2;False3;Points\r\n"
         "One, two, three, four, five?;A, a;B, b;C, c;D, d;5\r\n"}};
    for (const auto& [name, text] : files) testing::writeBytes(folder.file(name), text);
    testing::writeBytes(folder.file("huge.gift"), "");
    std::filesystem::resize_file(folder.file("huge.gift"), 100u << 20);  // sparse
    // "@" stands for the file's path in the expected output, "%" for its folder.
    const std::string kFirst = "The first question, with the answer taken as the right one:\n";
    const struct {
        std::string file, option;
        int status;
        std::string out;
    } runs[] = {
        {"quiz.txt", "", 1,
         "@:3: a true/false question; a question needs four answers (skipped)\n"
         "@: GIFT, 1 question to import (1 skipped)\n" +
             kFirst + "  @:1: \"Q\" -> \"a\"\n"},
        {"bank.txt", "--format=aiken", 0,
         "@: Aiken, 1 question to import\n" + kFirst + "  @:1: \"Q\" -> \"a\"\n"},
        {"quiz.txt", "--strict", 1,
         "@:3: a true/false question; a question needs four answers\n"
         "@: refused as a whole (--strict)\n"},
        {"open.gift", "", 1,
         "@:1: the answers opened with { are not closed with } (skipped)\n"
         "@: no question in it can be used\n"},
        {"notes.txt", "", 1,
         "@: cannot tell its format; give --format csv, aiken, gift or opentdb\n"},
        {"trivia.json", "", 1,
         "@: results[1]: a true/false question; a question needs four answers (skipped)\n"
         "@: Open Trivia DB JSON, 1 question to import (1 skipped)\n" +
             kFirst + "  @: results[0]: \"Q\" -> \"a\"\n"},
        {"huge.gift", "", 1, "@: is 100 MiB, larger than the 64 MiB a question file may have\n"},
        {"sheet.csv", "", 1,
         "@:2: an empty row, skipped\n"
         "@:3: Points \"ten\" is not a number, so the question is worth 0: write digits, such as "
         "100 (skipped)\n"
         "@:4: warning: Picture or sound \"dog.gif\" is not in \"%\": put it there, beside the "
         "module\n"
         "@: CSV, 2 questions to import (1 skipped)\n"
         "The first 2 questions, with the answer taken as the right one:\n"
         "  @:4: \"Q3\" -> \"A\"\n  @:5: \"Q4\" -> \"A\"\n"},
        // A file saved as plain "CSV" on Windows.
        {"latin.csv", "", 1,
         "@:2: the byte 0xE9 at column 4 is not UTF-8: save the file as \"CSV UTF-8\", or give "
         "--encoding windows-1252\n"},
        {"latin.csv", "--encoding=windows-1252", 0,
         "@: CSV, 1 question to import\n" + kFirst + "  @:2: \"Café ou thé?\" -> \"Café\"\n"},
        // The default named, in any of its spellings, reads UTF-8 as it is.
        {"utf8.csv", "--encoding=utf-8", 0,
         "@: CSV, 1 question to import\n" + kFirst + "  @:2: \"Café ou thé?\" -> \"Café\"\n"},
        {"utf8.csv", "--encoding=UTF-8", 0,
         "@: CSV, 1 question to import\n" + kFirst + "  @:2: \"Café ou thé?\" -> \"Café\"\n"},
        {"utf8.csv", "--encoding=utf8", 0,
         "@: CSV, 1 question to import\n" + kFirst + "  @:2: \"Café ou thé?\" -> \"Café\"\n"},
        {"latin.csv", "--encoding=Latin1", 0,
         "@: CSV, 1 question to import\n" + kFirst + "  @:2: \"Café ou thé?\" -> \"Café\"\n"},
        {"semi.txt", "", 0,
         "@: CSV, 1 question to import\n" + kFirst +
             "  @:2: \"One, two, three, four, five?\" -> \"A, a\"\n"},
    };
    for (const auto& run : runs) {
        std::vector<std::string> arguments = {"import-check", folder.file(run.file)};
        if (!run.option.empty()) arguments.push_back(run.option);
        const auto result = runCommand(arguments, folder);
        EXPECT_EQ(result.status, run.status) << result.out << result.err;
        std::string out = run.out;
        for (auto at = out.find('@'); at != std::string::npos; at = out.find('@', at + 1))
            out.replace(at, 1, folder.file(run.file));
        for (auto at = out.find('%'); at != std::string::npos; at = out.find('%', at + 1))
            out.replace(at, 1, folder.path().string());
        EXPECT_EQ(result.out, out);
        // A module is made only from a file with questions to import.
        const bool usable = out.find("to import") != std::string::npos;
        arguments[0] = "create";
        arguments.insert(arguments.begin() + 1,
                         {folder.file("m.vxm"), "--title", "T", "--questions"});
        EXPECT_EQ(runInProcess(arguments).status, usable ? 0 : 1);
        EXPECT_EQ(std::filesystem::exists(folder.file("m.vxm")), usable);
        std::filesystem::remove(folder.file("m.vxm"));
    }
}

TEST(ImportCommands, ColumnsAreToldByTheirNamesInEnglishOrFrenchOrByAList) {
    // Any case, accents, blanks and numbering; a name known twice or not at all is not imported;
    // unnumbered wrong answers fill the numbers left.
    using enum ColumnField;
    const struct {
        std::vector<std::string> header;
        std::vector<ColumnField> columns;
    } guesses[] = {
        {{"Question", "Reponce", "False1", "False2", "False3", "Points", "Audio"},
         {kQuestion, kRight, kWrong1, kWrong2, kWrong3, kPoints, kMedia}},
        {{" QUESTION ", "Bonne r\xC3\xA9ponse", "Mauvaise r\xC3\xA9ponse 3", "Mauvaise", "mauvaise",
          "Score", "Son"},
         {kQuestion, kRight, kWrong3, kWrong1, kWrong2, kPoints, kMedia}},
        {{"Answer", "Wrong 2", "wrong_1", "Notes", "Wrong answer", "Question", "Picture", "Image"},
         {kRight, kWrong2, kWrong1, kSkip, kWrong3, kQuestion, kMedia, kSkip}},
        {{"Correct", "Incorrect", "Incorrect", "Incorrect", "Incorrect", "\xC3\x89nonc\xC3\xA9"},
         {kRight, kWrong1, kWrong2, kWrong3, kSkip, kQuestion}},
    };
    for (const auto& guess : guesses) EXPECT_EQ(guessColumns(guess.header), guess.columns);

    TempFolder folder;
    const std::string french = folder.file("french.csv"), bare = folder.file("bare.csv");
    testing::writeBytes(french,
                        "Question;Bonne r\xC3\xA9ponse;Mauvaise 1;Mauvaise 2;Mauvaise 3;Points\r\n"
                        "Capitale ?;Paris;Lyon;Nice;Lille;10\r\n");
    testing::writeBytes(bare, "10,Capital?,Paris,Lyon,Nice,Lille\r\n20,Big?,Whale,Ant,Bee,Fly\r\n");
    const struct {
        std::string file, columns;
        int status;
        std::string says;
    } runs[] = {
        {french, "", 1,
         ":1: header column 2 is \"Bonne r\xC3\xA9ponse\" instead of \"Reponce\"; the header "
         "must be Question,Reponce,False1,False2,False3,Points,Audio (Audio may be left out); or "
         "give --columns auto to take the columns by their names, or --columns LIST naming them "
         "in order\n"},
        {french, "auto", 0, ":2: \"Capitale ?\" -> \"Paris\"\n"},
        {bare, "points,question,right,wrong,wrong,wrong", 0, "CSV, 2 questions to import\n"},
        // By position the points are in the last column, and hold no number.
        {bare, "auto", 1, ": no question in it can be used\n"},
        {bare, "question,right,skip", 2, "--columns: no column holds the wrong answer 1"},
    };
    for (const auto& run : runs) {
        std::vector<std::string> arguments = {"import-check", run.file};
        if (!run.columns.empty()) arguments.push_back("--columns=" + run.columns);
        const auto result = runInProcess(arguments);
        EXPECT_EQ(result.status, run.status) << run.columns;
        EXPECT_NE((result.out + result.err).find(run.says), std::string::npos)
            << result.out << result.err;
    }
}

TEST(ImportCommands, AddAppendsKeepingTheOtherTablesAndAFailingAddChangesNoByte) {
    // Existing questions keep their numbers, so the asked list still names the same ones; a
    // refusal before writing and a failure halfway through the inserts leave the file as it was.
    TempFolder folder;
    const std::string module =
        testing::makeModule(folder, testing::kHeader + "Q1,A,B,C,D,5,\r\nQ2,A,B,C,D,5,\r\n");
    // The index makes a question text that is there already fail after other rows went in.
    ASSERT_TRUE(vexlor::testing::alterModule(
        module,
        {"CREATE UNIQUE INDEX OneEach ON MainData(Question)", "INSERT INTO Use VALUES ('2'), (1)",
         "INSERT INTO HScore VALUES ('Zoë', 'Jan/02/2024', '00350'), ('Bo', "
         "'Feb/03/2024', 90)"}));
    const std::string bytes = readBytes(module);
    testing::writeBytes(folder.file("dup.gift"),
                        "N1{=a ~b ~c ~d}\n\nN2{=a ~b ~c ~d}\n\nQ1{=a ~b ~c ~d}\n");
    testing::writeBytes(folder.file("none.gift"), "Only true or false{T}\n");
    for (const auto& [file, why] : {std::pair{"dup.gift", ": cannot add the questions: "},
                                    std::pair{"none.gift", ": no question in it can be used"}}) {
        const auto run = runInProcess({"add", module, "--questions", folder.file(file)});
        EXPECT_EQ(run.status, 1) << file;
        EXPECT_NE(run.err.find(why), std::string::npos) << run.err;
        EXPECT_TRUE(readBytes(module) == bytes) << file;
        EXPECT_FALSE(std::filesystem::exists(module + "-journal"));
    }

    // The other tables' rows as the database stores them, types included.
    const std::string others =
        "SELECT quote(Use) FROM Use UNION ALL SELECT quote(Nom) || quote(Date) || quote(Score) "
        "FROM HScore UNION ALL SELECT quote(Title) || quote(Author) || quote(Company) || "
        "quote(Year) FROM Propriete";
    const auto before = readColumn(module, others);
    testing::writeBytes(
        folder.file("more.json"),
        R"([{"type":"multiple","difficulty":"hard","question":"Q3","correct_answer":"R","incorrect_answers":["W1","W2","W3"]},
            {"type":"boolean","question":"Q4","correct_answer":"True","incorrect_answers":["False"]}])");
    const auto added = runCommand(
        {"add", module, "--questions", folder.file("more.json"), "--hard-points", "999"}, folder);
    EXPECT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(added.out, "added 1 question (1 skipped) to " + module + ", which now holds 3\n");
    EXPECT_EQ(added.err, folder.file("more.json") +
                             ": [1]: a true/false question; a question needs four answers "
                             "(skipped)\n");
    EXPECT_EQ(readColumn(module, others), before);
    EXPECT_EQ(readColumn(module, "SELECT Question || Reponce || False3 || Points FROM MainData"),
              (std::vector<std::string>{"Q1AD5", "Q2AD5", "Q3RW3999"}));
}

}  // namespace
}  // namespace vexlor::authoring
