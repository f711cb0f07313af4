#pragma once

#include "engine/gui_bridge.h"
#include "listtools/list_cleaning.h"
#include "run/desktop_seams.h"
#include "run/results_model.h"
#include "run/run_scheduler.h"
#include "ui/inputs_panel.h"
#include "ui/results_panel.h"
#include "ui/run_status_bar.h"

#include <QMainWindow>
#include <array>
#include <memory>

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QTimer;
class QToolButton;
class QWidget;

namespace orvane {

class Anchors;
class FieldLineEdit;
class FieldPlainTextEdit;
class GaugeWidget;
class LinkLabel;
class ResultsListView;
class StatusPanel;

inline constexpr char kPublisherAddress[] = "https://orvane.app";

// The main window: its controls, where they sit, and the wiring of their events to the designed
// handlers, which forward to the panels that do the work: the inputs, the results and the run's
// status bar. Controls keep their long-standing names (also their objectNames).
class TOrvaneTForm : public QMainWindow
{
    Q_OBJECT
public:
    explicit TOrvaneTForm(QWidget *parent = nullptr);
    ~TOrvaneTForm() override;

    // The run and its rows, which tests and the program's end read and adjust.
    ResultsModel *results() const { return m_results; }
    GuiBridge *bridge() const { return m_bridge; }
    RunScheduler &scheduler() { return *m_scheduler; }

    // Tests replace the desktop: message box, clipboard, browser.
    void setMessageSink(MessageSink *sink)
    {
        m_messages = sink;
        m_scheduler->services().messages = sink;
    }
    void setClipboard(ClipboardSink *sink) { m_clipboard = sink; }
    void setAddressOpener(AddressOpener *opener) { m_opener = opener; }

private slots:
    // Input fields and the search mode.
    void WebsiteTspSkinEditEnter() { m_inputs->takeSitePlaceholder(); }
    void WebsiteTspSkinEditExit() { m_inputs->showSitePlaceholder(); }
    void LinksTspSkinMemoEnter() { m_inputs->takePagesPlaceholder(); }
    void LinksTspSkinMemoExit() { m_inputs->showPagesPlaceholder(); }
    bool WebsiteTspSkinEditKeyDown(int key, Qt::KeyboardModifiers shift)
    {
        return m_inputs->selectAllOfSiteOnKey(key, shift);
    }
    bool LinksTspSkinMemoKeyDown(int key, Qt::KeyboardModifiers shift)
    {
        return m_inputs->selectAllOfPagesOnKey(key, shift);
    }
    void Show_in_Tray_IconTspSkinCheckRadioBoxClick() { m_inputs->searchForLinks(); }
    void Cauta_Dupa_HTMLTspSkinCheckRadioBoxClick() { m_inputs->searchForContent(); }

    // List cleaning ("Remove URLs").
    void RemoveDuplicateURLs1Click() { m_inputs->clean(removeDuplicateUrls, *m_messages); }
    void RemoveDuplicateDomains1Click() { m_inputs->clean(removeDuplicateDomains, *m_messages); }
    void RemoveInvalidUrls1Click() { m_inputs->clean(removeInvalidUrls, *m_messages); }
    void rimtodomain1Click() { m_inputs->clean(trimToDomain, *m_messages); }
    void RemoveEmptyLines1Click() { m_inputs->clean(removeEmptyLines, *m_messages); }

    // The run's button; the scheduler ticks on StartTTimer by itself.
    void spSkinSpeedButton1Click() { m_scheduler->spSkinSpeedButton1Click(); }

    // Results list.
    void DownloadsTspSkinListViewSelectItem() { spSkinPanel1->holdPaintingForBurst(); }
    void EndUpdateTTimerTimer() { spSkinPanel1->endBurst(); }
    bool DownloadsTspSkinListViewKeyDown(int key, Qt::KeyboardModifiers shift)
    {
        return spSkinPanel1->selectAllOnKey(key, shift);
    }
    void Selectall1Click() { spSkinPanel1->selectAll(); }
    void SelectSuccessfullylinks1Click() { spSkinPanel1->selectFoundRows(); }
    void SelectFailedRows1Click() { spSkinPanel1->selectFailedRows(); }
    void SelectLostRows1Click() { spSkinPanel1->selectLostRows(); }
    void CheckSelectedRowsAgain1Click() { m_scheduler->checkAgain(spSkinPanel1->selectedRows()); }
    void CopyURL1Click() { spSkinPanel1->copyAddresses(*m_clipboard); }
    void CopySelectedURLstoClipboardColumns1Click()
    {
        spSkinPanel1->copyAddressesWithColumns(*m_clipboard);
    }
    void CopySelectedURLstoClipboardAllColumns1Click()
    {
        spSkinPanel1->copyAllColumns(*m_clipboard);
    }
    void DownloadsTspSkinListViewDblClick() { spSkinPanel1->openFirstSelected(*m_opener); }
    void DownloadsTspSkinListViewInsert(int row) { spSkinPanel1->rowInserted(row); }

