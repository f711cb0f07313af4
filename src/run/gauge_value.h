#pragma once

#include <QString>

namespace orvane {

// A progress gauge that keeps its value within its bounds and shows a truncated whole percentage.
class GaugeValue
{
public:
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    int value() const { return m_value; }
    void setMaximum(int maximum);
    void setValue(int value);
    // 0 when maximum equals minimum.
    int percent() const;
    QString text() const;

private:
    int m_minimum = 0;
    int m_maximum = 100;
    int m_value = 0;
};

} // namespace orvane
