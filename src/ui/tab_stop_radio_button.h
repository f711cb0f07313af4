#pragma once

#include <QRadioButton>

namespace orvane {

// A radio box that stays a stop of the tab order whichever box of its group is selected. (Qt's
// own radio buttons let only the focused one of a group take Tab, so the other could never be
// reached by keyboard.)
class TabStopRadioButton : public QRadioButton
{
    Q_OBJECT
public:
    using QRadioButton::QRadioButton;

protected:
    void focusInEvent(QFocusEvent *event) override;
};

} // namespace orvane