    // Run settings.
    void ThreadsTspSkinStatusPanelClick() { m_statusBar->openThreadsMenuAtPointer(); }
    void TimeOutTspSkinStatusPanelClick() { m_statusBar->openTimeOutMenuAtPointer(); }
    void ThreadsTspSkinPopupMenuPopup() { m_statusBar->runWaitingEvents(); }
    void TimeOutTspSkinPopupMenuPopup() { m_statusBar->runWaitingEvents(); }
    void N5Threads2Click(QAction *item);
    void N1perSite1Click(QAction *item);
    void imeOut10s2Click(QAction *item);

private:
    void buildControls();
    void placeControls(QWidget *client);
    void wireHandlers();
    void buildMenus();
    void buildScheduler();
    // Connects `signal` to the window's handler, whose failures are reported rather than unwound
    // through the toolkit.
    template <class Sender, class Signal, class Handler>
    void wire(Sender *sender, Signal signal, Handler handler);
    // Start-up: the default settings, chosen through the menus exactly as the user would choose
    // them, and the placeholders. (Asking the window system not to ghost a busy window is a
    // Windows matter; nothing to do here.)
    void FormCreate()
    {
        m_statusBar->chooseDefaults();
        WebsiteTspSkinEditExit();
        LinksTspSkinMemoExit();
    }
    void openPublisherPage() { m_opener->open(QLatin1String(kPublisherAddress)); }
    void offerCheckAgain();

    // The panels (the results panel is spSkinPanel1).
    InputsPanel *m_inputs = nullptr;
    RunStatusBar *m_statusBar = nullptr;

    // Controls; tests find them by their objectNames, which equal these names.
    QLabel *spSkinLabel2 = nullptr;
    QLabel *spSkinLabel1 = nullptr;
    LinkLabel *spSkinLinkImage1 = nullptr;
    LinkLabel *spSkinLinkLabel3 = nullptr;
    LinkLabel *spSkinLinkLabel1 = nullptr;
    QToolButton *HelpTspSkinMenuSpeedButton = nullptr;
    QMenu *RemoveUrlsTspSkinPopupMenu = nullptr;
    FieldLineEdit *WebsiteTspSkinEdit = nullptr;
    QRadioButton *Show_in_Tray_IconTspSkinCheckRadioBox = nullptr;
    QRadioButton *Cauta_Dupa_HTMLTspSkinCheckRadioBox = nullptr;
    QPushButton *spSkinSpeedButton1 = nullptr;
    QCheckBox *AutoScrollTspSkinCheckRadioBox = nullptr;
    QFrame *Panel1 = nullptr;
    FieldPlainTextEdit *LinksTspSkinMemo = nullptr;
    ResultsPanel *spSkinPanel1 = nullptr;
    ResultsListView *DownloadsTspSkinListView = nullptr;
    StatusPanel *TotalTspSkinStatusPanel = nullptr;
    GaugeWidget *spSkinGauge1 = nullptr;
    StatusPanel *ThreadsTspSkinStatusPanel = nullptr;
    StatusPanel *FoundTspSkinStatusPanel = nullptr;
    StatusPanel *NotFoundTspSkinStatusPanel = nullptr;
    StatusPanel *TimeOutTspSkinStatusPanel = nullptr;
    QMenu *ListeTspSkinPopupMenu = nullptr;
    QAction *CheckSelectedRowsAgain1 = nullptr;
    QMenu *ThreadsTspSkinPopupMenu = nullptr;
    QMenu *TimeOutTspSkinPopupMenu = nullptr;
    QTimer *StartTTimer = nullptr;
    QTimer *EndUpdateTTimer = nullptr;

    ResultsModel *m_results = nullptr;
    GuiBridge *m_bridge = nullptr;
    std::unique_ptr<MessageSink> m_ownMessages;
    std::unique_ptr<ClipboardSink> m_ownClipboard;
    std::unique_ptr<AddressOpener> m_ownOpener;
    MessageSink *m_messages = nullptr;
    ClipboardSink *m_clipboard = nullptr;
    AddressOpener *m_opener = nullptr;
    std::unique_ptr<RunScheduler> m_scheduler;
    Anchors *m_anchors = nullptr;
};

} // namespace orvane
