// A package carries a module and its media in one zip; unpacking one treats it as hostile.

#include <sys/stat.h>

#include <filesystem>
#include <set>

#include "authoring/package.h"
#include "tool/tool_support.h"

namespace vexlor::authoring::testing {
namespace {

namespace fs = std::filesystem;
using vexlor::testing::TempFolder;

std::set<std::string> filesUnder(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(folder, error))
        names.insert(fs::relative(entry.path(), folder).generic_string());
    return names;
}

TEST(PackageTest, AModuleAndItsMediaTravelInOneZip) {
    // pack keeps the media's relative names (a real unzip lists them), tells a missing one;
    // unpack gives a module whose media are found, also from a zip of a folder made by zip(1);
    // unpacking over what is there refuses and changes nothing.
    TempFolder folder, quiz;
    fs::create_directory(quiz.path() / "pics");
    writeBytes(quiz.path() / "pics" / "dog.gif", "GIF89a dog");
    writeBytes(quiz.path() / "bell.wav", "RIFF bell");
    const std::string module =
        makeModule(quiz, kHeader +
                             "Which dog?,Rex,Max,Bo,Fido,100,pics\\dog.gif\r\n"
                             "Which bell?,Big,Small,Tiny,Huge,100,bell.wav\r\n"
                             "Which cat?,Tom,Kit,Puss,Felix,100,cat.gif\r\n");
    fs::remove(quiz.path() / "questions.csv");
    const std::string zip = folder.file("quiz.zip");
    const auto packed = runInProcess({"pack", module, "-o", folder.file("quiz")});
    EXPECT_EQ(packed.status, 0) << packed.err;
    EXPECT_EQ(packed.err, module +
                              ": question 3: \"cat.gif\" is not in the module's folder, "
                              "not packed\n");
    const auto listed = runShell("unzip -Z1 " + shellQuoted(zip), folder);
    EXPECT_EQ(listed.out, "quiz.vxm\npics/dog.gif\nbell.wav\n");

    const std::string inFolder = quiz.path().filename().string();
    const auto mine =
        runShell("cd " + shellQuoted(quiz.path().parent_path().string()) + " && zip -qr " +
                     shellQuoted(folder.file("mine.zip")) + " " + shellQuoted(inFolder),
                 folder);
    ASSERT_EQ(mine.status, 0) << mine.err;
    for (const auto& [made, inside] :
         {std::pair{zip, std::string("quiz.vxm")},
          std::pair{folder.file("mine.zip"), inFolder + "/quiz.vxm"}}) {
        SCOPED_TRACE(made);
        const std::string out = folder.file("out-" + fs::path(made).stem().string());
        const auto unpacked = runInProcess({"unpack", made, "-o", out});
        ASSERT_EQ(unpacked.status, 0) << unpacked.err;
        EXPECT_EQ(unpacked.out.substr(0, unpacked.out.find('\n')),
                  "Module: " + (fs::path(out) / inside).string());
        const auto checked = runInProcess({"check", (fs::path(out) / inside).string()});
        EXPECT_EQ(checked.out, "question 3 (Audio): Picture or sound \"cat.gif\" is not in \"" +
                                   (fs::path(out) / inside).parent_path().string() +
                                   "\": put it there, beside the module\n");
        const std::set<std::string> before = filesUnder(out);
        const auto again = runInProcess({"unpack", made, "-o", out});
        EXPECT_EQ(again.status, 1);
        EXPECT_NE(again.err.find("is there already: nothing is replaced"), std::string::npos)
            << again.err;
        EXPECT_EQ(filesUnder(out), before);
    }
}

// Writes the hostile packages of the table with Python's zipfile.
void craftPackages(const TempFolder& folder) {
    const std::string script = R"(
import sys, zipfile, io, struct
def make(name, entries):
    with zipfile.ZipFile(name, 'w', zipfile.ZIP_DEFLATED) as z:
        for entry in entries:
            info = zipfile.ZipInfo(entry[0])
            if len(entry) > 2: info.external_attr = entry[2] << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, entry[1])
module = open('module.vxm', 'rb').read()
make('dotdot.zip', [('quiz.vxm', module), ('../evil.gif', b'GIF')])
make('absolute.zip', [('quiz.vxm', module), ('/tmp/evil.gif', b'GIF')])
make('backslash.zip', [('quiz.vxm', module), ('pics\\evil.gif', b'GIF')])
make('link.zip', [('quiz.vxm', module), ('evil.gif', b'/etc/passwd', 0o120777)])
make('fifo.zip', [('quiz.vxm', module), ('evil.wav', b'', 0o010644)])
make('two.zip', [('quiz.vxm', module), ('other.vxm', module)])
make('none.zip', [('dog.gif', b'GIF')])
make('twice.zip', [('quiz.vxm', module), ('a.gif', b'1'), ('a.gif', b'2')])
make('bomb.zip', [('quiz.vxm', module), ('bomb.wav', b'\0' * (3 << 20))])
make('many.zip', [('quiz.vxm', module)] + [('%d.gif' % i, b'') for i in range(40)])
make('skipped.zip', [('quiz.vxm', module), ('notes.txt', b'hello'), ('a.gif', b'GIF')])
# A header that claims fewer bytes than the entry holds.
make('liar.zip', [('quiz.vxm', module), ('liar.wav', b'RIFF' * 1000)])
data = bytearray(open('liar.zip', 'rb').read())
at = data.find(b'liar.wav')
local = data.rfind(b'PK\x03\x04', 0, at)
central = data.find(b'PK\x01\x02' , at)
central = data.find(b'liar.wav', central) - 46
struct.pack_into('<I', data, local + 22, 10)
struct.pack_into('<I', data, central + 24, 10)
open('liar.zip', 'wb').write(data)
open('garbage.zip', 'wb').write(b'PK this is no zip' * 10)
# An end record claiming 65535 entries, and a zip64 one claiming 2**40.
data = bytearray(open('skipped.zip', 'rb').read())
end = data.rfind(b'PK\x05\x06')
struct.pack_into('<HH', data, end + 8, 0xFFFF, 0xFFFF)
open('claims.zip', 'wb').write(data)
head = bytes(data[:end])
record = b'PK\x06\x06' + struct.pack('<QHHIIQQQQ', 44, 45, 45, 0, 0, 2**40, 2**40, 0, 0)
locator = b'PK\x06\x07' + struct.pack('<IQI', 0, len(head), 1)
open('claims64.zip', 'wb').write(head + record + locator + bytes(data[end:]))
)";
    writeBytes(folder.path() / "craft.py", script);
    const auto crafted =
        runShell("cd " + shellQuoted(folder.path().string()) + " && python3 craft.py", folder);
    ASSERT_EQ(crafted.status, 0) << crafted.err;
    const auto encrypted = runShell("cd " + shellQuoted(folder.path().string()) +
                                        " && cp module.vxm quiz.vxm && zip -q -P secret "
                                        "encrypted.zip quiz.vxm && rm quiz.vxm",
                                    folder);
    ASSERT_EQ(encrypted.status, 0) << encrypted.err;
}

