// Writes the fuzzers' seed corpus into a folder: the sample modules as plain databases (made by
// the tool's own create, which writes plain files in fuzz builds), one with asked questions and
// high scores, and the crafted hostile files.
//
// Usage: make_fuzz_seeds OUTPUT_FOLDER EXAMPLES_FOLDER

#include <sqlite3.h>

#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "support/hostile_modules.h"
#include "vexlor-module/commands.h"

namespace fs = std::filesystem;

namespace {

bool create(const fs::path& out, const fs::path& questions, const std::string& title) {
    std::ostringstream said, err;
    const int status = vexlor::authoring::runTool(
        {"create", out.string(), "--force", "--title", title, "--author", "Vexlor Team",
         "--company", "Vexlor Games", "--year", "2026", "--questions", questions.string()},
        said, err);
    if (status != vexlor::authoring::kExitSuccess) std::cerr << err.str();
    return status == vexlor::authoring::kExitSuccess;
}

bool execute(const fs::path& path, const std::string& sql) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
              sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok) std::cerr << path.string() << ": " << sqlite3_errmsg(db) << '\n';
    sqlite3_close(db);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_fuzz_seeds OUTPUT_FOLDER EXAMPLES_FOLDER\n";
        return 2;
    }
    const fs::path out = argv[1];
    const fs::path examples = argv[2];
    fs::create_directories(out);
    bool ok =
        create(out / "general.vxm", examples / "general" / "questions.csv", "General Knowledge") &&
        create(out / "science.vxm", examples / "science" / "questions.csv",
               "Space and the Solar System") &&
        create(out / "played.vxm", examples / "science" / "questions.csv", "Played");
    ok = ok && execute(out / "played.vxm",
                       "INSERT INTO Use VALUES ('3'), ('1'), ('12');"
                       "INSERT INTO HScore VALUES ('Ann', 'Jan/07/2000', '00420'),"
                       "('Bob', 'Feb/11/2001', '01250'), ('Cy', 'Mar/01/2002', '00420');");
    for (const auto& module : vexlor::testing::hostileModules()) {
        const fs::path path = out / (module.name + ".vxm");
        fs::remove(path);
        if (!vexlor::testing::writeHostileModule(path.string(), module, "")) {
            std::cerr << path.string() << ": cannot be written\n";
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
