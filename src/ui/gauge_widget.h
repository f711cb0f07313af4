#pragma once

#include "run/gauge_value.h"

#include <QWidget>

namespace orvane {

// The run's progress: a bar for the value and, centred on it, "Progress..." and the percentage. A
// gauge whose maximum equals its minimum shows 0% and a still, empty bar.
class GaugeWidget : public QWidget
{
    Q_OBJECT
public:
    explicit GaugeWidget(QWidget *parent = nullptr);
    void setGauge(const GaugeValue &gauge);
    const GaugeValue &gauge() const { return m_gauge; }
    QString text() const { return m_gauge.text(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    GaugeValue m_gauge;
};

} // namespace orvane
