// Random sequences of edits (some setting a field of several questions at once), undos, redos and
// saves on real module files: after every save the file, read by a connection of its own, holds
// exactly the document, and its asked list names exactly the asked questions the document still
// has; each undo and redo gives back the questions as they were; a reopened module is the last
// one saved.

#include <algorithm>
#include <random>
#include <set>

#include "authoring/document_fixture.h"

namespace vexlor::authoring::testing {
namespace {

using vexlor::testing::Connection;

// Every question row of the file, in the order the game numbers them, as their fields.
std::vector<std::vector<std::string>> storedQuestions(sqlite3* reader) {
    return vexlor::testing::readRows(reader,
                                     "SELECT Question, Reponce, False1, False2, False3, Points, "
                                     "Audio FROM MainData ORDER BY rowid");
}

std::vector<std::string> firstColumn(sqlite3* reader, const char* sql) {
    std::vector<std::string> values;
    for (auto& row : vexlor::testing::readRows(reader, sql)) values.push_back(std::move(row.at(0)));
    return values;
}

// Questions as their fields, to compare and print.
std::vector<std::vector<std::string>> fieldsOf(const std::vector<Question>& questions) {
    std::vector<std::vector<std::string>> all;
    for (const Question& question : questions) all.push_back(question.fields());
    return all;
}

// The document as undo and redo must give it back: its questions, then its properties.
std::vector<std::vector<std::string>> stateOf(const Document& document) {
    auto state = fieldsOf(document.questions());
    const Properties& properties = document.properties();
    state.push_back({properties.title, properties.author, properties.company, properties.year});
    return state;
}

// One module's life: sequences of random edits, each in a document opened afresh, saved at
// random points. The game marks questions asked between sequences.
class SaveSequences {
  public:
    SaveSequences(std::uint32_t seed, const TempFolder& folder)
        : random_(seed), path_(folder.file("quiz.vxm")) {
        const int count = pick(0, 7);
        std::vector<std::string> asked;
        for (int number = 1; number <= count; ++number)
            if (pick(0, 2) == 0) asked.push_back(std::to_string(number));
        EXPECT_TRUE(vexlor::testing::writeModule(
            path_, {.questions = vexlor::testing::sampleQuestions(count), .used = asked}));
        // Connections of their own, so what they read is the file and not the document's cache;
        // held open so the key is derived once.
        reader_ =
            std::make_unique<Connection>(vexlor::testing::connect(path_, SQLITE_OPEN_READONLY));
        game_ = std::make_unique<Connection>(vexlor::testing::connect(path_));
        for (const auto& fields : storedQuestions(reader_->get()))
            lastSaved_.push_back(Question::fromFields(fields));
        // Keeps the store's connection open between sequences, for the same reason.
        keeper_ = std::make_unique<ModuleStore>(
            *ModuleStore::open(path_, ModuleStore::Access::kReadWrite));
    }

    void runSequence() {
        Document document = openDocument(path_);
        trace_.clear();
        ASSERT_EQ(fieldsOf(document.questions()), fieldsOf(lastSaved_))
            << "a reopened module is the last one saved";
        EditHistory history(document);
        // The document after each edit of the history, to hold undo and redo to.
        states_ = {stateOf(document)};
        at_ = 0;
        // The asked questions by identity, as the file names them now.
        std::set<QuestionId> asked;
        for (const std::string& entry : firstColumn(reader_->get(), "SELECT Use FROM Use")) {
            const auto number = std::stoul(entry);
            ASSERT_GE(number, 1u);
            ASSERT_LE(number, document.size()) << "an asked entry names no question";
            asked.insert(document.id(number - 1));
        }
        savedIds_.clear();
        for (std::size_t row = 0; row < document.size(); ++row)
            savedIds_.push_back(document.id(row));
        const int steps = pick(1, 24);
        for (int step = 0; step < steps; ++step) {
            const int choice = pick(0, 99);
            if (choice < 12) {
                trace_ += "undo";
                if (history.undo()) {
                    ASSERT_EQ(stateOf(document), states_.at(--at_)) << "after:" << trace_;
                }
            } else if (choice < 18) {
                trace_ += "redo";
                if (history.redo()) {
                    ASSERT_EQ(stateOf(document), states_.at(++at_)) << "after:" << trace_;
                }
            } else if (choice < 32) {
                save(document, asked);
                if (::testing::Test::HasFatalFailure()) return;
            } else if (choice < 36) {
                gameAsks(&document, asked);
            } else {
                edit(document, history);
            }
            trace_ += ' ';
        }
        if (pick(0, 1)) save(document, asked);
        gameAsks(nullptr, asked);
    }

    // The game asks a question of the module now and then, one it has not asked yet, as it
    // plays the file: the document's next save must keep it asked.
    void gameAsks(const Document* document, std::set<QuestionId>& asked) {
        trace_ += "game";
        const int number = pick(1, static_cast<int>(lastSaved_.size()) + 1);
        const auto stored = firstColumn(reader_->get(), "SELECT Use FROM Use");
        if (number > static_cast<int>(lastSaved_.size()) ||
            std::find(stored.begin(), stored.end(), std::to_string(number)) != stored.end())
            return;
        vexlor::testing::run(game_->get(), "INSERT INTO Use VALUES (?)", {std::to_string(number)});
        // The question the file holds at that number, as the document last saved it.
        if (document) asked.insert(savedIds_[static_cast<std::size_t>(number - 1)]);
    }

    void checkIntegrity() {
        EXPECT_EQ(firstColumn(reader_->get(), "PRAGMA integrity_check"),
                  std::vector<std::string>{"ok"});
    }
    const std::string& trace() const { return trace_; }

