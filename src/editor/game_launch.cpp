#include "editor/game_launch.h"

#include <unistd.h>
#include <QProcess>
#include <filesystem>

namespace vexlor::editor {

bool startDetached(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

std::string gameProgramFor(const std::string& folder) {
    namespace fs = std::filesystem;
    const fs::path here(folder);
    for (const fs::path& candidate :
         {here / "vexlor", here / ".." / "games" / "vexlor", here / ".." / "ui" / "vexlor"}) {
        // A folder named vexlor is executable too, and no game.
        if (fs::is_regular_file(candidate) && ::access(candidate.c_str(), X_OK) == 0)
            return fs::weakly_canonical(candidate).string();
    }
    return {};
}

}  // namespace vexlor::editor
