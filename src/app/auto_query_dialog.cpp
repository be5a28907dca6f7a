#include "app/auto_query_dialog.h"

#include "app/query_interval.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

namespace tolvane {
namespace {

// Rejects any keystroke or paste that would put more than digits and "-" in the box.
class IntervalValidator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return isIntervalInput(input.toStdString()) ? Acceptable : Invalid;
    }
};

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

template <typename Control> Control* place(Control* control, const char* name, QRect where) {
    control->setObjectName(text(name));
    control->setGeometry(where);
    return control;
}

} // namespace

AutoQueryDialog::AutoQueryDialog(Prompts& prompts, Chosen chosen, QWidget* parent)
    : QDialog(parent), prompts_(prompts), chosen_(std::move(chosen)) {
    setWindowTitle(text("请选择自动查询方式"));
    setFixedSize(306, 132);

    place(new QLabel(text("请输入自动查询间隔(单位/毫秒)："), this), "透明标签2", {8, 8, 179, 24});
    interval_ = place(new QLineEdit(text("300000"), this), "编辑框1", {195, 8, 93, 24});
    interval_->setValidator(new IntervalValidator(interval_));
    connect(interval_, &QLineEdit::editingFinished, this, &AutoQueryDialog::normaliseInterval);

    place(new QLabel(text("请选择："), this), "透明标签1", {8, 41, 46, 24});
    source_ = place(new QComboBox(this), "组合框1", {66, 42, 144, 20});
    source_->addItems({text("自动查询左侧编辑框"), text("自动查询超级列表框")});
    source_->setEditable(false);
    source_->setCurrentIndex(0);

    save_ = place(new QCheckBox(text("自动保存每次查询结果为Excel文件"), this), "选择框1",
                  {9, 72, 206, 24});
    save_->setChecked(false);

    auto* confirm = place(new QPushButton(text("确定"), this), "按钮1", {226, 58, 63, 32});
    confirm->setDefault(true);
    connect(confirm, &QPushButton::clicked, this, &AutoQueryDialog::confirmClicked);
}

void AutoQueryDialog::normaliseInterval() {
    interval_->setText(QString::number(intervalValue(interval_->text().toStdString())));
}

void AutoQueryDialog::confirmClicked() {
    const std::int32_t interval = intervalValue(interval_->text().toStdString());
    if (!intervalAccepted(interval)) {
        static const Text tooOften = Gbk("最少也要5分钟哦！不要查询那么频繁！");
        static const Text caption = Gbk("温馨提示！");
        prompts_.showMessage({tooOften, caption, Prompts::Buttons::Ok, Prompts::Icon::None, this});
        return;
    }
    if (chosen_)
        chosen_({interval, source_->currentIndex() != 0, save_->isChecked()});
    accept();
}

} // namespace tolvane
