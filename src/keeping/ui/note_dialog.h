// NoteDialog: the small modal window in which the user replaces the note of the
// selected results row; CommitNote refuses an empty note.
#pragma once

#include "query/ui/prompts.h"
#include "web/text.h"

#include <QDialog>

class QLineEdit;

namespace tolvane {

class NoteDialog final : public QDialog {
    Q_OBJECT
public:
    NoteDialog(const Text& currentNote, Prompts& prompts, QWidget* parent);

    // The committed note (code page 936); valid once the dialog was accepted.
    const Text& note() const { return note_; }

    // Button `按钮1` or Enter in `编辑框1`.
    void CommitNote();

    static Text Caption();
    static Text EmptyNoteText();
    // Line breaks become blanks: a note is one line wherever it is kept.
    static QString OneLine(QString text);

private:
    Prompts& prompts_;
    QLineEdit* edit_ = nullptr;
    Text note_;
};

} // namespace tolvane
