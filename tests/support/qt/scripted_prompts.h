// A Prompts fake for tests: answers come from queues, never from a modal box, and
// every message and file dialog asked for is recorded.
#pragma once

#include "query/ui/prompts.h"

#include <deque>
#include <string>
#include <vector>

namespace tolvane::test {

class ScriptedPrompts final : public Prompts {
public:
    struct Shown {
        Message message;
        Answer answer;
    };
    struct FileAsked {
        bool save;
        FileDialog dialog;
    };

    // Unqueued answers: OK for an OK box, No for Yes/No, Cancel for OK/Cancel; an
    // unqueued file dialog is cancelled.
    void queueAnswer(Answer answer) { answers_.push_back(answer); }
    void queueOpenFileName(std::string path) { openNames_.push_back(std::move(path)); }
    void queueSaveFileName(std::string path) { saveNames_.push_back(std::move(path)); }

    const std::vector<Shown>& shown() const { return shown_; }
    const std::vector<FileAsked>& fileDialogs() const { return fileDialogs_; }
    // The texts shown so far, as UTF-8 for readable expectations.
    std::vector<std::string> shownTexts() const;
    void clear();

    Answer showMessage(const Message& message) override;
    std::string openFileName(const FileDialog& dialog) override;
    std::string saveFileName(const FileDialog& dialog) override;

private:
    std::deque<Answer> answers_;
    std::deque<std::string> openNames_;
    std::deque<std::string> saveNames_;
    std::vector<Shown> shown_;
    std::vector<FileAsked> fileDialogs_;
};

} // namespace tolvane::test
