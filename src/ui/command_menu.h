#pragma once

#include "ui/unhandled_errors.h"

#include <QAction>
#include <QMenu>
#include <span>

namespace orvane {

// A row of a command menu: the item's objectName and caption, the handler it triggers on the
// menu's receiver and its shortcut. A row without a caption is a separator.
template <class Receiver> struct CommandItem
{
    const char *objectName;
    const char *caption = nullptr;
    void (Receiver::*handler)() = nullptr;
    QKeyCombination shortcut = Qt::Key_unknown; // none
};

// Adds the items in the table's order; their shortcuts act while `shortcutScope` has the focus. A
// handler's failure is reported rather than unwound through the toolkit.
template <class Receiver>
void fillCommandMenu(QMenu *menu, std::span<const CommandItem<Receiver>> items, Receiver *receiver,
                     QWidget *shortcutScope = nullptr)
{
    for (const CommandItem<Receiver> &row : items) {
        if (row.caption == nullptr) {
            menu->addSeparator()->setObjectName(QLatin1String(row.objectName));
            continue;
        }
        QAction *item = menu->addAction(QLatin1String(row.caption));
        item->setObjectName(QLatin1String(row.objectName));
        if (row.shortcut.key() != Qt::Key_unknown) {
            Q_ASSERT(shortcutScope != nullptr);
            item->setShortcut(row.shortcut);
            item->setShortcutContext(Qt::WidgetShortcut);
            shortcutScope->addAction(item);
        }
        QObject::connect(
            item, &QAction::triggered, receiver,
            reportingFailures([receiver, handler = row.handler] { (receiver->*handler)(); }));
    }
}

} // namespace orvane
