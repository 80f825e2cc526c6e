// The editor as a teacher works in it on a school laptop: the window fits 1280 x 720 and comes
// back as it was left, a problem leads to its field, the menu's keys work while typing, points
// and media removal apply to every selected question, and a sorted or searched list still edits
// the right questions.

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
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

namespace fs = std::filesystem;
using authoring::QuestionField;

class QuietPrompts final : public Prompts {
  public:
    void warn(QWidget*, const QString&, const QString& text) override { warnings << text; }
    bool confirm(QWidget*, const QString&, const QString&) override { return true; }
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
    bool reviewImport(QWidget*, const QString&, const QStringList&) override { return true; }

    QStringList warnings, saveAsked;
};

class EditorViewsTest : public ::testing::Test, private ui::WithApplication {
  protected:
    EditorViewsTest() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(folder.file("settings")));
        QCoreApplication::setOrganizationName(QStringLiteral("vexlor-tests"));
        window = std::make_unique<EditorWindow>(prompts, sound);
    }
    void open() {
        const fs::path copy = folder.path() / "General Knowledge.vxm";
        fs::copy_file(VEXLOR_SAMPLE_MODULE, copy, fs::copy_options::overwrite_existing);
        ASSERT_TRUE(window->openModule(QString::fromStdString(copy.string())));
    }
    QLineEdit* line(QuestionField field) {
        return qobject_cast<QLineEdit*>(window->formField(field));
    }
    QTableView* table() { return window->findChild<QTableView*>(); }
    void select(std::initializer_list<int> viewRows) {
        QItemSelectionModel* selection = table()->selectionModel();
        selection->clearSelection();
        for (int row : viewRows)
            selection->setCurrentIndex(table()->model()->index(row, 1),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    const authoring::Document& document() { return *window->document(); }

    testing::TempFolder folder;
    testing::FakeSoundPlayer sound;
    QuietPrompts prompts;
    std::unique_ptr<EditorWindow> window;
};

// Within the screen: every part a teacher needs is on it whole, not scrolled or cut off, and
// tall enough to use.
bool usable(const QWidget* part, const QWidget* window, int minHeight) {
    const QRect where(part->mapTo(window, QPoint(0, 0)), part->size());
    return part->isVisible() && window->rect().contains(where) && where.height() >= minHeight &&
           part->visibleRegion().boundingRect() == part->rect();
}

TEST_F(EditorViewsTest, FitsASchoolLaptopScreenAndComesBackAsLeft) {
    open();
    window->show();
    const int line = window->fontMetrics().lineSpacing();
    // The screens' sizes less a window frame's title bar.
    for (const QSize screen : {QSize(1280, 720), QSize(1366, 768)}) {
        SCOPED_TRACE(screen.width());
        const QSize inside = screen - QSize(0, 40);
        EXPECT_LE(window->minimumSizeHint().height(), inside.height());
        window->resize(inside);
        QApplication::processEvents();
        ASSERT_EQ(window->size(), inside);
        EXPECT_TRUE(usable(window->findChild<QListView*>("problems"), window.get(), 3 * line));
        EXPECT_TRUE(usable(table(), window.get(), 8 * line));
        EXPECT_TRUE(usable(window->statusBar(), window.get(), line));
        for (std::size_t field = 0; field < authoring::kQuestionFieldCount; ++field)
            EXPECT_TRUE(
                usable(window->formField(static_cast<QuestionField>(field)), window.get(), line))
                << field;
        // The game's window, scaled down but legible.
        const auto* preview = window->findChild<FitView*>("previewView");
        EXPECT_TRUE(usable(preview->viewport(), window.get(), 150));
        EXPECT_GE(preview->scale(), 0.6);
        const QSizeF drawn = preview->sceneRect().size() * preview->scale();
        EXPECT_LE(drawn.height(), preview->viewport()->height() + 1) << "the game's window whole";
        EXPECT_LE(drawn.width(), preview->viewport()->width() + 1);
    }

    // Closed and opened again: the size and the splitters as the author left them.
    auto* columns = window->findChild<QSplitter*>("columns");
    columns->setSizes({700, 566});
    const QList<int> sizes = columns->sizes();
    const QSize size = window->size();
    window->close();
    window = std::make_unique<EditorWindow>(prompts, sound);
    window->show();
    QApplication::processEvents();
    EXPECT_EQ(window->size(), size);
    EXPECT_EQ(window->findChild<QSplitter*>("columns")->sizes(), sizes);
}

TEST_F(EditorViewsTest, AProblemInTheFormsWordsLeadsToItsField) {
    open();
    window->show();
    window->selectRow(0);
    auto* problems = window->findChild<QListView*>("problems");
    struct Case {
        QuestionField field;
        const char* typed;
        const char* says;
    };
    const Case cases[] = {
        {QuestionField::kRight, "", "Right answer is empty"},
        {QuestionField::kWrong3, "", "Wrong answer 3 is empty"},
        {QuestionField::kPoints, "ten",
         "Points \"ten\" is not a number, so the question is worth 0: write digits, such as 100"},
        {QuestionField::kMedia, "photo.png",
         "Picture or sound \"photo.png\" is neither shown nor played: pictures must be gif, bmp "
         "or ico and sounds mp3, mid or wav, the ending all lower or all upper case"},
    };
    for (const Case& fault : cases) {
        SCOPED_TRACE(fault.says);
        const QString before = line(fault.field)->text();
        line(fault.field)->setText(QString::fromUtf8(fault.typed));
        window->refreshPreview();
        const QAbstractItemModel* lines = problems->model();
        int found = -1;
        for (int i = 0; i < lines->rowCount(); ++i)
            if (lines->index(i, 0).data().toString() ==
                QStringLiteral("question 1: ") + QString::fromUtf8(fault.says))
                found = i;
        ASSERT_GE(found, 0);
        // Enter on the problem, from elsewhere in the window.
        window->selectRow(5);
        problems->setFocus();
        problems->setCurrentIndex(lines->index(found, 0));
        QTest::keyClick(problems, Qt::Key_Return);
        EXPECT_EQ(window->currentRow(), 0u);
        EXPECT_EQ(window->focusWidget(), window->formField(fault.field));
        line(fault.field)->setText(before);
        window->refreshPreview();
    }
}

TEST_F(EditorViewsTest, MenuKeysWorkWhileTypingAndEditingKeysStayTheFields) {
    open();
    window->show();
    QApplication::setActiveWindow(window.get());
    window->selectRow(0);
    const std::size_t count = document().size();
    QWidget* fields[] = {window->formField(QuestionField::kText),
                         window->formField(QuestionField::kRight),
                         window->formField(QuestionField::kPoints),
                         window->propertyField(authoring::PropertyField::kTitle),
                         window->findChild<QLineEdit*>("search")};
    for (QWidget* field : fields) {
        SCOPED_TRACE(field->accessibleName().toStdString());
        field->setFocus();
        prompts.saveAsked.clear();
        QTest::keyClick(field, Qt::Key_E, Qt::ControlModifier);
        EXPECT_EQ(prompts.saveAsked, QStringList{"Export Questions"});
        // Select all and Delete edit the field, not the questions.
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Delete);
        EXPECT_EQ(document().size(), count);
        window->undoStack().undo();
    }
}

