#pragma once

#include "triggers/TriggerActions.h"

#include <QGroupBox>

#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace tav {

// The "Actions" section of the trigger editor: what a trigger does beyond sending its
// reaction. Show() fills the controls from a trigger's actions; Read() gives them back,
// or nothing (after telling the user why) when a field cannot be taken.
class TriggerActionsBox : public QGroupBox {
    Q_OBJECT
public:
    explicit TriggerActionsBox(QWidget* parent);

    void Show(const TriggerActions& actions);
    std::optional<TriggerActions> Read();
    // Whether the Enabled state is to be given to every trigger of the group.
    bool SwitchWholeGroup() const;

private:
    void ChooseSound();

    TriggerActions shown_;
    QCheckBox* enabled_;
    QLineEdit* group_;
    QCheckBox* wholeGroup_;
    QLineEdit* groupOn_;
    QLineEdit* groupOff_;
    QComboBox* highlight_;
    QLineEdit* textColor_;
    QLineEdit* backColor_;
    QCheckBox* gag_;
    QCheckBox* gagLog_;
    QLineEdit* sound_;
    QCheckBox* channel_;
};

} // namespace tav