TEST(PackageTest, AHostilePackageIsRefusedWithNothingWritten) {
    // Each package is refused with its reason, and the folder it was to go into keeps exactly
    // what it held; limits count the bytes unpacked, not what the headers claim.
    TempFolder folder;
    const std::string module = makeModule(folder, kHeader + "Q,A,B,C,D,100,\r\n", "module.vxm");
    craftPackages(folder);
    ASSERT_EQ(::mkfifo(folder.file("pipe.zip").c_str(), 0644), 0);
    PackageLimits small;
    small.entries = 30;
    small.mediaBytes = 2 << 20;
    small.totalBytes = 2 << 20;
    const struct {
        const char* zip;
        std::string expected;
    } cases[] = {
        {"dotdot.zip", "\"../evil.gif\" has an empty, . or .. part"},
        {"absolute.zip", "\"/tmp/evil.gif\" has an absolute name"},
        {"backslash.zip", "has a control character or a backslash"},
        {"link.zip", "\"evil.gif\" is a link"},
        {"fifo.zip", "\"evil.wav\" is neither a file nor a folder"},
        {"two.zip", "holds 2 modules (.vxm files): a package holds exactly one"},
        {"none.zip", "holds 0 modules"},
        {"twice.zip", "holds two entries of one name"},
        {"bomb.zip", "would unpack to more than the 2 MiB"},
        {"many.zip", "claims more than 30 files"},
        {"claims.zip", "claims more than 30 files"},
        {"claims64.zip", "claims more than 30 files"},
        {"liar.zip", "\"liar.wav\" holds more than its header says"},
        {"encrypted.zip", "\"quiz.vxm\" is encrypted"},
        {"garbage.zip", "is not a package (a zip file)"},
        {"pipe.zip", "is a pipe"},
    };
    fs::create_directory(folder.path() / "out");
    writeBytes(folder.path() / "out" / "mine.gif", "the teacher's own");
    for (const auto& refused : cases) {
        SCOPED_TRACE(refused.zip);
        auto unpacked = unpackPackage(folder.file(refused.zip), folder.path() / "out", small);
        ASSERT_FALSE(unpacked.ok());
        EXPECT_NE(unpacked.error().what().find(refused.expected), std::string::npos)
            << unpacked.error();
        EXPECT_EQ(filesUnder(folder.path() / "out"), std::set<std::string>{"mine.gif"});
    }
    // A file the game has no use for is skipped and told; the rest unpacks.
    auto skipped = unpackPackage(folder.file("skipped.zip"), folder.path() / "new", small);
    ASSERT_TRUE(skipped.ok()) << skipped.error();
    EXPECT_EQ(skipped->skipped,
              std::vector<std::string>{"\"notes.txt\": neither the module nor a picture or sound"});
    EXPECT_EQ(filesUnder(folder.path() / "new"), (std::set<std::string>{"a.gif", "quiz.vxm"}));
}

}  // namespace
}  // namespace vexlor::authoring::testing
