#include "ui/run_status_bar.h"

#include "engine/site_gate.h"
#include "ui/gauge_widget.h"
#include "ui/link_label.h"
#include "ui/status_panel.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QCursor>
#include <QMenu>

namespace orvane {

RunStatusBar::RunStatusBar(const QString &publisherHost, QWidget *parent)
    : QStatusBar(parent), m_total(new StatusPanel(QStringLiteral("TotalTspSkinStatusPanel"), 145,
                                                  QStringLiteral("Orvane 1.4"), this)),
      m_gauge(new GaugeWidget(this)),
      m_threads(new StatusPanel(QStringLiteral("ThreadsTspSkinStatusPanel"), 88,
                                QStringLiteral("Threads 0"), this)),
      m_found(new StatusPanel(QStringLiteral("FoundTspSkinStatusPanel"), 173,
                              QStringLiteral("Found 0 (0%)"), this)),
      m_notFound(new StatusPanel(QStringLiteral("NotFoundTspSkinStatusPanel"), 178,
                                 QStringLiteral("Not Found 0 (0%)"), this)),
      m_timeOut(new StatusPanel(QStringLiteral("TimeOutTspSkinStatusPanel"), 81,
                                QStringLiteral("Time Out 30s"), this)),
      m_link(new LinkLabel(publisherHost, this)), m_threadsMenu(new QMenu(this)),
      m_timeOutMenu(new QMenu(this))
{
    setObjectName(QStringLiteral("spSkinStatusBar1"));
    // As the window's own status bar would be: as wide as the window lets it be.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setFixedHeight(kHeight);
    setContentsMargins(0, 0, 0, 0);
    m_link->setObjectName(QStringLiteral("spSkinLinkLabel1"));
    m_link->setFixedSize(114, kHeight);
    m_link->setCursor(Qt::PointingHandCursor);
    m_link->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The link ends 23 pixels before the right edge of the designed window (835 + 114 = 949).
    new StatusBarLayout(this, {m_total, m_gauge, m_threads, m_found, m_notFound, m_timeOut}, m_link,
                        972 - 835 - 114);
    m_threads->setCursor(Qt::PointingHandCursor);
    m_timeOut->setCursor(Qt::PointingHandCursor);

    static constexpr Setting kThreads[] = {
        {"N5Threads2", "5 Threads", 5},       {"N10Threads2", "10 Threads", 10, true},
        {"N20Threads2", "20 Threads", 20},    {"N30Threads2", "30 Threads", 30},
        {"N40Threads2", "40 Threads", 40},    {"N50Threads3", "50 Threads", 50},
        {"N60Threads1", "60 Threads", 60},    {"N70Threads2", "70 Threads", 70},
        {"N80Threads2", "80 Threads", 80},    {"N90Threads2", "90 Threads", 90},
        {"N100Threads2", "100 Threads", 100}, {"N150Threads1", "150 Threads", 150},
        {"N200Threads1", "200 Threads", 200}, {"N300Threads1", "300 Threads", 300},
        {"N400Threads2", "400 Threads", 400}, {"N500Threads3", "500 Threads", 500},
    };
    // Transfers at once to one site, whatever the worker limit (0: no limit).
    static constexpr Setting kPerSite[] = {
        {"N1perSite1", "1 per Site", 1},
        {"N2perSite1", "2 per Site", 2},
        {"N4perSite1", "4 per Site", 4},
        {"N6perSite1", "6 per Site", 6, true},
        {"N10perSite1", "10 per Site", 10},
        {"N20perSite1", "20 per Site", 20},
        {"NoSiteLimit1", "No Site Limit", SiteGate::kNoLimit},
    };
    m_threadsMenu->setObjectName(QStringLiteral("ThreadsTspSkinPopupMenu"));
    m_workerLimits = addChoices(m_threadsMenu, kThreads);
    m_threadsMenu->addSeparator()->setObjectName(QStringLiteral("N6"));
    m_perSiteLimits = addChoices(m_threadsMenu, kPerSite);

    // Milliseconds.
    static constexpr Setting kTimeOuts[] = {
        {"imeOut5s1", "Time Out 5s", 5000},          {"imeOut10s2", "Time Out 10s", 10000},
        {"imeOut30s1", "Time Out 30s", 30000, true}, {"imeOut40s2", "Time Out 40s", 40000},
        {"imeOut50s2", "Time Out 50s", 50000},       {"imeOut1min2", "Time Out 1 min", 60000},
        {"imeOut2min1", "Time Out 2 min", 120000},   {"imeOut5min2", "Time Out 5 min", 300000},
    };
    m_timeOutMenu->setObjectName(QStringLiteral("TimeOutTspSkinPopupMenu"));
    m_timeOuts = addChoices(m_timeOutMenu, kTimeOuts);

    m_threads->setPopupMenu(m_threadsMenu);
    m_timeOut->setPopupMenu(m_timeOutMenu);
}

QActionGroup *RunStatusBar::addChoices(QMenu *menu, std::span<const Setting> items)
{
    // Choosing the marked item again takes its mark away.
    auto *group = new QActionGroup(menu);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const Setting &row : items) {
        QAction *item = menu->addAction(QLatin1String(row.caption));
        item->setObjectName(QLatin1String(row.objectName));
        item->setCheckable(true);
        item->setData(row.value);
        group->addAction(item);
        if (row.isDefault) {
            m_defaults.push_back(item);
        }
    }
    return group;
}

void RunStatusBar::chooseDefaults()
{
    for (QAction *item : m_defaults) {
        item->trigger();
    }
}

void RunStatusBar::openThreadsMenuAtPointer()
{
    m_threadsMenu->popup(QCursor::pos());
}

void RunStatusBar::openTimeOutMenuAtPointer()
{
    m_timeOutMenu->popup(QCursor::pos());
}

void RunStatusBar::runWaitingEvents()
{
    QCoreApplication::processEvents();
}

void RunStatusBar::setButtonCaption(const QString &caption)
{
    emit buttonCaptionChanged(caption);
}

void RunStatusBar::setTotalText(const QString &text)
{
    m_total->setText(text);
}

void RunStatusBar::setThreadsText(const QString &text)
{
    m_threads->setText(text);
}

void RunStatusBar::setThreadsToolTip(const QString &text)
{
    m_threads->setToolTip(text);
}

void RunStatusBar::setFoundText(const QString &text)
{
    m_found->setText(text);
}

void RunStatusBar::setNotFoundText(const QString &text)
{
    m_notFound->setText(text);
}

void RunStatusBar::showGauge(const GaugeValue &gauge)
{
    m_gauge->setGauge(gauge);
}

} // namespace orvane
