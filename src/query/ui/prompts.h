// Message boxes and file dialogs behind one small interface: the window gets the
// real ones, tests a scripted fake that answers without blocking.
#pragma once

#include "web/text.h"

#include <string>

class QWidget;

namespace tolvane {

class Prompts {
public:
    enum class Buttons { Ok, OkCancel, YesNo };
    enum class Icon { None, Information, Warning, Critical, Question };
    enum class Answer { Ok, Cancel, Yes, No };

    // Texts are code page 936, like every text of the program.
    struct Message {
        Text text;
        Text caption = DefaultCaption();
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::None;
        QWidget* owner = nullptr; // null: modal to the whole program
    };

    // File names are native paths (UTF-8); the filter uses Qt's name-filter form,
    // e.g. "文本文件 (*.txt)", with ";;" between filters.
    struct FileDialog {
        std::string name; // the dialog's control name, e.g. "通用对话框1"
        Text caption;
        Text filter;
        std::string defaultSuffix; // without the dot
        std::string initialName;
        std::string directory;
        QWidget* owner = nullptr;
    };

    virtual ~Prompts() = default;

    virtual Answer showMessage(const Message& message) = 0;
    // The chosen path, empty when the user cancels.
    virtual std::string openFileName(const FileDialog& dialog) = 0;
    virtual std::string saveFileName(const FileDialog& dialog) = 0;

    // "信息：", the caption of every message box that names no other.
    static Text DefaultCaption();

    // One OK button.
    void inform(const Text& text, Icon icon = Icon::None, QWidget* owner = nullptr);
    // True when the user answers Yes (YesNo) or OK (OkCancel).
    bool confirm(const Text& text, Buttons buttons, const Text& caption, QWidget* owner = nullptr);
};

// QMessageBox and QFileDialog.
class QtPrompts final : public Prompts {
public:
    Answer showMessage(const Message& message) override;
    std::string openFileName(const FileDialog& dialog) override;
    std::string saveFileName(const FileDialog& dialog) override;
};

} // namespace tolvane
