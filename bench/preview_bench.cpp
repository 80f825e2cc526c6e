// Drawing the editor's preview of one question, as each edit of the question redraws it.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <string>

#include "editor/preview.h"
#include "support/fakes.h"

namespace {

void BM_PreviewOneQuestion(benchmark::State& state) {
    vexlor::testing::TempFolder folder;
    vexlor::testing::FakeSoundPlayer sound;
    vexlor::editor::QuestionPreview preview(sound);
    preview.show();
    vexlor::authoring::Question question{
        "Which flag is a red disc on white?", {"Japan", "Bangladesh", "Palau", "Laos"}, "150", ""};
    int edits = 0;
    for (auto _ : state) {
        question.text = "Which flag is a red disc on white? " + std::to_string(++edits);
        preview.showQuestion(question, folder.path(), 1);
        QApplication::processEvents();
    }
    if (preview.gameForm(false)->PanelQuestion.Caption != question.text)
        state.SkipWithError("the preview does not show the question");
}
BENCHMARK(BM_PreviewOneQuestion)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
