#include "query/ui/prompts.h"

#include "query/ui/qt_text.h"

#include <QFileDialog>
#include <QMessageBox>

namespace tolvane {

Text Prompts::DefaultCaption() {
    static const Text caption = Gbk("信息：");
    return caption;
}

void Prompts::inform(const Text& text, Icon icon, QWidget* owner) {
    showMessage({text, DefaultCaption(), Buttons::Ok, icon, owner});
}

bool Prompts::confirm(const Text& text, Buttons buttons, const Text& caption, QWidget* owner) {
    const Answer answer = showMessage({text, caption, buttons, Icon::None, owner});
    return answer == Answer::Yes || answer == Answer::Ok;
}

namespace {

QMessageBox::Icon ToQtIcon(Prompts::Icon icon) {
    switch (icon) {
    case Prompts::Icon::Information:
        return QMessageBox::Information;
    case Prompts::Icon::Warning:
        return QMessageBox::Warning;
    case Prompts::Icon::Critical:
        return QMessageBox::Critical;
    case Prompts::Icon::Question:
        return QMessageBox::Question;
    case Prompts::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(Prompts::Buttons buttons) {
    switch (buttons) {
    case Prompts::Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Prompts::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Prompts::Buttons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

Prompts::Answer FromQtButton(int button) {
    switch (button) {
    case QMessageBox::Ok:
        return Prompts::Answer::Ok;
    case QMessageBox::Yes:
        return Prompts::Answer::Yes;
    case QMessageBox::No:
        return Prompts::Answer::No;
    default:
        return Prompts::Answer::Cancel;
    }
}

std::string ToPath(const QString& name) {
    return name.toStdString();
}

QString StartPath(const Prompts::FileDialog& dialog) {
    QString start = QString::fromStdString(dialog.directory);
    if (!dialog.initialName.empty()) {
        const QString name = QString::fromStdString(dialog.initialName);
        start = start.isEmpty() ? name : start + QLatin1Char('/') + name;
    }
    return start;
}

// Shows the named file dialog; the chosen path, or empty text when cancelled.
std::string RunFileDialog(const Prompts::FileDialog& dialog, QFileDialog::AcceptMode mode) {
    QFileDialog box(dialog.owner, ToQString(dialog.caption), StartPath(dialog),
                    ToQString(dialog.filter));
    box.setObjectName(QString::fromStdString(dialog.name));
    box.setAcceptMode(mode);
    box.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                    : QFileDialog::AnyFile);
    if (!dialog.defaultSuffix.empty())
        box.setDefaultSuffix(QString::fromStdString(dialog.defaultSuffix));
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
        return {};
    return ToPath(box.selectedFiles().constFirst());
}

} // namespace

Prompts::Answer QtPrompts::showMessage(const Message& message) {
    QMessageBox box(ToQtIcon(message.icon), ToQString(message.caption), ToQString(message.text),
                    ToQtButtons(message.buttons), message.owner);
    box.setWindowModality(message.owner ? Qt::WindowModal : Qt::ApplicationModal);
    return FromQtButton(box.exec());
}

std::string QtPrompts::openFileName(const FileDialog& dialog) {
    return RunFileDialog(dialog, QFileDialog::AcceptOpen);
}

std::string QtPrompts::saveFileName(const FileDialog& dialog) {
    return RunFileDialog(dialog, QFileDialog::AcceptSave);
}

} // namespace tolvane
