#include "ui/gauge_widget.h"

#include <QPainter>

namespace orvane {

GaugeWidget::GaugeWidget(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("spSkinGauge1"));
    setFixedSize(140, 21);
}

void GaugeWidget::setGauge(const GaugeValue &gauge)
{
    const bool changed = gauge.value() != m_gauge.value() || gauge.maximum() != m_gauge.maximum();
    m_gauge = gauge;
    if (changed) {
        update(); // every tick sets the gauge; most ticks leave it where it was
    }
}

void GaugeWidget::paintEvent(QPaintEvent * /*event*/)
{
    QPainter painter(this);
    // The box is the whole 140 x 21 of the gauge (the pen draws on its last row and column).
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    painter.setPen(palette().color(QPalette::Mid));
    painter.setBrush(palette().color(QPalette::Base));
    painter.drawRoundedRect(frame, 3, 3);
    const int span = m_gauge.maximum() - m_gauge.minimum();
    if (span > 0) {
        const double share = double(m_gauge.value() - m_gauge.minimum()) / span;
        QRect bar = frame.adjusted(1, 1, 0, 0);
        bar.setWidth(static_cast<int>(bar.width() * share));
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette().color(QPalette::Highlight));
        painter.drawRoundedRect(bar, 2, 2);
    }
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(frame, Qt::AlignCenter, m_gauge.text());
}

} // namespace orvane
