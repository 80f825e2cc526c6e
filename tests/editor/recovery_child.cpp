// An editor that edits the module it is given and waits to be killed: it says "kept" once the
// recovery copy of its edits is written. Arguments: the recovery folder, the module.

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <iostream>

#include "editor/answering_prompts.h"
#include "editor/editor_window.h"
#include "editor/recovery.h"
#include "support/fakes.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    using vexlor::authoring::QuestionField;
    QApplication application(argc, argv);
    vexlor::editor::AnsweringPrompts prompts;
    vexlor::testing::FakeSoundPlayer sound;
    vexlor::editor::EditorWindow window(prompts, sound);
    window.keepRecovery(argv[1]);
    window.recovery()->setDelay(std::chrono::milliseconds(50));
    if (!window.openModule(QString::fromLocal8Bit(argv[2]))) return 1;
    QObject::connect(window.recovery(), &vexlor::editor::Recovery::written,
                     [] { std::cout << "kept" << std::endl; });
    window.selectRow(1);
    qobject_cast<QLineEdit*>(window.formField(QuestionField::kRight))->setText("Typed answer");
    window.action(QStringLiteral("addQuestion"))->trigger();
    qobject_cast<QPlainTextEdit*>(window.formField(QuestionField::kText))
        ->setPlainText("A question typed last");
    window.propertyField(vexlor::authoring::PropertyField::kAuthor)->setText("Ms Field");
    return QApplication::exec();
}
