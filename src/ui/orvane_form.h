#pragma once

#include "engine/gui_bridge.h"
#include "listtools/list_cleaning.h"
#include "run/desktop_seams.h"
#include "run/results_model.h"
#include "run/run_scheduler.h"

#include <QMainWindow>
#include <array>
#include <memory>
#include <span>

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
class MemoPageList;
class ResultsListView;
class StatusPanel;

// The main window. Controls keep their long-standing names (also their objectNames) and are its
// own; handlers are thin and call the run, results and list logic.
class TOrvaneTForm : public QMainWindow, private RunView
{
    Q_OBJECT
public:
    explicit TOrvaneTForm(QWidget *parent = nullptr);
    ~TOrvaneTForm() override;

    ResultsModel *results() const { return m_results; }
    GuiBridge *bridge() const { return m_bridge; }
    RunScheduler &scheduler() { return *m_scheduler; }
    PageList &pageList();

    // Tests replace the desktop: message box, clipboard, browser.
    void setMessageSink(MessageSink *sink) { m_messages = sink; }
    void setClipboard(ClipboardSink *sink) { m_clipboard = sink; }
    void setAddressOpener(AddressOpener *opener) { m_opener = opener; }
    // Where the workers get their pages from (the internet unless a test says otherwise).
    void setWorkerEnvironment(const WorkerEnvironment &environment);

    // Start-up: default settings and placeholders.
    void FormCreate();

    // Input fields and the search mode.
    void WebsiteTspSkinEditEnter();
    void WebsiteTspSkinEditExit();
    void LinksTspSkinMemoEnter();
    void LinksTspSkinMemoExit();
    // Ctrl+A selects the whole text; the key then goes on to the field as usual.
    bool WebsiteTspSkinEditKeyDown(int key, Qt::KeyboardModifiers shift);
    bool LinksTspSkinMemoKeyDown(int key, Qt::KeyboardModifiers shift);
    void Show_in_Tray_IconTspSkinCheckRadioBoxClick();
    void Cauta_Dupa_HTMLTspSkinCheckRadioBoxClick();

    // List cleaning ("Remove URLs").
    void RemoveDuplicateURLs1Click();
    void RemoveDuplicateDomains1Click();
    void RemoveInvalidUrls1Click();
    void rimtodomain1Click();
    void RemoveEmptyLines1Click();

    // Run (button, dispatch tick).
    void spSkinSpeedButton1Click();
    void StartTTimerTimer();

    // Results list.
    void DownloadsTspSkinListViewSelectItem();
    void EndUpdateTTimerTimer();
    bool DownloadsTspSkinListViewKeyDown(int key, Qt::KeyboardModifiers shift);
    void Selectall1Click();
    void SelectSuccessfullylinks1Click();
    void CopyURL1Click();
    void CopySelectedURLstoClipboardColumns1Click();
    void CopySelectedURLstoClipboardAllColumns1Click();
    void SelectFailedRows1Click();
    void SelectLostRows1Click();
    void DownloadsTspSkinListViewDblClick();
    void DownloadsTspSkinListViewInsert(int row);

    // Run settings.
    void ThreadsTspSkinStatusPanelClick();
    void TimeOutTspSkinStatusPanelClick();
    void ThreadsTspSkinPopupMenuPopup();
    void TimeOutTspSkinPopupMenuPopup();
    void N5Threads2Click(QAction *item);
    void N1perSite1Click(QAction *item);
    void imeOut10s2Click(QAction *item);

private:
    // A row of a command menu; a row without a caption is a separator.
    struct CommandItem
    {
        const char *objectName;
        const char *caption = nullptr;
        void (TOrvaneTForm::*handler)() = nullptr;
        QKeyCombination shortcut = Qt::Key_unknown; // none
    };
    // A row of a settings menu: the choice and the value it sets (the action's data).
    struct SettingItem
    {
        const char *objectName;
        const char *caption;
        int value;
        bool isDefault = false;
    };

    void buildControls();
    void buildStatusBar();
    void buildMenus();
    void buildScheduler();
    void buildRemoveUrlsMenu();
    void buildPublisherLinks(QWidget *client);
    // Adds the items in the table's order; their shortcuts act while `shortcutScope` has the focus.
    void fillCommandMenu(QMenu *menu, std::span<const CommandItem> items,
                         QWidget *shortcutScope = nullptr);
    // Adds the choices in the table's order and returns the default one.
    QAction *fillSettingsMenu(QMenu *menu, std::span<const SettingItem> items,
                              void (TOrvaneTForm::*handler)(QAction *));
    void openPublisherPage();
    int columnWidthFor(int column) const;
    void fitColumnsToTheirTexts();
    void runCleaning(CleaningOutcome (*command)(PageList &));
    std::vector<int> selectedRows() const;
    // Selects exactly these rows (ascending), under painting suspension.
    void selectOnly(const std::vector<int> &rows);
    void Redraw_Off();
    void Redraw_On();
    void openMenuAtPointer(QMenu *menu);

    // RunView
    void setButtonCaption(const QString &caption) override;
    void setTotalText(const QString &text) override;
    void setThreadsText(const QString &text) override;
    void setFoundText(const QString &text) override;
    void setNotFoundText(const QString &text) override;
    void showGauge(const GaugeValue &gauge) override;

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
    QFrame *spSkinPanel1 = nullptr;
    ResultsListView *DownloadsTspSkinListView = nullptr;
    StatusPanel *TotalTspSkinStatusPanel = nullptr;
    GaugeWidget *spSkinGauge1 = nullptr;
    StatusPanel *ThreadsTspSkinStatusPanel = nullptr;
    StatusPanel *FoundTspSkinStatusPanel = nullptr;
    StatusPanel *NotFoundTspSkinStatusPanel = nullptr;
    StatusPanel *TimeOutTspSkinStatusPanel = nullptr;
    QMenu *ListeTspSkinPopupMenu = nullptr;
    QMenu *ThreadsTspSkinPopupMenu = nullptr;
    QMenu *TimeOutTspSkinPopupMenu = nullptr;
    QTimer *StartTTimer = nullptr;
    QTimer *EndUpdateTTimer = nullptr;
    // What FormCreate chooses, as the user would.
    QAction *m_defaultThreads = nullptr;
    QAction *m_defaultPerSite = nullptr;
    QAction *m_defaultTimeOut = nullptr;

    ResultsModel *m_results = nullptr;
    GuiBridge *m_bridge = nullptr;
    std::unique_ptr<MemoPageList> m_pageList;
    std::unique_ptr<MessageSink> m_ownMessages;
    std::unique_ptr<ClipboardSink> m_ownClipboard;
    std::unique_ptr<AddressOpener> m_ownOpener;
    MessageSink *m_messages = nullptr;
    ClipboardSink *m_clipboard = nullptr;
    AddressOpener *m_opener = nullptr;
    // Forwards to whatever sink is current, so tests can swap it after construction.
    std::unique_ptr<MessageSink> m_messageForwarder;
    std::unique_ptr<RunInputs> m_runInputs; // the fields, as the scheduler reads them
    std::unique_ptr<RunScheduler> m_scheduler;
    Anchors *m_anchors = nullptr;
    // The newest row that auto scroll is about to bring into view (-1: none).
    int m_rowToShow = -1;
};

inline constexpr char kPublisherAddress[] = "https://orvane.app";

} // namespace orvane
