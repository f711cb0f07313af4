#include "ui/tab_stop_radio_button.h"

namespace orvane {

void TabStopRadioButton::focusInEvent(QFocusEvent *event)
{
    QRadioButton::focusInEvent(event);
    // The base class has just taken Tab away from the other boxes of the group: give it back.
    if (parentWidget() == nullptr) {
        return;
    }
    for (auto *sibling : parentWidget()->findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly)) {
        sibling->setFocusPolicy(Qt::FocusPolicy(sibling->focusPolicy() | Qt::TabFocus));
    }
}

} // namespace orvane
