#include "keeping/ui/note_dialog.h"

#include "query/ui/qt_text.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tolvane {

Text NoteDialog::Caption() {
    static const Text caption = Gbk("添加/修改备注");
    return caption;
}

Text NoteDialog::EmptyNoteText() {
    static const Text text = Gbk("备注不能为空");
    return text;
}

NoteDialog::NoteDialog(const Text& currentNote, Prompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    setObjectName(QStringLiteral("NoteDialog"));
    setWindowTitle(ToQString(Caption()));
    setFixedSize(310, 72);

    auto* label = new QLabel(QStringLiteral("请输入备注："), this);
    label->setObjectName(QStringLiteral("透明标签1"));
    label->setGeometry(8, 10, 70, 24);
    label->setAttribute(Qt::WA_TranslucentBackground);

    edit_ = new QLineEdit(ToQString(currentNote), this);
    edit_->setObjectName(QStringLiteral("编辑框1"));
    edit_->setGeometry(85, 9, 137, 24);

    auto* button = new QPushButton(QStringLiteral("添加/修改"), this);
    button->setObjectName(QStringLiteral("按钮1"));
    button->setGeometry(228, 8, 63, 24);
    // Enter is handled by the edit box alone; a default button would commit twice.
    button->setAutoDefault(false);
    button->setDefault(false);

    connect(button, &QPushButton::clicked, this, &NoteDialog::CommitNote);
    connect(edit_, &QLineEdit::returnPressed, this, &NoteDialog::CommitNote);
}

// A pasted note can carry line breaks; the history file keeps one row per line,
// so a break inside a note would come back as a row of its own.
QString NoteDialog::OneLine(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

void NoteDialog::CommitNote() {
    const QString text = edit_->text();
    if (text.isEmpty()) {
        prompts_.inform(EmptyNoteText(), Prompts::Icon::None, this);
        return;
    }
    note_ = FromQString(OneLine(text));
    accept();
}

} // namespace tolvane
