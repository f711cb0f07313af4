#include "ui/orvane_form.h"

#include "engine/page_source.h"
#include "ui/anchors.h"
#include "ui/desktop_services.h"
#include "ui/gauge_widget.h"
#include "ui/memo_page_list.h"
#include "ui/results_list_view.h"
#include "ui/row_images.h"
#include "ui/status_panel.h"
#include "ui/tab_stop_radio_button.h"
#include "ui/unhandled_errors.h"
#include "ui/window_fonts.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFocusEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QSvgRenderer>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

// The window's pictures and style live in a static library: their registration must be pulled in.
static void initResources()
{
    Q_INIT_RESOURCE(ui);
}

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

constexpr int kStatusBarHeight = 21;

QString publisherHost()
{
    return QUrl(QLatin1String(kPublisherAddress)).host();
}

QString loadStyleSheet()
{
    QFile file(QStringLiteral(":/orvane/style.qss"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A label that sizes itself to its text keeps its place and height.
void fitLabelToText(QLabel *label)
{
    label->ensurePolished();
    label->resize(label->sizeHint().width(), label->height());
}

// The keyboard focus moving from one control of the window to another enters and leaves a field;
// a popup menu, a modal box or the window losing activation only borrow it.
bool movesBetweenControls(const QEvent *event)
{
    switch (static_cast<const QFocusEvent *>(event)->reason()) {
    case Qt::PopupFocusReason:
    case Qt::ActiveWindowFocusReason:
    case Qt::MenuBarFocusReason:
        return false;
    default:
        return true;
    }
}

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
    initResources();
    registerWindowFonts();
    setStyleSheet(loadStyleSheet());
    buildControls();
    buildStatusBar();
    buildMenus();
    buildRemoveUrlsMenu();
    buildScheduler();
    fitColumnsToTheirTexts();
    resize(972, 562);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
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
    client->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(client);
    setFont(windowFont());
    // Places and sizes at 96 dpi in the designed client area (972 x 562 less the status bar).
    m_anchors = new Anchors(client, QSize(972, 562 - kStatusBarHeight));
    constexpr int topRight = Anchors::Top | Anchors::Right;
    constexpr int across = Anchors::Left | Anchors::Top | Anchors::Right;

    // Sizes itself to its text, which the search mode switches; it never moves.
    spSkinLabel2 = named(new QLabel(QStringLiteral("Your Website URL:"), client), "spSkinLabel2");
    spSkinLabel2->setGeometry(8, 14, 94, 21);
    fitLabelToText(spSkinLabel2);
    WebsiteTspSkinEdit = named(new QLineEdit(client), "WebsiteTspSkinEdit");
    m_anchors->place(WebsiteTspSkinEdit, QRect(111, 16, 458, 19), across);
    spSkinLabel1 = named(new QLabel(QStringLiteral("Search for:"), client), "spSkinLabel1");
    m_anchors->place(spSkinLabel1, QRect(580, 14, 58, 21), topRight);
    Show_in_Tray_IconTspSkinCheckRadioBox =
        named(new TabStopRadioButton(QStringLiteral("Links"), client),
              "Show_in_Tray_IconTspSkinCheckRadioBox");
    Show_in_Tray_IconTspSkinCheckRadioBox->setChecked(true);
    m_anchors->place(Show_in_Tray_IconTspSkinCheckRadioBox, QRect(640, 12, 57, 25), topRight);
    Cauta_Dupa_HTMLTspSkinCheckRadioBox =
        named(new TabStopRadioButton(QStringLiteral("Content"), client),
              "Cauta_Dupa_HTMLTspSkinCheckRadioBox");
    m_anchors->place(Cauta_Dupa_HTMLTspSkinCheckRadioBox, QRect(700, 12, 69, 25), topRight);
    connect(Show_in_Tray_IconTspSkinCheckRadioBox, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            Show_in_Tray_IconTspSkinCheckRadioBoxClick();
        }
    });
    connect(Cauta_Dupa_HTMLTspSkinCheckRadioBox, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            Cauta_Dupa_HTMLTspSkinCheckRadioBoxClick();
        }
    });
    buildPublisherLinks(client);

    spSkinSpeedButton1 =
        named(new QPushButton(QStringLiteral("Start"), client), "spSkinSpeedButton1");
    spSkinSpeedButton1->setFocusPolicy(Qt::NoFocus);
    m_anchors->place(spSkinSpeedButton1, QRect(8, 45, 97, 41));
    connect(spSkinSpeedButton1, &QPushButton::clicked, this,
            reportingFailures([this] { spSkinSpeedButton1Click(); }));

    HelpTspSkinMenuSpeedButton = named(new QToolButton(client), "HelpTspSkinMenuSpeedButton");
    HelpTspSkinMenuSpeedButton->setText(QStringLiteral("Remove URLs"));
    HelpTspSkinMenuSpeedButton->setFocusPolicy(Qt::NoFocus);
    // The menu drops below the button, which stays pressed while the menu is open.
    HelpTspSkinMenuSpeedButton->setPopupMode(QToolButton::InstantPopup);
    m_anchors->place(HelpTspSkinMenuSpeedButton, QRect(8, 92, 97, 30));

    AutoScrollTspSkinCheckRadioBox =
        named(new QCheckBox(QStringLiteral("Auto scroll down"), client),
              "AutoScrollTspSkinCheckRadioBox");
    AutoScrollTspSkinCheckRadioBox->setChecked(true);
    m_anchors->place(AutoScrollTspSkinCheckRadioBox, QRect(7, 128, 105, 18));

    Panel1 = named(new QFrame(client), "Panel1");
    m_anchors->place(Panel1, QRect(111, 45, 655, 101), across);
    LinksTspSkinMemo = named(new QPlainTextEdit(Panel1), "LinksTspSkinMemo");
    LinksTspSkinMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab moves on to the next control, as in any other field of the window.
    LinksTspSkinMemo->setTabChangesFocus(true);
    LinksTspSkinMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    LinksTspSkinMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto *memoLayout = new QVBoxLayout(Panel1);
    memoLayout->setContentsMargins(0, 0, 0, 0);
    memoLayout->addWidget(LinksTspSkinMemo);
    m_pageList = std::make_unique<MemoPageList>(*LinksTspSkinMemo);
    WebsiteTspSkinEdit->installEventFilter(this);
    LinksTspSkinMemo->installEventFilter(this);

    spSkinPanel1 = named(new QFrame(client), "spSkinPanel1");
    m_anchors->place(spSkinPanel1, QRect(8, 155, 956, 376), across | Anchors::Bottom);
    DownloadsTspSkinListView = named(new ResultsListView(spSkinPanel1), "DownloadsTspSkinListView");
    auto *listLayout = new QVBoxLayout(spSkinPanel1);
    listLayout->setContentsMargins(1, 1, 1, 1);
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
    DownloadsTspSkinListView->setFont(listFont());
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
    bar->setFixedHeight(kStatusBarHeight);
    bar->setContentsMargins(0, 0, 0, 0);
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
    spSkinLinkLabel1 = named(new QLabel(publisherHost(), bar), "spSkinLinkLabel1");
    spSkinLinkLabel1->setFixedSize(114, kStatusBarHeight);
    spSkinLinkLabel1->setCursor(Qt::PointingHandCursor);
    spSkinLinkLabel1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    spSkinLinkLabel1->installEventFilter(this);
    // The link ends 23 pixels before the right edge of the designed window (835 + 114 = 949).
    new StatusBarLayout(bar,
                        {TotalTspSkinStatusPanel, spSkinGauge1, ThreadsTspSkinStatusPanel,
                         FoundTspSkinStatusPanel, NotFoundTspSkinStatusPanel,
                         TimeOutTspSkinStatusPanel},
                        spSkinLinkLabel1, 972 - 835 - 114);
    ThreadsTspSkinStatusPanel->setCursor(Qt::PointingHandCursor);
    TimeOutTspSkinStatusPanel->setCursor(Qt::PointingHandCursor);
    connect(ThreadsTspSkinStatusPanel, &StatusPanel::clicked, this,
            &TOrvaneTForm::ThreadsTspSkinStatusPanelClick);
    connect(TimeOutTspSkinStatusPanel, &StatusPanel::clicked, this,
            &TOrvaneTForm::TimeOutTspSkinStatusPanelClick);
}

