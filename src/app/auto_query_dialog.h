// AutoQueryDialog: where the automatic re-query's interval, source and save flag
// are chosen. Built from its defaults every time it opens; "确定" refuses an
// interval under five minutes and otherwise hands the choice on and closes.
#pragma once

#include "query/ui/prompts.h"

#include <QDialog>

#include <cstdint>
#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace tolvane {

class AutoQueryDialog final : public QDialog {
    Q_OBJECT
public:
    struct Choice {
        std::int32_t interval = 0; // milliseconds
        bool listSource = false;   // the results list rather than the number box
        bool saveEachRun = false;
    };
    using Chosen = std::function<void(const Choice&)>;

    // chosen runs when "确定" accepts the interval, before the dialog closes.
    AutoQueryDialog(Prompts& prompts, Chosen chosen, QWidget* parent);

private:
    void confirmClicked();
    void normaliseInterval();

    Prompts& prompts_;
    Chosen chosen_;
    QLineEdit* interval_ = nullptr;
    QComboBox* source_ = nullptr;
    QCheckBox* save_ = nullptr;
};

} // namespace tolvane
