#include "run/gauge_value.h"

#include <algorithm>

namespace orvane {

void GaugeValue::setMaximum(int maximum)
{
    m_maximum = std::max(maximum, m_minimum);
    m_value = std::clamp(m_value, m_minimum, m_maximum);
}

void GaugeValue::setValue(int value)
{
    m_value = std::clamp(value, m_minimum, m_maximum);
}

int GaugeValue::percent() const
{
    if (m_maximum == m_minimum) {
        return 0;
    }
    return static_cast<int>(qint64(m_value - m_minimum) * 100 / (m_maximum - m_minimum));
}

QString GaugeValue::text() const
{
    return QStringLiteral("Progress...") + QString::number(percent()) + u'%';
}

} // namespace orvane