int TOrvaneTForm::columnWidthFor(int column) const
{
    const QTreeView *list = DownloadsTspSkinListView;
    list->ensurePolished();
    // The item's text has the style's focus frame margin and one more pixel on either side.
    const int textMargin =
        2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
    const QFontMetrics metrics(list->font());
    int wanted = std::max(kDesignedColumnWidths[static_cast<std::size_t>(column)],
                          list->header()->sectionSizeHint(column));
    for (const QString &text : closedColumnTexts(column, m_scheduler->services().locale)) {
        wanted = std::max(wanted, metrics.horizontalAdvance(text) + textMargin);
    }
    return wanted;
}

void TOrvaneTForm::fitColumnsToTheirTexts()
{
    // The designed widths, widened where a number, a date or a status would otherwise be cut;
    // addresses and anchor texts are cut (and shown whole in their tooltips).
    for (int column = 0; column < ResultColumnCount; ++column) {
        DownloadsTspSkinListView->setColumnWidth(column, columnWidthFor(column));
    }
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
        connect(item, &QAction::triggered, this,
                reportingFailures([this, item, handler] { (this->*handler)(item); }));
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
    SelectFailedRows1 = ListeTspSkinPopupMenu->addAction(QStringLiteral("Select Failed Rows"));
    SelectFailedRows1->setObjectName(QStringLiteral("SelectFailedRows1"));
    ListeTspSkinPopupMenu->addSeparator()->setObjectName(QStringLiteral("N4"));
    CopySelectedURLstoClipboardAllColumns1 = ListeTspSkinPopupMenu->addAction(
        QStringLiteral("Copy Selected URLs to Clipboard + All Columns"));
    CopySelectedURLstoClipboardAllColumns1->setObjectName(
        QStringLiteral("CopySelectedURLstoClipboardAllColumns1"));
    CopySelectedURLstoClipboardAllColumns1->setShortcut(
        QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C));
    // The shortcuts act while the results list has the focus.
    for (QAction *item :
         {CopyURL1, CopySelectedURLstoClipboardColumns1, CopySelectedURLstoClipboardAllColumns1}) {
        item->setShortcutContext(Qt::WidgetShortcut);
        DownloadsTspSkinListView->addAction(item);
    }
    const std::pair<QAction *, void (TOrvaneTForm::*)()> commands[] = {
        {CopyURL1, &TOrvaneTForm::CopyURL1Click},
        {CopySelectedURLstoClipboardColumns1,
         &TOrvaneTForm::CopySelectedURLstoClipboardColumns1Click},
        {Selectall1, &TOrvaneTForm::Selectall1Click},
        {SelectSuccessfullylinks1, &TOrvaneTForm::SelectSuccessfullylinks1Click},
        {SelectFailedRows1, &TOrvaneTForm::SelectFailedRows1Click},
        {CopySelectedURLstoClipboardAllColumns1,
         &TOrvaneTForm::CopySelectedURLstoClipboardAllColumns1Click}};
    for (const auto &[item, handler] : commands) {
        connect(item, &QAction::triggered, this,
                reportingFailures([this, handler = handler] { (this->*handler)(); }));
    }
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

