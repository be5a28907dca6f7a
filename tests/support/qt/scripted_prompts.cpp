#include "support/qt/scripted_prompts.h"

namespace tolvane::test {

namespace {

Prompts::Answer DefaultAnswer(Prompts::Buttons buttons) {
    switch (buttons) {
    case Prompts::Buttons::YesNo:
        return Prompts::Answer::No;
    case Prompts::Buttons::OkCancel:
        return Prompts::Answer::Cancel;
    case Prompts::Buttons::Ok:
        break;
    }
    return Prompts::Answer::Ok;
}

std::string TakeName(std::deque<std::string>& names) {
    if (names.empty())
        return {};
    std::string name = std::move(names.front());
    names.pop_front();
    return name;
}

} // namespace

std::vector<std::string> ScriptedPrompts::shownTexts() const {
    std::vector<std::string> texts;
    for (const Shown& shown : shown_)
        texts.push_back(ToUtf8(shown.message.text));
    return texts;
}

void ScriptedPrompts::clear() {
    answers_.clear();
    openNames_.clear();
    saveNames_.clear();
    shown_.clear();
    fileDialogs_.clear();
}

Prompts::Answer ScriptedPrompts::showMessage(const Message& message) {
    Answer answer = DefaultAnswer(message.buttons);
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    shown_.push_back({message, answer});
    return answer;
}

std::string ScriptedPrompts::openFileName(const FileDialog& dialog) {
    fileDialogs_.push_back({false, dialog});
    return TakeName(openNames_);
}

std::string ScriptedPrompts::saveFileName(const FileDialog& dialog) {
    fileDialogs_.push_back({true, dialog});
    return TakeName(saveNames_);
}

} // namespace tolvane::test
