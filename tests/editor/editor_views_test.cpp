// The editor on a school laptop: the window fits 1280 x 720 and comes back as it was left, a
// problem leads to its field, menu keys work while typing, Points and Remove apply to every
// selected question, and a sorted list still edits the right questions.

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <filesystem>

#include "editor/editor_window.h"
#include "editor/fit_view.h"
#include "support/fakes.h"
#include "ui/ui_application.h"

namespace vexlor::editor {
namespace {

using authoring::QuestionField;

// Every dialog cancelled; the save dialogs' titles kept.
class CancelPrompts final : public Prompts {
  public:
    void warn(QWidget*, const QString&, const QString&) override {}
    bool confirm(QWidget*, const QString&, const QString&) override { return false; }
    Unsaved askUnsaved(QWidget*, const QString&) override { return Unsaved::kDiscard; }
    QString openFile(QWidget*, const QString&, const QString&) override { return {}; }
    QString saveFile(QWidget*, const QString& title, const QString&, QString*) override {
        saveAsked << title;
        return {};
    }
    std::optional<QString> text(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<QString> choose(QWidget*, const QString&, const QString&,
                                  const QStringList&) override {
        return {};
    }
    bool reviewImport(QWidget*, const QString&, const QStringList&) override { return false; }
    QStringList saveAsked;
};

class EditorViewsTest : public ::testing::Test, private ui::WithApplication {
  protected:
    EditorViewsTest() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(folder.file("settings")));
        QCoreApplication::setOrganizationName(QStringLiteral("vexlor-tests"));
        const std::filesystem::path copy = folder.path() / "quiz.vxm";
        std::filesystem::copy_file(VEXLOR_SAMPLE_MODULE, copy);
        EXPECT_TRUE(window->openModule(QString::fromStdString(copy.string())));
        window->show();
    }
    QLineEdit* line(QuestionField field) {
        return qobject_cast<QLineEdit*>(window->formField(field));
    }
    QTableView* table() { return window->findChild<QTableView*>(); }
    void select(std::initializer_list<int> viewRows) {
        table()->selectionModel()->clearSelection();
        for (int row : viewRows)
            table()->selectionModel()->setCurrentIndex(
                table()->model()->index(row, 1),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    const authoring::Document& document() { return *window->document(); }

    testing::TempFolder folder;
    testing::FakeSoundPlayer sound;
    CancelPrompts prompts;
    std::unique_ptr<EditorWindow> window = std::make_unique<EditorWindow>(prompts, sound);
};

// On the screen whole, not scrolled or cut off, and tall enough to use.
bool usable(const QWidget* part, const QWidget* window, int minHeight) {
    const QRect where(part->mapTo(window, QPoint(0, 0)), part->size());
    return part->isVisible() && window->rect().contains(where) && where.height() >= minHeight &&
           part->visibleRegion().boundingRect() == part->rect();
}

TEST_F(EditorViewsTest, FitsASchoolLaptopScreenAndComesBackAsLeft) {
    const int line = window->fontMetrics().lineSpacing();
    for (const QSize screen : {QSize(1280, 720), QSize(1366, 768)}) {
        SCOPED_TRACE(screen.width());
        const QSize inside = screen - QSize(0, 40);  // less the frame's title bar
        EXPECT_LE(window->minimumSizeHint().height(), inside.height());
        window->resize(inside);
        QApplication::processEvents();
        EXPECT_TRUE(usable(window->findChild<QListView*>("problems"), window.get(), 3 * line));
        EXPECT_TRUE(usable(table(), window.get(), 8 * line));
        EXPECT_TRUE(usable(window->statusBar(), window.get(), line));
        for (std::size_t field = 0; field < authoring::kQuestionFieldCount; ++field)
            EXPECT_TRUE(usable(window->formField(QuestionField(field)), window.get(), line));
        // The game's window whole, scaled down but legible.
        const auto* preview = window->findChild<FitView*>("previewView");
        EXPECT_TRUE(usable(preview->viewport(), window.get(), 150));
        EXPECT_GE(preview->scale(), 0.6);
        const QSizeF drawn = preview->sceneRect().size() * preview->scale();
        EXPECT_LE(drawn.height(), preview->viewport()->height() + 1);
        EXPECT_LE(drawn.width(), preview->viewport()->width() + 1);
    }
    window->findChild<QSplitter*>("columns")->setSizes({700, 566});
    const QList<int> sizes = window->findChild<QSplitter*>("columns")->sizes();
    const QSize size = window->size();
    window->close();
    window = std::make_unique<EditorWindow>(prompts, sound);
    window->show();
    EXPECT_EQ(window->size(), size);
    EXPECT_EQ(window->findChild<QSplitter*>("columns")->sizes(), sizes);
}

TEST_F(EditorViewsTest, AProblemInTheFormsWordsLeadsToItsFieldAndMenuKeysWorkInFields) {
    auto* problems = window->findChild<QListView*>("problems");
    const std::pair<QuestionField, QString> faults[] = {
        {QuestionField::kRight, "Right answer is empty"},
        {QuestionField::kWrong3, "Wrong answer 3 is empty"},
        {QuestionField::kPoints,
         "Points \"\" is not a number, so the question is worth 0: "
         "write digits, such as 100"},
    };
    for (const auto& [field, says] : faults) {
        SCOPED_TRACE(says.toStdString());
        window->selectRow(0);
        const QString before = line(field)->text();
        line(field)->clear();
        window->refreshPreview();
        const auto found = problems->model()->match(problems->model()->index(0, 0), Qt::DisplayRole,
                                                    "question 1: " + says, 1, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        window->selectRow(5);
        problems->setFocus();
        problems->setCurrentIndex(found[0]);
        QTest::keyClick(problems, Qt::Key_Return);
        EXPECT_EQ(window->currentRow(), 0u);
        EXPECT_EQ(window->focusWidget(), window->formField(field));
        line(field)->setText(before);
    }

    QApplication::setActiveWindow(window.get());
    const std::size_t count = document().size();
    for (QWidget* field :
         {window->formField(QuestionField::kText), window->formField(QuestionField::kRight),
          static_cast<QWidget*>(window->findChild<QLineEdit*>("search"))}) {
        field->setFocus();
        prompts.saveAsked.clear();
        QTest::keyClick(field, Qt::Key_E, Qt::ControlModifier);
        EXPECT_EQ(prompts.saveAsked, QStringList{"Export Questions"});
        // Select all and Delete are the field's, not the questions'.
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Delete);
        EXPECT_EQ(document().size(), count);
        window->undoStack().undo();
    }
}

TEST_F(EditorViewsTest, PointsAndMediaRemovalApplyToEverySelectedQuestionAsOneStep) {
    for (int row : {1, 2, 4}) {
        window->selectRow(static_cast<std::size_t>(row));
        line(QuestionField::kMedia)->setText(QStringLiteral("m%1.wav").arg(row));
    }
    const std::vector<authoring::Question> before = document().questions();
    const int steps = window->undoStack().count();
    select({1, 2, 4});
    EXPECT_TRUE(window->findChild<QLabel*>("bulkNote")->text().contains("3 selected"));
    line(QuestionField::kPoints)->selectAll();
    QTest::keyClicks(line(QuestionField::kPoints), "250");
    window->action("removeMedia")->trigger();
    line(QuestionField::kRight)->setText(QStringLiteral("Only here"));  // the shown one's alone
    EXPECT_EQ(window->undoStack().count(), steps + 3);
    for (std::size_t row = 0; row < before.size(); ++row) {
        const bool chosen = row == 1 || row == 2 || row == 4;
        EXPECT_EQ(document().question(row).points, chosen ? "250" : before[row].points) << row;
        EXPECT_EQ(document().question(row).media, chosen ? "" : before[row].media) << row;
        EXPECT_EQ(document().question(row).answers[0] == "Only here", row == 4) << row;
    }
    for (int i = 0; i < 3; ++i) window->undoStack().undo();
    EXPECT_EQ(document().questions(), before) << "each question has its own value back";
}

TEST_F(EditorViewsTest, ASortedListIsOnlyAViewAndTheSearchSaysWhenNothingMatches) {
    const std::vector<authoring::Question> moduleOrder = document().questions();
    QHeaderView* header = table()->horizontalHeader();
    emit header->sectionClicked(1);  // by the question's text
    EXPECT_TRUE(window->findChild<QLabel*>("sortNote")->isVisible());
    EXPECT_FALSE(window->action("moveUp")->isEnabled());
    // The view's first line is the question first by its text; edits and Delete act on it.
    select({0});
    const std::size_t first = *window->currentRow();
    for (const authoring::Question& question : moduleOrder)
        EXPECT_LE(QString::fromStdString(document().question(first).text)
                      .localeAwareCompare(QString::fromStdString(question.text)),
                  0);
    line(QuestionField::kPoints)->setText(QStringLiteral("999"));
    EXPECT_EQ(document().question(first).points, "999");
    window->action("delete")->trigger();
    std::vector<authoring::Question> expected = moduleOrder;
    expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(first));
    EXPECT_EQ(document().questions(), expected);

    emit header->sectionClicked(0);  // No.: the module's order again
    EXPECT_FALSE(window->findChild<QLabel*>("sortNote")->isVisible());
    EXPECT_TRUE(window->action("moveUp")->isEnabled());
    select({3});
    EXPECT_EQ(window->currentRow(), 3u);

    auto* search = window->findChild<QLineEdit*>("search");
    search->setText(QStringLiteral("no such words anywhere"));
    EXPECT_TRUE(window->findChild<QLabel*>("searchNote")->isVisible());
    search->clear();
    EXPECT_FALSE(window->findChild<QLabel*>("searchNote")->isVisible());
}

}  // namespace
}  // namespace vexlor::editor