  private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    // Some rows of the document: one, or a few apart or side by side.
    std::vector<std::size_t> someRows(const Document& document) {
        std::vector<std::size_t> rows;
        const int size = static_cast<int>(document.size());
        const int first = pick(0, size - 1);
        const int count = pick(1, 3);
        const bool together = pick(0, 1);
        for (int i = 0; i < count; ++i)
            rows.push_back(static_cast<std::size_t>(together ? std::min(first + i, size - 1)
                                                             : pick(0, size - 1)));
        return rows;
    }

    Question newQuestion() {
        Question question;
        question.text = "New " + std::to_string(++made_);
        question.answers = {"r", "w1", "w2", "w3"};
        question.points = std::to_string(pick(1, 9) * 10);
        return question;
    }

    void edit(Document& document, EditHistory& history) {
        const std::size_t size = document.size();
        // Deletes as often as rows are added, so a module stays small over many sequences.
        const int kind = size == 0 ? pick(0, 2) : size > 24 ? 5 : pick(0, 9);
        Result<EditPtr> made = EditPtr();
        switch (kind) {
            case 0:
                trace_ += "add";
                made =
                    document.addQuestion(static_cast<std::size_t>(pick(0, static_cast<int>(size))));
                break;
            case 1: {
                trace_ += "insert";
                std::vector<Question> inserted(static_cast<std::size_t>(pick(1, 3)));
                for (Question& question : inserted) question = newQuestion();
                made = document.insertQuestions(
                    static_cast<std::size_t>(pick(0, static_cast<int>(size))), inserted);
                break;
            }
            case 2: {
                trace_ += "property";
                const auto field = static_cast<PropertyField>(pick(1, 3));
                made = document.setProperty(field, "p" + std::to_string(pick(0, 3)));
                break;
            }
            case 3: {
                trace_ += "field";
                const auto row = static_cast<std::size_t>(pick(0, static_cast<int>(size) - 1));
                const auto field = static_cast<QuestionField>(pick(0, 6));
                // Few values, so an edit often puts back a text the file holds.
                made = document.setQuestionField(row, field, "t" + std::to_string(pick(0, 4)));
                break;
            }
            case 5:
            case 6:
                trace_ += "delete";
                made = document.deleteQuestions(someRows(document));
                break;
            case 4: {
                // Points typed, or media removed, with several rows selected.
                trace_ += "bulk";
                const bool points = pick(0, 1);
                made = document.setQuestionFields(
                    someRows(document), points ? QuestionField::kPoints : QuestionField::kMedia,
                    points ? std::to_string(pick(1, 3) * 100) : "");
                break;
            }
            case 7:
                trace_ += "duplicate";
                made = document.duplicateQuestions(someRows(document));
                break;
            default: {
                const bool down = pick(0, 1);
                trace_ += down ? "down" : "up";
                made = document.moveQuestions(someRows(document), down);
                break;
            }
        }
        ASSERT_TRUE(made.ok()) << made.error();
        if (!*made) return;
        history.push(std::move(*made));
        // A new step, or typing merged into the one before.
        states_.resize(at_ + 1);
        if (history.size() > at_) {
            states_.emplace_back();
            ++at_;
        }
        states_[at_] = stateOf(document);
    }

    void save(Document& document, std::set<QuestionId>& asked) {
        trace_ += "save";
        auto saved = document.save();
        ASSERT_TRUE(saved.ok()) << saved.error() << "\nafter:" << trace_;
        ASSERT_FALSE(document.modified());
        lastSaved_ = document.questions();
        savedIds_.clear();
        for (std::size_t row = 0; row < document.size(); ++row)
            savedIds_.push_back(document.id(row));
        ASSERT_EQ(storedQuestions(reader_->get()), fieldsOf(lastSaved_)) << "after:" << trace_;
        const auto properties =
            vexlor::testing::readRows(reader_->get(), "SELECT * FROM Propriete");
        ASSERT_EQ(properties.size(), 1u) << "after:" << trace_;
        ASSERT_EQ(properties[0], stateOf(document).back()) << "after:" << trace_;
        // Deleted questions leave the asked list, and the rest are named by their new rows.
        std::set<QuestionId> still;
        std::multiset<std::string> expected;
        for (std::size_t row = 0; row < document.size(); ++row)
            if (asked.count(document.id(row))) {
                still.insert(document.id(row));
                expected.insert(std::to_string(row + 1));
            }
        asked = std::move(still);
        const auto stored = firstColumn(reader_->get(), "SELECT Use FROM Use");
        ASSERT_EQ(std::multiset<std::string>(stored.begin(), stored.end()), expected)
            << "after:" << trace_;
    }

    std::mt19937 random_;
    std::string path_;
    std::unique_ptr<Connection> reader_, game_;
    std::unique_ptr<ModuleStore> keeper_;
    std::vector<Question> lastSaved_;
    std::vector<QuestionId> savedIds_;  ///< the document's questions at the file's places
    int made_ = 0;
    std::string trace_;
    std::vector<std::vector<std::vector<std::string>>> states_;
    std::size_t at_ = 0;
};

TEST(SaveSequenceTest, EverySaveWritesTheDocumentAsItIsAndTheAskedListFollowsIt) {
    // 2,000 sequences: 10 modules of up to 7 questions at first, 200 sequences each.
    for (std::uint32_t seed = 1; seed <= 10; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TempFolder folder(std::filesystem::is_directory("/dev/shm")
                              ? "/dev/shm"
                              : std::filesystem::temp_directory_path());
        SaveSequences sequences(seed, folder);
        for (int sequence = 0; sequence < 200; ++sequence) {
            sequences.runSequence();
            if (::testing::Test::HasFatalFailure()) return;
        }
        sequences.checkIntegrity();
    }
}

}  // namespace
}  // namespace vexlor::authoring::testing