TEST_F(EditorViewsTest, PointsAndMediaRemovalApplyToEverySelectedQuestionAsOneStep) {
    open();
    window->show();
    for (int row : {1, 2, 4}) {
        window->selectRow(static_cast<std::size_t>(row));
        line(QuestionField::kMedia)->setText(QStringLiteral("m%1.wav").arg(row));
    }
    std::vector<authoring::Question> before = document().questions();
    const int steps = window->undoStack().count();
    select({1, 2, 4});
    EXPECT_TRUE(window->findChild<QLabel*>("bulkNote")->text().contains("3 selected"));
    line(QuestionField::kPoints)->selectAll();
    QTest::keyClicks(line(QuestionField::kPoints), "250");
    window->action("removeMedia")->trigger();
    // Another field is the shown question's alone.
    line(QuestionField::kRight)->setText(QStringLiteral("Only here"));
    EXPECT_EQ(window->undoStack().count(), steps + 3);
    for (std::size_t row = 0; row < before.size(); ++row) {
        SCOPED_TRACE(row);
        const bool chosen = row == 1 || row == 2 || row == 4;
        EXPECT_EQ(document().question(row).points, chosen ? "250" : before[row].points);
        EXPECT_EQ(document().question(row).media, chosen ? "" : before[row].media);
        EXPECT_EQ(document().question(row).answers[0] == "Only here", row == 4);
    }
    for (int i = 0; i < 3; ++i) window->undoStack().undo();
    EXPECT_EQ(document().questions(), before) << "each question has its own value back";
}

TEST_F(EditorViewsTest, ASortedListIsOnlyAViewAndTheSearchSaysWhenNothingMatches) {
    open();
    window->show();
    const std::vector<authoring::Question> moduleOrder = document().questions();
    auto* header = table()->horizontalHeader();
    auto* note = window->findChild<QLabel*>("sortNote");
    emit header->sectionClicked(1);  // by the question's text
    EXPECT_TRUE(note->isVisible());
    EXPECT_FALSE(window->action("moveUp")->isEnabled());
    // Each line of the view is its document row's question, in the text's order.
    QString previous;
    for (int row = 0; row < table()->model()->rowCount(); ++row) {
        select({row});
        const QString text = table()->model()->index(row, 1).data().toString();
        EXPECT_EQ(QString::fromStdString(document().question(*window->currentRow()).text)
                      .replace('\n', QChar(0x21B5)),
                  text);
        EXPECT_LE(previous.toCaseFolded().localeAwareCompare(text.toCaseFolded()), 0);
        previous = text;
    }
    // Editing and deleting the first line of the view change that question, in module order.
    select({0});
    const std::size_t first = *window->currentRow();
    line(QuestionField::kPoints)->setText(QStringLiteral("999"));
    EXPECT_EQ(document().question(first).points, "999");
    const authoring::Question gone = document().question(first);
    window->action("delete")->trigger();
    std::vector<authoring::Question> expected = moduleOrder;
    expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(first));
    EXPECT_EQ(document().questions(), expected);
    window->undoStack().undo();
    window->undoStack().undo();
    EXPECT_EQ(document().questions(), moduleOrder);

    emit header->sectionClicked(0);  // No.: back to the module's order
    EXPECT_FALSE(note->isVisible());
    EXPECT_TRUE(window->action("moveUp")->isEnabled());
    select({3});
    EXPECT_EQ(window->currentRow(), 3u);

    auto* search = window->findChild<QLineEdit*>("search");
    auto* nothing = window->findChild<QLabel*>("searchNote");
    search->setText(QStringLiteral("no such words anywhere"));
    EXPECT_TRUE(nothing->isVisible());
    EXPECT_TRUE(nothing->text().contains("No question matches"));
    search->clear();
    EXPECT_FALSE(nothing->isVisible());
}

}  // namespace
}  // namespace vexlor::editor
