#pragma once

// Services that answer at once and remember what they were asked: the editor's preview plays the
// game with them, and the tests drive the window with them.

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/file_types.h"
#include "platform/module_converter.h"

namespace vexlor::platform {

/// A clock that stands at the time and day it is given.
class FixedClock : public platform::Clock {
  public:
    double secondsSinceMidnight() const override { return seconds; }
    platform::Date today() const override { return date; }
    double seconds = 0;
    platform::Date date{2000, 1, 1};
};

/// An Open dialog answered from a list; an empty list answers "cancelled".
class AnsweringFileDialog : public platform::FileDialog {
  public:
    std::optional<std::string> showOpen(const platform::OpenFileRequest& request) override {
        requests.push_back(request);
        if (answers.empty()) return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    /// Next answers; nothing means "cancelled".
    std::deque<std::optional<std::string>> answers;
    std::vector<platform::OpenFileRequest> requests;
};

/// Messages kept rather than shown; a question is answered from a list, then Yes.
class RecordingMessageBox : public platform::MessageBox {
  public:
    struct Shown {
        std::string text;
        int style;
        std::string title;
    };
    void show(const std::string& text, int style, const std::string& title) override {
        shown.push_back({text, style, title});
        if (whileOpen) whileOpen();
    }
    bool ask(const std::string& text, const std::string& title) override {
        shown.push_back({text, platform::message_style::kQuestionYesNo, title});
        if (answers.empty()) return true;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    std::vector<Shown> shown;
    std::deque<bool> answers;
    /// Runs while the box is open, before it closes.
    std::function<void()> whileOpen;
};

/// About and the score entry closed as soon as opened; the program never ends.
class ClosedWindows : public platform::Windows {
  public:
    void showAbout() override {}
    platform::HighScoreEntry showHighScoreEntry() override {
        return platform::HighScoreEntry::Closed;
    }
    void endProgram() override {}
};

/// File types kept in memory, or refused when `refuse` is set.
class MemoryFileTypes : public platform::FileTypes {
  public:
    std::optional<std::string> defaultValue(const std::string& key) const override {
        auto found = values.find(key);
        if (found == values.end()) return std::nullopt;
        return found->second;
    }
    bool setDefaultValue(const std::string& key, const std::string& value) override {
        ++writes;
        if (refuse) return false;
        values[key] = value;
        return true;
    }
    std::map<std::string, std::string> values;
    int writes = 0;
    bool refuse = false;
};

/// No module of an earlier format is converted.
class NoConversion : public platform::ModuleConverter {
  public:
    bool isEarlierModule(const std::string&) override { return false; }
    Result<Prepared> prepare(const std::string&) override {
        return Error("modules are not converted here");
    }
    Result<std::string> place(const std::string&, const Prepared&) override {
        return Error("modules are not converted here");
    }
    void discard(const Prepared&) override {}
};

}  // namespace vexlor::platform
