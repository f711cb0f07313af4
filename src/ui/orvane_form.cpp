#include "ui/orvane_form.h"

#include "engine/page_source.h"
#include "engine/site_gate.h"
#include "ui/anchors.h"
#include "ui/desktop_services.h"
#include "ui/field_edits.h"
#include "ui/gauge_widget.h"
#include "ui/link_label.h"
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
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QSvgRenderer>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>
#include <QtMath>

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

template <class Object> Object *named(Object *object, const char *name)
{
    object->setObjectName(QLatin1String(name));
    return object;
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
    registerWindowFonts();
    setStyleSheet(loadStyleSheet() + placeholderStyleRule(QGuiApplication::palette().color(
                                         QPalette::PlaceholderText)));
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
    WebsiteTspSkinEdit = named(new FieldLineEdit(client), "WebsiteTspSkinEdit");
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
    // Ctrl+Enter and F5 press it wherever the focus is; the button itself takes no focus.
    auto *startOrStop = named(new QAction(this), "StartOrStopShortcut1");
    startOrStop->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return),
                               QKeySequence(Qt::CTRL | Qt::Key_Enter), QKeySequence(Qt::Key_F5)});
    startOrStop->setShortcutContext(Qt::WindowShortcut);
    addAction(startOrStop);
    connect(startOrStop, &QAction::triggered, this,
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
    // Ends where the page list begins, not a pixel into it.
    m_anchors->place(AutoScrollTspSkinCheckRadioBox, QRect(7, 128, 104, 18));

    Panel1 = named(new QFrame(client), "Panel1");
    m_anchors->place(Panel1, QRect(111, 45, 655, 101), across);
    LinksTspSkinMemo = named(new FieldPlainTextEdit(Panel1), "LinksTspSkinMemo");
    LinksTspSkinMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab moves on to the next control, as in any other field of the window.
    LinksTspSkinMemo->setTabChangesFocus(true);
    LinksTspSkinMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    LinksTspSkinMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto *memoLayout = new QVBoxLayout(Panel1);
    memoLayout->setContentsMargins(0, 0, 0, 0);
    memoLayout->addWidget(LinksTspSkinMemo);
    m_pageList = std::make_unique<MemoPageList>(*LinksTspSkinMemo);
    connect(WebsiteTspSkinEdit, &FieldLineEdit::entered, this,
            reportingFailures([this] { WebsiteTspSkinEditEnter(); }));
    connect(WebsiteTspSkinEdit, &FieldLineEdit::left, this,
            reportingFailures([this] { WebsiteTspSkinEditExit(); }));
    connect(LinksTspSkinMemo, &FieldPlainTextEdit::entered, this,
            reportingFailures([this] { LinksTspSkinMemoEnter(); }));
    connect(LinksTspSkinMemo, &FieldPlainTextEdit::left, this,
            reportingFailures([this] { LinksTspSkinMemoExit(); }));
    connect(WebsiteTspSkinEdit, &QLineEdit::textChanged, this, [this](const QString &text) {
        markPlaceholderShown(WebsiteTspSkinEdit, text == QLatin1String(kLinksPlaceholder) ||
                                                     text == QLatin1String(kContentPlaceholder));
    });
    connect(LinksTspSkinMemo, &QPlainTextEdit::textChanged, this, [this] {
        // Compared only when the length fits: a long list is not copied on every key.
        const QTextDocument *text = LinksTspSkinMemo->document();
        const QLatin1String placeholder(kPagesPlaceholder);
        markPlaceholderShown(LinksTspSkinMemo, text->characterCount() == placeholder.size() + 1 &&
                                                   text->toPlainText() == placeholder);
    });
    connect(WebsiteTspSkinEdit, &FieldLineEdit::keyPressed, this,
            reportingFailures([this](int key, Qt::KeyboardModifiers shift) {
                WebsiteTspSkinEditKeyDown(key, shift);
            }));
    connect(LinksTspSkinMemo, &FieldPlainTextEdit::keyPressed, this,
            reportingFailures([this](int key, Qt::KeyboardModifiers shift) {
                LinksTspSkinMemoKeyDown(key, shift);
            }));

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
    connect(DownloadsTspSkinListView, &ResultsListView::keyPressed, this,
            reportingFailures([this](int key, Qt::KeyboardModifiers shift) {
                DownloadsTspSkinListViewKeyDown(key, shift);
            }));
    connect(DownloadsTspSkinListView, &ResultsListView::viewportDoubleClicked, this,
            reportingFailures([this] { DownloadsTspSkinListViewDblClick(); }));
    connect(DownloadsTspSkinListView->selectionModel(), &QItemSelectionModel::selectionChanged,
            this, [this] { DownloadsTspSkinListViewSelectItem(); });
    connect(m_results, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int) { DownloadsTspSkinListViewInsert(first); });

    EndUpdateTTimer = named(new QTimer(this), "EndUpdateTTimer");
    EndUpdateTTimer->setInterval(1);
    connect(EndUpdateTTimer, &QTimer::timeout, this, &TOrvaneTForm::EndUpdateTTimerTimer);
    StartTTimer = named(new QTimer(this), "StartTTimer");

    // No smaller than keeps every control apart.
    client->setMinimumSize(m_anchors->minimumSize());

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
    spSkinLinkLabel1 = named(new LinkLabel(publisherHost(), bar), "spSkinLinkLabel1");
    spSkinLinkLabel1->setFixedSize(114, kStatusBarHeight);
    spSkinLinkLabel1->setCursor(Qt::PointingHandCursor);
    spSkinLinkLabel1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(spSkinLinkLabel1, &LinkLabel::clicked, this,
            reportingFailures([this] { openPublisherPage(); }));
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
    // Fractional advances: the delegate lays text out unrounded and elides what is a fraction
    // of a pixel too wide.
    const QFontMetricsF metrics(list->font());
    int wanted = std::max(kResultColumns[static_cast<std::size_t>(column)].width,
                          list->header()->sectionSizeHint(column));
    // A verdict is drawn on a badge, wider than its word.
    const int badge = column == VerdictColumn ? 2 * kVerdictBadgePadding : 0;
    for (const QString &text : closedColumnTexts(column, m_scheduler->services().locale)) {
        wanted = std::max(wanted, qCeil(metrics.horizontalAdvance(text)) + textMargin + badge);
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

void TOrvaneTForm::fillCommandMenu(QMenu *menu, std::span<const CommandItem> items,
                                   QWidget *shortcutScope)
{
    for (const CommandItem &row : items) {
        if (row.caption == nullptr) {
            menu->addSeparator()->setObjectName(QLatin1String(row.objectName));
            continue;
        }
        QAction *item = named(menu->addAction(QLatin1String(row.caption)), row.objectName);
        if (row.shortcut.key() != Qt::Key_unknown) {
            Q_ASSERT(shortcutScope != nullptr);
            item->setShortcut(row.shortcut);
            item->setShortcutContext(Qt::WidgetShortcut);
            shortcutScope->addAction(item);
        }
        connect(item, &QAction::triggered, this,
                reportingFailures([this, handler = row.handler] { (this->*handler)(); }));
    }
}

QAction *TOrvaneTForm::fillSettingsMenu(QMenu *menu, std::span<const SettingItem> items,
                                        void (TOrvaneTForm::*handler)(QAction *))
{
    // Choosing the marked item again takes its mark away.
    auto *group = new QActionGroup(menu);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    QAction *chosen = nullptr;
    for (const SettingItem &row : items) {
        QAction *item = named(menu->addAction(QLatin1String(row.caption)), row.objectName);
        item->setCheckable(true);
        item->setData(row.value);
        group->addAction(item);
        connect(item, &QAction::triggered, this,
                reportingFailures([this, item, handler] { (this->*handler)(item); }));
        if (row.isDefault) {
            chosen = item;
        }
    }
    return chosen;
}

void TOrvaneTForm::buildMenus()
{
    // The copy commands' shortcuts act while the results list has the focus.
    static constexpr CommandItem kResultsCommands[] = {
        {"CopyURL1", "Copy Selected URLs to Clipboard", &TOrvaneTForm::CopyURL1Click,
         Qt::CTRL | Qt::Key_C},
        {"CopySelectedURLstoClipboardColumns1", "Copy Selected URLs to Clipboard + Columns",
         &TOrvaneTForm::CopySelectedURLstoClipboardColumns1Click, Qt::SHIFT | Qt::CTRL | Qt::Key_C},
        {"N3"},
        {"Selectall1", "Select All", &TOrvaneTForm::Selectall1Click},
        {"SelectSuccessfullylinks1", "Select Successfully links",
         &TOrvaneTForm::SelectSuccessfullylinks1Click},
        {"SelectFailedRows1", "Select Failed Rows", &TOrvaneTForm::SelectFailedRows1Click},
        {"SelectLostRows1", "Select Lost Rows", &TOrvaneTForm::SelectLostRows1Click},
        {"N4"},
        {"CopySelectedURLstoClipboardAllColumns1", "Copy Selected URLs to Clipboard + All Columns",
         &TOrvaneTForm::CopySelectedURLstoClipboardAllColumns1Click,
         Qt::CTRL | Qt::ALT | Qt::Key_C},
    };
    ListeTspSkinPopupMenu = named(new QMenu(this), "ListeTspSkinPopupMenu");
    fillCommandMenu(ListeTspSkinPopupMenu, kResultsCommands, DownloadsTspSkinListView);
    connect(DownloadsTspSkinListView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) {
                ListeTspSkinPopupMenu->popup(DownloadsTspSkinListView->viewport()->mapToGlobal(at));
            });

    static constexpr SettingItem kThreads[] = {
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
    static constexpr SettingItem kPerSite[] = {
        {"N1perSite1", "1 per Site", 1},
        {"N2perSite1", "2 per Site", 2},
        {"N4perSite1", "4 per Site", 4},
        {"N6perSite1", "6 per Site", 6, true},
        {"N10perSite1", "10 per Site", 10},
        {"N20perSite1", "20 per Site", 20},
        {"NoSiteLimit1", "No Site Limit", SiteGate::kNoLimit},
    };
    ThreadsTspSkinPopupMenu = named(new QMenu(this), "ThreadsTspSkinPopupMenu");
    m_defaultThreads =
        fillSettingsMenu(ThreadsTspSkinPopupMenu, kThreads, &TOrvaneTForm::N5Threads2Click);
    ThreadsTspSkinPopupMenu->addSeparator()->setObjectName(QStringLiteral("N6"));
    m_defaultPerSite =
        fillSettingsMenu(ThreadsTspSkinPopupMenu, kPerSite, &TOrvaneTForm::N1perSite1Click);

    // Milliseconds.
    static constexpr SettingItem kTimeOuts[] = {
        {"imeOut5s1", "Time Out 5s", 5000},          {"imeOut10s2", "Time Out 10s", 10000},
        {"imeOut30s1", "Time Out 30s", 30000, true}, {"imeOut40s2", "Time Out 40s", 40000},
        {"imeOut50s2", "Time Out 50s", 50000},       {"imeOut1min2", "Time Out 1 min", 60000},
        {"imeOut2min1", "Time Out 2 min", 120000},   {"imeOut5min2", "Time Out 5 min", 300000},
    };
    TimeOutTspSkinPopupMenu = named(new QMenu(this), "TimeOutTspSkinPopupMenu");
    m_defaultTimeOut =
        fillSettingsMenu(TimeOutTspSkinPopupMenu, kTimeOuts, &TOrvaneTForm::imeOut10s2Click);

    ThreadsTspSkinStatusPanel->setPopupMenu(ThreadsTspSkinPopupMenu);
    TimeOutTspSkinStatusPanel->setPopupMenu(TimeOutTspSkinPopupMenu);
    connect(ThreadsTspSkinPopupMenu, &QMenu::aboutToShow, this,
            &TOrvaneTForm::ThreadsTspSkinPopupMenuPopup);
    connect(TimeOutTspSkinPopupMenu, &QMenu::aboutToShow, this,
            &TOrvaneTForm::TimeOutTspSkinPopupMenuPopup);
}

namespace {

// The fields as a run reads them: a field that shows only its placeholder holds nothing.
class FieldInputs final : public RunInputs
{
public:
    FieldInputs(const QPlainTextEdit *memo, const PageList *pages, const QLineEdit *target,
                const QRadioButton *contentMode)
        : m_memo(memo), m_pages(pages), m_target(target), m_contentMode(contentMode)
    {}

    const PageList &pages() override
    {
        // Compared only when the length fits: a long list is not copied on every tick.
        const QLatin1String placeholder(kPagesPlaceholder);
        const QTextDocument *text = m_memo->document();
        const bool shown =
            text->characterCount() == placeholder.size() + 1 && text->toPlainText() == placeholder;
        return shown ? m_noLines : *m_pages;
    }
    QString target() override { return wanted() == Wanted::Nothing ? m_target->text() : QString(); }
    Wanted wanted() override
    {
        const QString text = m_target->text();
        if (text == QLatin1String(kLinksPlaceholder)) {
            return Wanted::Website;
        }
        return text == QLatin1String(kContentPlaceholder) ? Wanted::Content : Wanted::Nothing;
    }
    bool contentMode() override { return m_contentMode->isChecked(); }

private:
    const QPlainTextEdit *m_memo;
    const PageList *m_pages;
    const QLineEdit *m_target;
    const QRadioButton *m_contentMode;
    TextLines m_noLines;
};

} // namespace

void TOrvaneTForm::buildScheduler()
{
    m_runInputs =
        std::make_unique<FieldInputs>(LinksTspSkinMemo, m_pageList.get(), WebsiteTspSkinEdit,
                                      Cauta_Dupa_HTMLTspSkinCheckRadioBox);
    RunScheduler::Services services;
    services.results = m_results;
    services.view = this;
    services.messages = m_messageForwarder.get();
    services.workers = {std::make_shared<InternetPageSource>(), m_bridge->handle()};
    m_scheduler = std::make_unique<RunScheduler>(*StartTTimer, *m_runInputs, std::move(services));
}

void TOrvaneTForm::setWorkerEnvironment(const WorkerEnvironment &environment)
{
    m_scheduler->services().workers = environment;
}

void TOrvaneTForm::buildPublisherLinks(QWidget *client)
{
    spSkinLinkImage1 = named(new LinkLabel(client), "spSkinLinkImage1");
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
    m_anchors->place(spSkinLinkImage1, QRect(781, 16, 183, 110), Anchors::Top | Anchors::Right);

    spSkinLinkLabel3 =
        named(new LinkLabel(QLatin1String(kPublisherAddress), client), "spSkinLinkLabel3");
    QFont underlined = spSkinLinkLabel3->font();
    underlined.setUnderline(true);
    spSkinLinkLabel3->setFont(underlined);
    spSkinLinkLabel3->setCursor(Qt::PointingHandCursor);
    m_anchors->place(spSkinLinkLabel3, QRect(796, 132, 148, 17), Anchors::Top | Anchors::Right);
    for (LinkLabel *link : {spSkinLinkImage1, spSkinLinkLabel3}) {
        connect(link, &LinkLabel::clicked, this,
                reportingFailures([this] { openPublisherPage(); }));
    }
}

void TOrvaneTForm::openPublisherPage()
{
    m_opener->open(QLatin1String(kPublisherAddress));
}

void TOrvaneTForm::buildRemoveUrlsMenu()
{
    static constexpr CommandItem kCleaningCommands[] = {
        {"RemoveDuplicateURLs1", "Remove Duplicate URLs", &TOrvaneTForm::RemoveDuplicateURLs1Click},
        {"RemoveDuplicateDomains1", "Remove Duplicate Domains",
         &TOrvaneTForm::RemoveDuplicateDomains1Click},
        {"RemoveInvalidUrls1", "Remove Invalid Urls", &TOrvaneTForm::RemoveInvalidUrls1Click},
        {"N2"},
        {"rimtodomain1", "Trim to Domain", &TOrvaneTForm::rimtodomain1Click},
        {"N1"},
        {"RemoveEmptyLines1", "Remove Empty Lines", &TOrvaneTForm::RemoveEmptyLines1Click},
    };
    RemoveUrlsTspSkinPopupMenu = named(new QMenu(this), "RemoveUrlsTspSkinPopupMenu");
    fillCommandMenu(RemoveUrlsTspSkinPopupMenu, kCleaningCommands);
    HelpTspSkinMenuSpeedButton->setMenu(RemoveUrlsTspSkinPopupMenu);
}

void TOrvaneTForm::FormCreate()
{
    // (Asking the window system not to ghost a busy window is a Windows matter; nothing to do
    // here.) The defaults are chosen through the menus, exactly as the user would choose them.
    m_defaultThreads->trigger();
    m_defaultPerSite->trigger();
    m_defaultTimeOut->trigger();
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

bool TOrvaneTForm::WebsiteTspSkinEditKeyDown(int key, Qt::KeyboardModifiers shift)
{
    if (isSelectAllKey(key, shift)) {
        WebsiteTspSkinEdit->selectAll();
        return true;
    }
    return false;
}

bool TOrvaneTForm::LinksTspSkinMemoKeyDown(int key, Qt::KeyboardModifiers shift)
{
    if (isSelectAllKey(key, shift)) {
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
