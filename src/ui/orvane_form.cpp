#include "ui/orvane_form.h"

#include "engine/page_source.h"
#include "engine/run_counters.h"
#include "ui/desktop_services.h"
#include "ui/gauge_widget.h"
#include "ui/memo_page_list.h"
#include "ui/row_images.h"
#include "ui/status_panel.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace orvane {

namespace {

// Lets the scheduler keep one sink while tests swap the window's.
class ForwardingMessageSink final : public MessageSink
{
public:
    explicit ForwardingMessageSink(MessageSink *const &target) : m_target(target) {}
    void information(const QString &text) override { m_target->information(text); }

private:
    MessageSink *const &m_target;
};

template <class Widget> Widget *named(Widget *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

TOrvaneTForm::TOrvaneTForm(QWidget *parent)
    : QMainWindow(parent), m_results(new ResultsModel(this)), m_bridge(new GuiBridge(this)),
      m_ownMessages(std::make_unique<DialogMessageSink>(this)),
      m_ownClipboard(std::make_unique<SystemClipboard>()),
      m_ownOpener(std::make_unique<BrowserOpener>()), m_messages(m_ownMessages.get()),
      m_clipboard(m_ownClipboard.get()), m_opener(m_ownOpener.get()),
      m_messageForwarder(std::make_unique<ForwardingMessageSink>(m_messages))
{
    setObjectName(QStringLiteral("TOrvaneTForm"));
    setWindowTitle(QStringLiteral("Orvane 1.4 - by  ") + QLatin1String(kPublisherAddress));
    buildControls();
    buildStatusBar();
    buildMenus();
    buildScheduler();
    resize(972, 562 + statusBar()->sizeHint().height() - 21);
    FormCreate();
}

TOrvaneTForm::~TOrvaneTForm()
{
    // Reports still on their way must not reach a window that is going.
    m_bridge->shutdown();
}

PageList &TOrvaneTForm::pageList()
{
    return *m_pageList;
}

void TOrvaneTForm::buildControls()
{
    auto *client = new QWidget(this);
    setCentralWidget(client);

    spSkinLabel2 = named(new QLabel(QStringLiteral("Your Website URL:"), client), "spSkinLabel2");
    spSkinLabel2->setGeometry(8, 14, 100, 21);
    WebsiteTspSkinEdit = named(new QLineEdit(client), "WebsiteTspSkinEdit");
    WebsiteTspSkinEdit->setGeometry(111, 16, 458, 19);
    auto *searchFor = named(new QLabel(QStringLiteral("Search for:"), client), "spSkinLabel1");
    searchFor->setGeometry(580, 14, 58, 21);
    Show_in_Tray_IconTspSkinCheckRadioBox = named(new QRadioButton(QStringLiteral("Links"), client),
                                                  "Show_in_Tray_IconTspSkinCheckRadioBox");
    Show_in_Tray_IconTspSkinCheckRadioBox->setGeometry(640, 12, 57, 25);
    Show_in_Tray_IconTspSkinCheckRadioBox->setChecked(true);
    Cauta_Dupa_HTMLTspSkinCheckRadioBox = named(new QRadioButton(QStringLiteral("Content"), client),
                                                "Cauta_Dupa_HTMLTspSkinCheckRadioBox");
    Cauta_Dupa_HTMLTspSkinCheckRadioBox->setGeometry(700, 12, 69, 25);

    spSkinSpeedButton1 =
        named(new QPushButton(QStringLiteral("Start"), client), "spSkinSpeedButton1");
    spSkinSpeedButton1->setGeometry(8, 45, 97, 41);
    spSkinSpeedButton1->setFocusPolicy(Qt::NoFocus);
    connect(spSkinSpeedButton1, &QPushButton::clicked, this,
            &TOrvaneTForm::spSkinSpeedButton1Click);

    AutoScrollTspSkinCheckRadioBox =
        named(new QCheckBox(QStringLiteral("Auto scroll down"), client),
              "AutoScrollTspSkinCheckRadioBox");
    AutoScrollTspSkinCheckRadioBox->setGeometry(7, 128, 105, 18);
    AutoScrollTspSkinCheckRadioBox->setChecked(true);

    Panel1 = named(new QFrame(client), "Panel1");
    Panel1->setGeometry(111, 45, 655, 101);
    LinksTspSkinMemo = named(new QPlainTextEdit(Panel1), "LinksTspSkinMemo");
    LinksTspSkinMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto *memoLayout = new QVBoxLayout(Panel1);
    memoLayout->setContentsMargins(0, 0, 0, 0);
    memoLayout->addWidget(LinksTspSkinMemo);
    m_pageList = std::make_unique<MemoPageList>(*LinksTspSkinMemo);

    spSkinPanel1 = named(new QFrame(client), "spSkinPanel1");
    spSkinPanel1->setGeometry(8, 155, 956, 376);
    spSkinPanel1->setFrameShape(QFrame::StyledPanel);
    DownloadsTspSkinListView = named(new QTreeView(spSkinPanel1), "DownloadsTspSkinListView");
    auto *listLayout = new QVBoxLayout(spSkinPanel1);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addWidget(DownloadsTspSkinListView);
    DownloadsTspSkinListView->setModel(m_results);
    DownloadsTspSkinListView->setItemDelegate(new RowImageDelegate(DownloadsTspSkinListView));
    DownloadsTspSkinListView->setRootIsDecorated(false);
    DownloadsTspSkinListView->setUniformRowHeights(true);
    DownloadsTspSkinListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    DownloadsTspSkinListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    DownloadsTspSkinListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DownloadsTspSkinListView->setSortingEnabled(false);
    DownloadsTspSkinListView->setIconSize(QSize(16, 16));
    DownloadsTspSkinListView->setContextMenuPolicy(Qt::CustomContextMenu);
    DownloadsTspSkinListView->header()->setSectionsClickable(false);
    DownloadsTspSkinListView->header()->setStretchLastSection(false);
    const int widths[] = {333, 90, 233, 233, 140, 60, 116};
    for (int column = 0; column < ResultColumnCount; ++column) {
        DownloadsTspSkinListView->setColumnWidth(column, widths[column]);
    }
    QFont listFont(QStringLiteral("Tahoma"));
    listFont.setPixelSize(15);
    DownloadsTspSkinListView->setFont(listFont);
    DownloadsTspSkinListView->installEventFilter(this);
    DownloadsTspSkinListView->viewport()->installEventFilter(this);
    connect(DownloadsTspSkinListView->selectionModel(), &QItemSelectionModel::selectionChanged,
            this, [this] { DownloadsTspSkinListViewSelectItem(); });
    connect(m_results, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int) { DownloadsTspSkinListViewInsert(first); });

    EndUpdateTTimer = named(new QTimer(this), "EndUpdateTTimer");
    EndUpdateTTimer->setInterval(1);
    connect(EndUpdateTTimer, &QTimer::timeout, this, &TOrvaneTForm::EndUpdateTTimerTimer);
    StartTTimer = named(new QTimer(this), "StartTTimer");

    // The results list takes the focus first, so the fields keep their placeholders in view.
    setTabOrder(DownloadsTspSkinListView, WebsiteTspSkinEdit);
    setTabOrder(WebsiteTspSkinEdit, AutoScrollTspSkinCheckRadioBox);
    setTabOrder(AutoScrollTspSkinCheckRadioBox, LinksTspSkinMemo);
    setTabOrder(LinksTspSkinMemo, Show_in_Tray_IconTspSkinCheckRadioBox);
    setTabOrder(Show_in_Tray_IconTspSkinCheckRadioBox, Cauta_Dupa_HTMLTspSkinCheckRadioBox);
    DownloadsTspSkinListView->setFocus();
}

void TOrvaneTForm::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("spSkinStatusBar1"));
    TotalTspSkinStatusPanel = new StatusPanel(QStringLiteral("TotalTspSkinStatusPanel"), 145,
                                              QStringLiteral("Orvane 1.4"), bar);
    spSkinGauge1 = new GaugeWidget(bar);
    ThreadsTspSkinStatusPanel = new StatusPanel(QStringLiteral("ThreadsTspSkinStatusPanel"), 88,
                                                QStringLiteral("Threads 0"), bar);
    FoundTspSkinStatusPanel = new StatusPanel(QStringLiteral("FoundTspSkinStatusPanel"), 173,
                                              QStringLiteral("Found 0 (0%)"), bar);
    NotFoundTspSkinStatusPanel = new StatusPanel(QStringLiteral("NotFoundTspSkinStatusPanel"), 178,
                                                 QStringLiteral("Not Found 0 (0%)"), bar);
    TimeOutTspSkinStatusPanel = new StatusPanel(QStringLiteral("TimeOutTspSkinStatusPanel"), 81,
                                                QStringLiteral("Time Out 30s"), bar);
    for (QWidget *panel :
         {static_cast<QWidget *>(TotalTspSkinStatusPanel), static_cast<QWidget *>(spSkinGauge1),
          static_cast<QWidget *>(ThreadsTspSkinStatusPanel),
          static_cast<QWidget *>(FoundTspSkinStatusPanel),
          static_cast<QWidget *>(NotFoundTspSkinStatusPanel),
          static_cast<QWidget *>(TimeOutTspSkinStatusPanel)}) {
        bar->addWidget(panel);
    }
    ThreadsTspSkinStatusPanel->setCursor(Qt::PointingHandCursor);
    TimeOutTspSkinStatusPanel->setCursor(Qt::PointingHandCursor);
    connect(ThreadsTspSkinStatusPanel, &StatusPanel::clicked, this,
            &TOrvaneTForm::ThreadsTspSkinStatusPanelClick);
    connect(TimeOutTspSkinStatusPanel, &StatusPanel::clicked, this,
            &TOrvaneTForm::TimeOutTspSkinStatusPanelClick);
}

