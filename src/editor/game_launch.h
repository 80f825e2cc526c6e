#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <string>

namespace vexlor::editor {

/// Starts a program that runs on its own (the editor does not wait for it); true when it
/// started.
using ProgramLauncher = std::function<bool(const QString& program, const QStringList& arguments)>;

/// Starts a program detached from the editor, as the desktop would.
bool startDetached(const QString& program, const QStringList& arguments);

/// The game program for an editor in `folder`: beside it, in ../games of it (where a package
/// installs the game), or in the build tree; empty when there is none.
std::string gameProgramFor(const std::string& folder);

}  // namespace vexlor::editor
