#include "ui/status_panel.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QSizeGrip>

namespace orvane {

namespace {
constexpr int kPanelHeight = 21;
} // namespace

StatusPanel::StatusPanel(const QString &objectName, int width, const QString &text, QWidget *parent)
    : QLabel(parent), m_designedWidth(width)
{
    setObjectName(objectName);
    setFixedSize(width, kPanelHeight);
    setFrameShape(QFrame::StyledPanel);
    setContentsMargins(2, 0, 1, 0);
    setIndent(0); // a framed label would otherwise indent its text by half an "x"
    setText(text);
}

void StatusPanel::setText(const QString &text)
{
    QLabel::setText(text);
    fitText();
}

int StatusPanel::widthFor(const QString &text) const
{
    const int chrome = width() - contentsRect().width();
    return std::max(m_designedWidth, fontMetrics().horizontalAdvance(text) + chrome);
}

void StatusPanel::fitText()
{
    const int wanted = widthFor(text());
    if (wanted != width()) {
        setFixedWidth(wanted);
    }
}

void StatusPanel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    // The style sheet's font arrives when the panel is polished.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        fitText();
    }
}

void StatusPanel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        emit clicked();
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void StatusPanel::contextMenuEvent(QContextMenuEvent *event)
{
    if (m_menu != nullptr) {
        m_menu->popup(event->globalPos());
        event->accept();
    }
}

StatusBarLayout::StatusBarLayout(QWidget *bar, const QList<QWidget *> &panels, QWidget *link,
                                 int rightGap)
    : QObject(bar), m_bar(bar), m_row(new QWidget(bar)), m_link(link), m_rightGap(rightGap)
{
    m_row->setObjectName(QStringLiteral("statusPanels"));
    auto *row = new QHBoxLayout(m_row);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    // The row is always exactly as wide as its panels; the bar clips what does not fit.
    row->setSizeConstraint(QLayout::SetFixedSize);
    for (QWidget *panel : panels) {
        row->addWidget(panel);
    }
    m_row->move(0, 0);
    // The bar, and so the window, keeps room for the panels as designed and the size grip after
    // them, which would otherwise be drawn over the last panel.
    const auto *grip = bar->findChild<QSizeGrip *>();
    m_gripWidth = grip != nullptr ? grip->sizeHint().width() : 0;
    bar->setMinimumWidth(m_row->sizeHint().width() + m_gripWidth);
    m_bar->installEventFilter(this);
    m_row->installEventFilter(this);
    place();
}

bool StatusBarLayout::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_bar || watched == m_row) && event->type() == QEvent::Resize) {
        place();
    }
    return QObject::eventFilter(watched, event);
}

void StatusBarLayout::place()
{
    const int designedLeft = m_bar->width() - m_rightGap - m_link->width();
    const int left = std::max(designedLeft, m_row->geometry().right() + 1);
    m_link->move(left, 0);
    // Only whole, and never under the size grip.
    m_link->setVisible(left + m_link->width() <= m_bar->width() - m_gripWidth);
}

} // namespace orvane