QMenu *TOrvaneTForm::buildSettingsMenu(const QString &name,
                                       const QList<std::pair<QString, QString>> &items,
                                       void (TOrvaneTForm::*handler)(QAction *))
{
    auto *menu = new QMenu(this);
    menu->setObjectName(name);
    // Choosing the marked item again takes its mark away.
    auto *group = new QActionGroup(menu);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const auto &[objectName, caption] : items) {
        QAction *item = menu->addAction(caption);
        item->setObjectName(objectName);
        item->setCheckable(true);
        // The hint carries the item's value.
        item->setStatusTip(caption.section(u' ', 0, 0));
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, item, handler] { (this->*handler)(item); });
    }
    return menu;
}

void TOrvaneTForm::buildMenus()
{
    ListeTspSkinPopupMenu = new QMenu(this);
    ListeTspSkinPopupMenu->setObjectName(QStringLiteral("ListeTspSkinPopupMenu"));
    CopyURL1 = ListeTspSkinPopupMenu->addAction(QStringLiteral("Copy Selected URLs to Clipboard"));
    CopyURL1->setObjectName(QStringLiteral("CopyURL1"));
    CopyURL1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    CopySelectedURLstoClipboardColumns1 = ListeTspSkinPopupMenu->addAction(
        QStringLiteral("Copy Selected URLs to Clipboard + Columns"));
    CopySelectedURLstoClipboardColumns1->setObjectName(
        QStringLiteral("CopySelectedURLstoClipboardColumns1"));
    CopySelectedURLstoClipboardColumns1->setShortcut(
        QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_C));
    ListeTspSkinPopupMenu->addSeparator()->setObjectName(QStringLiteral("N3"));
    Selectall1 = ListeTspSkinPopupMenu->addAction(QStringLiteral("Select All"));
    Selectall1->setObjectName(QStringLiteral("Selectall1"));
    SelectSuccessfullylinks1 =
        ListeTspSkinPopupMenu->addAction(QStringLiteral("Select Successfully links"));
    SelectSuccessfullylinks1->setObjectName(QStringLiteral("SelectSuccessfullylinks1"));
    // The shortcuts act while the results list has the focus.
    for (QAction *item : {CopyURL1, CopySelectedURLstoClipboardColumns1}) {
        item->setShortcutContext(Qt::WidgetShortcut);
        DownloadsTspSkinListView->addAction(item);
    }
    connect(CopyURL1, &QAction::triggered, this, &TOrvaneTForm::CopyURL1Click);
    connect(CopySelectedURLstoClipboardColumns1, &QAction::triggered, this,
            &TOrvaneTForm::CopySelectedURLstoClipboardColumns1Click);
    connect(Selectall1, &QAction::triggered, this, &TOrvaneTForm::Selectall1Click);
    connect(SelectSuccessfullylinks1, &QAction::triggered, this,
            &TOrvaneTForm::SelectSuccessfullylinks1Click);
    connect(DownloadsTspSkinListView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) {
                ListeTspSkinPopupMenu->popup(DownloadsTspSkinListView->viewport()->mapToGlobal(at));
            });

    ThreadsTspSkinPopupMenu =
        buildSettingsMenu(QStringLiteral("ThreadsTspSkinPopupMenu"),
                          {{QStringLiteral("N5Threads2"), QStringLiteral("5 Threads")},
                           {QStringLiteral("N10Threads2"), QStringLiteral("10 Threads")},
                           {QStringLiteral("N20Threads2"), QStringLiteral("20 Threads")},
                           {QStringLiteral("N30Threads2"), QStringLiteral("30 Threads")},
                           {QStringLiteral("N40Threads2"), QStringLiteral("40 Threads")},
                           {QStringLiteral("N50Threads3"), QStringLiteral("50 Threads")},
                           {QStringLiteral("N60Threads1"), QStringLiteral("60 Threads")},
                           {QStringLiteral("N70Threads2"), QStringLiteral("70 Threads")},
                           {QStringLiteral("N80Threads2"), QStringLiteral("80 Threads")},
                           {QStringLiteral("N90Threads2"), QStringLiteral("90 Threads")},
                           {QStringLiteral("N100Threads2"), QStringLiteral("100 Threads")},
                           {QStringLiteral("N150Threads1"), QStringLiteral("150 Threads")},
                           {QStringLiteral("N200Threads1"), QStringLiteral("200 Threads")},
                           {QStringLiteral("N300Threads1"), QStringLiteral("300 Threads")},
                           {QStringLiteral("N400Threads2"), QStringLiteral("400 Threads")},
                           {QStringLiteral("N500Threads3"), QStringLiteral("500 Threads")}},
                          &TOrvaneTForm::N5Threads2Click);
    TimeOutTspSkinPopupMenu =
        buildSettingsMenu(QStringLiteral("TimeOutTspSkinPopupMenu"),
                          {{QStringLiteral("imeOut5s1"), QStringLiteral("Time Out 5s")},
                           {QStringLiteral("imeOut10s2"), QStringLiteral("Time Out 10s")},
                           {QStringLiteral("imeOut30s1"), QStringLiteral("Time Out 30s")},
                           {QStringLiteral("imeOut40s2"), QStringLiteral("Time Out 40s")},
                           {QStringLiteral("imeOut50s2"), QStringLiteral("Time Out 50s")},
                           {QStringLiteral("imeOut1min2"), QStringLiteral("Time Out 1 min")},
                           {QStringLiteral("imeOut2min1"), QStringLiteral("Time Out 2 min")},
                           {QStringLiteral("imeOut5min2"), QStringLiteral("Time Out 5 min")}},
                          &TOrvaneTForm::imeOut10s2Click);
    const int timeOuts[] = {5000, 10000, 30000, 40000, 50000, 60000, 120000, 300000};
    const QList<QAction *> timeOutItems = TimeOutTspSkinPopupMenu->actions();
    for (int i = 0; i < timeOutItems.size(); ++i) {
        timeOutItems[i]->setStatusTip(QString::number(timeOuts[i]));
    }
    ThreadsTspSkinStatusPanel->setPopupMenu(ThreadsTspSkinPopupMenu);
    TimeOutTspSkinStatusPanel->setPopupMenu(TimeOutTspSkinPopupMenu);
    connect(ThreadsTspSkinPopupMenu, &QMenu::aboutToShow, this,
            &TOrvaneTForm::ThreadsTspSkinPopupMenuPopup);
    connect(TimeOutTspSkinPopupMenu, &QMenu::aboutToShow, this,
            &TOrvaneTForm::TimeOutTspSkinPopupMenuPopup);
}