void TOrvaneTForm::buildPublisherLinks(QWidget *client)
{
    spSkinLinkImage1 = named(new QLabel(client), "spSkinLinkImage1");
    QSvgRenderer picture(QStringLiteral(":/orvane/publisher.svg"));
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap(QSize(183, 110) * ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    picture.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(ratio);
    spSkinLinkImage1->setPixmap(pixmap);
    spSkinLinkImage1->setScaledContents(true);
    spSkinLinkImage1->setCursor(Qt::PointingHandCursor);
    spSkinLinkImage1->installEventFilter(this);
    m_anchors->place(spSkinLinkImage1, QRect(781, 16, 183, 110), Anchors::Top | Anchors::Right);

    spSkinLinkLabel3 =
        named(new QLabel(QLatin1String(kPublisherAddress), client), "spSkinLinkLabel3");
    QFont underlined = spSkinLinkLabel3->font();
    underlined.setUnderline(true);
    spSkinLinkLabel3->setFont(underlined);
    spSkinLinkLabel3->setCursor(Qt::PointingHandCursor);
    spSkinLinkLabel3->installEventFilter(this);
    m_anchors->place(spSkinLinkLabel3, QRect(796, 132, 148, 17), Anchors::Top | Anchors::Right);
}

void TOrvaneTForm::buildRemoveUrlsMenu()
{
    RemoveUrlsTspSkinPopupMenu = new QMenu(this);
    RemoveUrlsTspSkinPopupMenu->setObjectName(QStringLiteral("RemoveUrlsTspSkinPopupMenu"));
    const auto add = [this](const char *name, const char *caption,
                            void (TOrvaneTForm::*handler)()) {
        QAction *item = RemoveUrlsTspSkinPopupMenu->addAction(QLatin1String(caption));
        item->setObjectName(QLatin1String(name));
        connect(item, &QAction::triggered, this,
                reportingFailures([this, handler] { (this->*handler)(); }));
    };
    add("RemoveDuplicateURLs1", "Remove Duplicate URLs", &TOrvaneTForm::RemoveDuplicateURLs1Click);
    add("RemoveDuplicateDomains1", "Remove Duplicate Domains",
        &TOrvaneTForm::RemoveDuplicateDomains1Click);
    add("RemoveInvalidUrls1", "Remove Invalid Urls", &TOrvaneTForm::RemoveInvalidUrls1Click);
    RemoveUrlsTspSkinPopupMenu->addSeparator()->setObjectName(QStringLiteral("N2"));
    add("rimtodomain1", "Trim to Domain", &TOrvaneTForm::rimtodomain1Click);
    RemoveUrlsTspSkinPopupMenu->addSeparator()->setObjectName(QStringLiteral("N1"));
    add("RemoveEmptyLines1", "Remove Empty Lines", &TOrvaneTForm::RemoveEmptyLines1Click);
    HelpTspSkinMenuSpeedButton->setMenu(RemoveUrlsTspSkinPopupMenu);
}

void TOrvaneTForm::FormCreate()
{
    // (Asking the window system not to ghost a busy window is a Windows matter; nothing to do
    // here.) The defaults are chosen through the menus, exactly as the user would choose them.
    findChild<QAction *>(QStringLiteral("N10Threads2"))->trigger();
    findChild<QAction *>(QStringLiteral("imeOut30s1"))->trigger();
    WebsiteTspSkinEditExit();
    LinksTspSkinMemoExit();
}

void TOrvaneTForm::WebsiteTspSkinEditEnter()
{
    if (WebsiteTspSkinEdit->text() == QLatin1String(kLinksPlaceholder)) {
        WebsiteTspSkinEdit->clear();
    }
}

void TOrvaneTForm::WebsiteTspSkinEditExit()
{
    if (WebsiteTspSkinEdit->text().isEmpty()) {
        WebsiteTspSkinEdit->setText(QLatin1String(kLinksPlaceholder));
    }
}

void TOrvaneTForm::LinksTspSkinMemoEnter()
{
    // Taken out without a trace in the memo's undo history.
    m_pageList->takePlaceholder(QLatin1String(kPagesPlaceholder));
}

void TOrvaneTForm::LinksTspSkinMemoExit()
{
    // Only into an empty memo; the user's history stays.
    m_pageList->showPlaceholder(QLatin1String(kPagesPlaceholder));
}

namespace {
bool isCtrlA(int key, Qt::KeyboardModifiers shift)
{
    return key == Qt::Key_A && (shift & ~Qt::KeypadModifier) == Qt::ControlModifier;
}
} // namespace

bool TOrvaneTForm::WebsiteTspSkinEditKeyDown(int key, Qt::KeyboardModifiers shift)
{
    if (isCtrlA(key, shift)) {
        WebsiteTspSkinEdit->selectAll();
        return true;
    }
    return false;
}

bool TOrvaneTForm::LinksTspSkinMemoKeyDown(int key, Qt::KeyboardModifiers shift)
{
    if (isCtrlA(key, shift)) {
        LinksTspSkinMemo->selectAll();
        return true;
    }
    return false;
}

void TOrvaneTForm::Show_in_Tray_IconTspSkinCheckRadioBoxClick()
{
    spSkinLabel2->setText(QStringLiteral("Your Website URL:"));
    fitLabelToText(spSkinLabel2);
    if (WebsiteTspSkinEdit->text() == QLatin1String(kContentPlaceholder)) {
        WebsiteTspSkinEdit->setText(QLatin1String(kLinksPlaceholder));
    }
}

void TOrvaneTForm::Cauta_Dupa_HTMLTspSkinCheckRadioBoxClick()
{
    spSkinLabel2->setText(QStringLiteral("Your HTML Content:"));
    fitLabelToText(spSkinLabel2);
    if (WebsiteTspSkinEdit->text() == QLatin1String(kLinksPlaceholder)) {
        WebsiteTspSkinEdit->setText(QLatin1String(kContentPlaceholder));
    }
}

void TOrvaneTForm::runCleaning(CleaningOutcome (*command)(PageList &))
{
    const CleaningOutcome outcome = command(*m_pageList);
    m_messages->information(outcome.message);
}

void TOrvaneTForm::RemoveDuplicateURLs1Click()
{
    runCleaning(removeDuplicateUrls);
}

void TOrvaneTForm::RemoveDuplicateDomains1Click()
{
    runCleaning(removeDuplicateDomains);
}

void TOrvaneTForm::RemoveInvalidUrls1Click()
{
    runCleaning(removeInvalidUrls);
}

void TOrvaneTForm::rimtodomain1Click()
{
    runCleaning(trimToDomain);
}

void TOrvaneTForm::RemoveEmptyLines1Click()
{
    runCleaning(removeEmptyLines);
}

bool TOrvaneTForm::eventFilter(QObject *watched, QEvent *event)
{
    try {
        if (filterEvent(watched, event)) {
            return true;
        }
    } catch (...) {
        OrvaneApplication::reportFailure(std::current_exception());
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TOrvaneTForm::filterEvent(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == DownloadsTspSkinListView && type == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        DownloadsTspSkinListViewKeyDown(key->key(), key->modifiers());
    } else if (watched == DownloadsTspSkinListView->viewport() &&
               type == QEvent::MouseButtonDblClick) {
        DownloadsTspSkinListViewDblClick();
        return true;
    } else if (watched == WebsiteTspSkinEdit || watched == LinksTspSkinMemo) {
        const bool isEdit = watched == WebsiteTspSkinEdit;
        if (type == QEvent::FocusIn && movesBetweenControls(event)) {
            isEdit ? WebsiteTspSkinEditEnter() : LinksTspSkinMemoEnter();
        } else if (type == QEvent::FocusOut && movesBetweenControls(event)) {
            isEdit ? WebsiteTspSkinEditExit() : LinksTspSkinMemoExit();
        } else if (type == QEvent::KeyPress) {
            // Ctrl+A selects the whole text; the key then goes on to the field as usual.
            const auto *key = static_cast<QKeyEvent *>(event);
            isEdit ? WebsiteTspSkinEditKeyDown(key->key(), key->modifiers())
                   : LinksTspSkinMemoKeyDown(key->key(), key->modifiers());
        }
    } else if ((watched == spSkinLinkImage1 || watched == spSkinLinkLabel3 ||
                watched == spSkinLinkLabel1) &&
               type == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        m_opener->open(QLatin1String(kPublisherAddress));
        return true;
    }
    return false;
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
