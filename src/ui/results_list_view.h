#pragma once

#include <QColor>
#include <QTreeView>

namespace orvane {

// The results list. Selected rows show the platform's highlight while the list has the keyboard
// focus and a quieter colour of their own otherwise, so the selection stays visible either way.
class ResultsListView : public QTreeView
{
    Q_OBJECT
public:
    explicit ResultsListView(QWidget *parent = nullptr);

    // The colours a selected row is drawn in now.
    QColor selectionBackground() const;
    QColor selectionText() const;

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};

} // namespace orvane
