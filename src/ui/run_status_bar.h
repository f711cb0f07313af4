#pragma once

#include "run/run_scheduler.h"

#include <QStatusBar>
#include <span>
#include <vector>

class QAction;
class QActionGroup;
class QMenu;

namespace orvane {

class GaugeWidget;
class LinkLabel;
class StatusPanel;

// The status bar of a run: the total, the gauge, the live workers, the found and not found shares
// and the time-out, with the publisher's link at the right end. The Threads and Time Out panels
// carry the settings menus (worker limit and per-site limit; time-out), whose choices the window
// applies. As the run's view it also says what the run's button reads.
class RunStatusBar : public QStatusBar, public RunView
{
    Q_OBJECT
public:
    static constexpr int kHeight = 21;

    // The link shows `publisherHost`.
    RunStatusBar(const QString &publisherHost, QWidget *parent);

    StatusPanel *totalPanel() const { return m_total; }
    GaugeWidget *gauge() const { return m_gauge; }
    StatusPanel *threadsPanel() const { return m_threads; }
    StatusPanel *foundPanel() const { return m_found; }
    StatusPanel *notFoundPanel() const { return m_notFound; }
    StatusPanel *timeOutPanel() const { return m_timeOut; }
    LinkLabel *publisherLink() const { return m_link; }
    QMenu *threadsMenu() const { return m_threadsMenu; }
    QMenu *timeOutMenu() const { return m_timeOutMenu; }
    // The choices of each setting; an item's data is the value it sets.
    QActionGroup *workerLimits() const { return m_workerLimits; }
    QActionGroup *perSiteLimits() const { return m_perSiteLimits; }
    QActionGroup *timeOuts() const { return m_timeOuts; }

    // Chooses the default of every setting, as the user would.
    void chooseDefaults();
    void openThreadsMenuAtPointer();
    void openTimeOutMenuAtPointer();
    // Ticks and reports that are waiting run before a menu shows.
    void runWaitingEvents();

    // RunView
    void setButtonCaption(const QString &caption) override;
    void setTotalText(const QString &text) override;
    void setThreadsText(const QString &text) override;
    void setThreadsToolTip(const QString &text) override;
    void setFoundText(const QString &text) override;
    void setNotFoundText(const QString &text) override;
    void showGauge(const GaugeValue &gauge) override;

signals:
    void buttonCaptionChanged(const QString &caption);

private:
    // A choice of a settings menu: its objectName, its caption and the value it sets.
    struct Setting
    {
        const char *objectName;
        const char *caption;
        int value;
        bool isDefault = false;
    };
    // Adds the choices in the table's order, as one group of which at most one is marked.
    QActionGroup *addChoices(QMenu *menu, std::span<const Setting> items);

    StatusPanel *m_total;
    GaugeWidget *m_gauge;
    StatusPanel *m_threads;
    StatusPanel *m_found;
    StatusPanel *m_notFound;
    StatusPanel *m_timeOut;
    LinkLabel *m_link;
    QMenu *m_threadsMenu;
    QMenu *m_timeOutMenu;
    QActionGroup *m_workerLimits = nullptr;
    QActionGroup *m_perSiteLimits = nullptr;
    QActionGroup *m_timeOuts = nullptr;
    std::vector<QAction *> m_defaults;
};

} // namespace orvane
