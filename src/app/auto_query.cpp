#include "app/auto_query.h"

#include "app/auto_query_dialog.h"

#include <QCheckBox>
#include <QTimer>

namespace tolvane {
namespace {

TriggerBox* modeBox(const WindowParts& parts) {
    return parts.trigger("编辑框6");
}

TriggerBox* saveFlagBox(const WindowParts& parts) {
    return parts.trigger("编辑框_记录是否自动保存查询结果");
}

Text confirmationOf(bool listSource, bool save) {
    static const Text texts[2][2] = {
        {Gbk("您已选择自动查询左侧编辑框，不自动保存为Excel文件！"),
         Gbk("您已选择自动查询左侧编辑框，且自动保存为Excel文件！")},
        {Gbk("您已选择自动查询超级列表框，不自动保存为Excel文件！"),
         Gbk("您已选择自动查询超级列表框，且自动保存为Excel文件！")},
    };
    return texts[listSource ? 1 : 0][save ? 1 : 0];
}

} // namespace

Text AutoQuery::NumberBoxMode() {
    static const Text text = Gbk("自动查询左侧编辑框");
    return text;
}

Text AutoQuery::ListMode() {
    static const Text text = Gbk("自动查询超级列表框");
    return text;
}

Text AutoQuery::SwitchedOffText() {
    static const Text text = Gbk("您已关闭自动查询！");
    return text;
}

AutoQuery::AutoQuery(QWidget& window, const WindowParts& parts)
    : QObject(&window), parts_(parts),
      checkBox_(window.findChild<QCheckBox*>(QStringLiteral("选择框1"))),
      runTimer_(window.findChild<QTimer*>(QStringLiteral("时钟1"))) {
    setObjectName(QStringLiteral("AutoQuery"));
    if (checkBox_)
        connect(checkBox_, &QCheckBox::clicked, this, &AutoQuery::CheckBoxClicked);
    if (runTimer_)
        connect(runTimer_, &QTimer::timeout, this, &AutoQuery::AutoTick);
    if (auto* watchdog = window.findChild<QTimer*>(QStringLiteral("时钟2")))
        connect(watchdog, &QTimer::timeout, this, &AutoQuery::WatchdogTick);
}

Text AutoQuery::mode() const {
    const TriggerBox* box = modeBox(parts_);
    return box ? box->text() : Text{};
}

void AutoQuery::CheckBoxClicked() {
    if (checkBox_ && checkBox_->isChecked())
        openDialog();
    else
        dialogFinished();
}

// The dialog is window-modal but not waited for in a nested loop: its end
// continues the click in dialogFinished.
void AutoQuery::openDialog() {
    auto chosen = [this](const AutoQueryDialog::Choice& choice) {
        static const Text save = Gbk("自动保存");
        static const Text noSave = Gbk("不自动保存");
        if (TriggerBox* box = modeBox(parts_))
            box->setText(choice.listSource ? ListMode() : NumberBoxMode());
        if (TriggerBox* box = saveFlagBox(parts_))
            box->setText(choice.saveEachRun ? save : noSave);
        parts_.setStatusText(confirmationOf(choice.listSource, choice.saveEachRun));
        if (runTimer_)
            runTimer_->start(choice.interval);
    };
    auto* dialog = new AutoQueryDialog(*parts_.prompts, chosen, parts_.window);
    dialog->setObjectName(QStringLiteral("AutoQueryDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    connect(dialog, &QDialog::finished, this, [this](int result) {
        // Closed without "确定": the feature is off again.
        if (result != QDialog::Accepted && checkBox_)
            checkBox_->setChecked(false);
        dialogFinished();
    });
    dialog->open();
}

void AutoQuery::dialogFinished() {
    if (checkBox_ && checkBox_->isChecked())
        return;
    if (runTimer_)
        runTimer_->stop();
    parts_.setStatusText(SwitchedOffText());
}

void AutoQuery::AutoTick() {
    // A run that outlasts the interval keeps the table to itself: a second run
    // over the same rows would overwrite them while the first one's workers write.
    if (parts_.runActive && parts_.runActive())
        return;
    const Text current = mode();
    if (current == NumberBoxMode() && parts_.startQueryButtonRun)
        parts_.startQueryButtonRun();
    else if (current == ListMode() && parts_.startRequeryRun)
        parts_.startRequeryRun();
}

void AutoQuery::WatchdogTick() {
    if (!checkBox_ || !checkBox_->isChecked())
        return;
    static const Text numberBoxEmpty = Gbk("左侧编辑框为空，请输入单号后再试！");
    static const Text listEmpty = Gbk("超级列表框为空，请至少查询一次后再试！");
    const Text current = mode();
    Text source;
    Text message;
    if (current == NumberBoxMode()) {
        source = parts_.numberBox ? NumberBoxText(*parts_.numberBox) : Text{};
        message = numberBoxEmpty;
    } else if (current == ListMode()) {
        source = parts_.table ? parts_.table->cellText(0, 2) : Text{};
        message = listEmpty;
    } else {
        return;
    }
    if (!source.empty())
        return;
    parts_.setStatusText(message);
    checkBox_->setChecked(false);
    if (runTimer_)
        runTimer_->stop();
    if (TriggerBox* box = modeBox(parts_))
        box->setText({});
}

void InstallAutoQuery(QWidget& window, const WindowParts& parts) {
    new AutoQuery(window, parts);
}

} // namespace tolvane
