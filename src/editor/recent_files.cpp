// The modules opened last, kept in the settings and offered in File > Open Recent.

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

#include "editor/editor_window.h"

namespace vexlor::editor {

namespace {

constexpr int kRecentFiles = 8;

}  // namespace

void EditorWindow::rememberRecent(const QString& path) {
    QSettings settings;
    QStringList recent = settings.value(QStringLiteral("recentFiles")).toStringList();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    recent.removeAll(absolute);
    recent.prepend(absolute);
    while (recent.size() > kRecentFiles) recent.removeLast();
    settings.setValue(QStringLiteral("recentFiles"), recent);
    rebuildRecentMenu();
}

void EditorWindow::rebuildRecentMenu() {
    recentMenu_->clear();
    const QStringList recent = QSettings().value(QStringLiteral("recentFiles")).toStringList();
    int number = 0;
    for (const QString& path : recent) {
        // Numbered for the keyboard: Alt+F, R, then the number.
        QAction* entry = recentMenu_->addAction(
            QStringLiteral("&%1 %2").arg(++number).arg(QFileInfo(path).fileName()));
        entry->setToolTip(path);
        connect(entry, &QAction::triggered, this, [this, path] { openModule(path); });
    }
    recentMenu_->setEnabled(!recent.isEmpty());
}

}  // namespace vexlor::editor