void TOrvaneTForm::buildScheduler()
{
    RunScheduler::Inputs inputs;
    inputs.pages = m_pageList.get();
    inputs.pagesText = [this] { return LinksTspSkinMemo->toPlainText(); };
    inputs.target = [this] { return WebsiteTspSkinEdit->text(); };
    inputs.contentMode = [this] { return Cauta_Dupa_HTMLTspSkinCheckRadioBox->isChecked(); };
    RunScheduler::Services services;
    services.results = m_results;
    services.view = this;
    services.messages = m_messageForwarder.get();
    services.workers = {std::make_shared<InternetPageSource>(), m_bridge->handle()};
    m_scheduler =
        std::make_unique<RunScheduler>(*StartTTimer, std::move(inputs), std::move(services));
}

void TOrvaneTForm::setWorkerEnvironment(const WorkerEnvironment &environment)
{
    m_scheduler->services().workers = environment;
}

void TOrvaneTForm::FormCreate()
{
    // Defaults are chosen through the menus, exactly as the user would.
    findChild<QAction *>(QStringLiteral("N10Threads2"))->trigger();
    findChild<QAction *>(QStringLiteral("imeOut30s1"))->trigger();
    if (WebsiteTspSkinEdit->text().isEmpty()) {
        WebsiteTspSkinEdit->setText(QLatin1String(kLinksPlaceholder));
    }
    if (LinksTspSkinMemo->toPlainText().isEmpty()) {
        LinksTspSkinMemo->setPlainText(QLatin1String(kPagesPlaceholder));
    }
}

bool TOrvaneTForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == DownloadsTspSkinListView && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        DownloadsTspSkinListViewKeyDown(key->key(), key->modifiers());
    } else if (watched == DownloadsTspSkinListView->viewport() &&
               event->type() == QEvent::MouseButtonDblClick) {
        DownloadsTspSkinListViewDblClick();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// RunView

void TOrvaneTForm::setButtonCaption(const QString &caption)
{
    spSkinSpeedButton1->setText(caption);
}

void TOrvaneTForm::setTotalText(const QString &text)
{
    TotalTspSkinStatusPanel->setText(text);
}

void TOrvaneTForm::setThreadsText(const QString &text)
{
    ThreadsTspSkinStatusPanel->setText(text);
}

void TOrvaneTForm::setFoundText(const QString &text)
{
    FoundTspSkinStatusPanel->setText(text);
}

void TOrvaneTForm::setNotFoundText(const QString &text)
{
    NotFoundTspSkinStatusPanel->setText(text);
}

void TOrvaneTForm::showGauge(const GaugeValue &gauge)
{
    spSkinGauge1->setGauge(gauge);
}

} // namespace orvane
