// Opens a module in the real editor window, offscreen, to take the README's picture of it: the
// first question with a picture selected, its preview drawn by the game's window, as asked and
// as judged. In the language the environment names (LANGUAGE=fr), as the editor itself would be.
// Usage: editor_screenshot OUT-FOLDER MODULE.vxm
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "editor/editor_window.h"
#include "editor/prompts.h"
#include "platform/sdl_sound_player.h"
#include "rules/media.h"
#include "ui/translations.h"

namespace {

// Lets the window settle: the preview is drawn a moment after the selection changes.
void settle() {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 600) QApplication::processEvents(QEventLoop::AllEvents, 50);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: editor_screenshot OUT-FOLDER MODULE.vxm\n");
        return 2;
    }
    QApplication app(argc, argv);
    vexlor::ui::installTranslations(app);
    const QString out = QString::fromLocal8Bit(argv[1]);
    vexlor::editor::QtPrompts prompts;
    vexlor::platform::SdlSoundPlayer sound;
    vexlor::editor::EditorWindow window(prompts, sound);
    window.resize(1280, 720);
    window.show();
    if (!window.openModule(QString::fromLocal8Bit(argv[2]))) return 1;
    const auto* document = window.document();
    std::size_t row = 0;
    for (std::size_t i = 0; i < document->size(); ++i) {
        if (vexlor::rules::mediaKind(document->question(i).media) ==
            vexlor::rules::MediaKind::kPicture) {
            row = i;
            break;
        }
    }
    window.selectRow(row);
    settle();
    bool saved = window.grab().save(out + "/editor.png");
    // The second look of the preview: the answers judged.
    window.action(QStringLiteral("judged"))->trigger();
    settle();
    saved = window.grab().save(out + "/editor-judged.png") && saved;
    return saved ? 0 : 1;
}
