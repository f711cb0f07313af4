#include "ui/orvane_form.h"

#include "engine/page_source.h"
#include "engine/site_gate.h"
#include "engine/worker_counters.h"
#include "orvane_version.h"
#include "run/status_texts.h"
#include "ui/anchors.h"
#include "ui/command_menu.h"
#include "ui/desktop_services.h"
#include "ui/field_edits.h"
#include "ui/link_label.h"
#include "ui/memo_page_list.h"
#include "ui/results_list_view.h"
#include "ui/status_panel.h"
#include "ui/unhandled_errors.h"
#include "ui/window_fonts.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <functional>
#include <tuple>

namespace orvane {

namespace {

QString loadStyleSheet()
{
    QFile file(QStringLiteral(":/orvane/style.qss"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

TOrvaneTForm::TOrvaneTForm(QWidget *parent)
    : QMainWindow(parent), m_results(new ResultsModel(this)), m_bridge(new GuiBridge(this)),
      m_ownMessages(std::make_unique<DialogMessageSink>(this)),
      m_ownClipboard(std::make_unique<SystemClipboard>()),
      m_ownOpener(std::make_unique<BrowserOpener>()), m_messages(m_ownMessages.get()),
      m_clipboard(m_ownClipboard.get()), m_opener(m_ownOpener.get())
{
    setObjectName(QStringLiteral("TOrvaneTForm"));
    setWindowTitle(
        QStringLiteral("Orvane %1.%2 - by  ").arg(kProgramVersionMajor).arg(kProgramVersionMinor) +
        QLatin1String(kPublisherAddress));
    registerWindowFonts();
    setStyleSheet(loadStyleSheet() + placeholderStyleRule(QGuiApplication::palette().color(
                                         QPalette::PlaceholderText)));
    buildControls();
    buildMenus();
    buildScheduler();
    wireHandlers();
    spSkinPanel1->fitColumnsToTheirTexts(m_scheduler->services().locale);
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

void TOrvaneTForm::buildControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(client);
    setFont(windowFont());

    m_inputs = new InputsPanel(client);
    spSkinLabel2 = m_inputs->siteLabel();
    WebsiteTspSkinEdit = m_inputs->siteField();
    spSkinLabel1 = m_inputs->modeLabel();
    Show_in_Tray_IconTspSkinCheckRadioBox = m_inputs->linksMode();
    Cauta_Dupa_HTMLTspSkinCheckRadioBox = m_inputs->contentModeBox();
    Panel1 = m_inputs->pagesFrame();
    LinksTspSkinMemo = m_inputs->pagesField();
    HelpTspSkinMenuSpeedButton = m_inputs->cleaningButton();
    RemoveUrlsTspSkinPopupMenu = m_inputs->cleaningMenu();
    spSkinLinkImage1 = new LinkLabel(client);
    spSkinLinkImage1->setObjectName(QStringLiteral("spSkinLinkImage1"));
    spSkinLinkImage1->setPicture(QStringLiteral(":/orvane/publisher.svg"), QSize(183, 110));
    spSkinLinkImage1->setScaledContents(true);
    spSkinLinkImage1->setCursor(Qt::PointingHandCursor);
    spSkinLinkLabel3 = new LinkLabel(QLatin1String(kPublisherAddress), client);
    spSkinLinkLabel3->setObjectName(QStringLiteral("spSkinLinkLabel3"));
    QFont underlined = spSkinLinkLabel3->font();
    underlined.setUnderline(true);
    spSkinLinkLabel3->setFont(underlined);
    spSkinLinkLabel3->setCursor(Qt::PointingHandCursor);
    spSkinSpeedButton1 = new QPushButton(QStringLiteral("Start"), client);
    spSkinSpeedButton1->setObjectName(QStringLiteral("spSkinSpeedButton1"));
    spSkinSpeedButton1->setFocusPolicy(Qt::NoFocus);
    spSkinPanel1 = new ResultsPanel(m_results, client);
    DownloadsTspSkinListView = spSkinPanel1->list();
    ListeTspSkinPopupMenu = spSkinPanel1->contextMenu();
    EndUpdateTTimer = spSkinPanel1->endUpdateTimer();
    AutoScrollTspSkinCheckRadioBox = spSkinPanel1->autoScrollBox();
    StartTTimer = new QTimer(this);
    StartTTimer->setObjectName(QStringLiteral("StartTTimer"));
    placeControls(client);

    m_statusBar = new RunStatusBar(QUrl(QLatin1String(kPublisherAddress)).host(), this);
    setStatusBar(m_statusBar);
    TotalTspSkinStatusPanel = m_statusBar->totalPanel();
    spSkinGauge1 = m_statusBar->gauge();
    ThreadsTspSkinStatusPanel = m_statusBar->threadsPanel();
    FoundTspSkinStatusPanel = m_statusBar->foundPanel();
    NotFoundTspSkinStatusPanel = m_statusBar->notFoundPanel();
    TimeOutTspSkinStatusPanel = m_statusBar->timeOutPanel();
    spSkinLinkLabel1 = m_statusBar->publisherLink();
    ThreadsTspSkinPopupMenu = m_statusBar->threadsMenu();
    TimeOutTspSkinPopupMenu = m_statusBar->timeOutMenu();

    // The results list takes the focus first, so the fields keep their placeholders in view.
    setTabOrder(DownloadsTspSkinListView, WebsiteTspSkinEdit);
    setTabOrder(WebsiteTspSkinEdit, AutoScrollTspSkinCheckRadioBox);
    setTabOrder(AutoScrollTspSkinCheckRadioBox, LinksTspSkinMemo);
    setTabOrder(LinksTspSkinMemo, Show_in_Tray_IconTspSkinCheckRadioBox);
    setTabOrder(Show_in_Tray_IconTspSkinCheckRadioBox, Cauta_Dupa_HTMLTspSkinCheckRadioBox);
    DownloadsTspSkinListView->setFocus();
}

void TOrvaneTForm::placeControls(QWidget *client)
{
    // Places and sizes at 96 dpi in the designed client area (972 x 562 less the status bar), and
    // the edges each control follows as the window is resized.
    m_anchors = new Anchors(client, QSize(972, 562 - RunStatusBar::kHeight));
    constexpr int topLeft = Anchors::Left | Anchors::Top;
    constexpr int topRight = Anchors::Top | Anchors::Right;
    constexpr int across = Anchors::Left | Anchors::Top | Anchors::Right;
    const std::tuple<QWidget *, QRect, int> layout[] = {
        {WebsiteTspSkinEdit, {111, 16, 458, 19}, across},
        {spSkinLabel1, {580, 14, 58, 21}, topRight},
        {Show_in_Tray_IconTspSkinCheckRadioBox, {640, 12, 57, 25}, topRight},
        {Cauta_Dupa_HTMLTspSkinCheckRadioBox, {700, 12, 69, 25}, topRight},
        {spSkinLinkImage1, {781, 16, 183, 110}, topRight},
        {spSkinLinkLabel3, {796, 132, 148, 17}, topRight},
        {spSkinSpeedButton1, {8, 45, 97, 41}, topLeft},
        {HelpTspSkinMenuSpeedButton, {8, 92, 97, 30}, topLeft},
        // Ends where the page list begins, not a pixel into it.
        {AutoScrollTspSkinCheckRadioBox, {7, 128, 104, 18}, topLeft},
        {Panel1, {111, 45, 655, 101}, across},
        {spSkinPanel1, {8, 155, 956, 376}, across | Anchors::Bottom},
    };
    spSkinLabel2->setGeometry(8, 14, 94, 21);
    m_inputs->fitSiteLabel();
    for (const auto &[control, place, edges] : layout) {
        m_anchors->place(control, place, edges);
    }
    // No smaller than keeps every control apart.
    client->setMinimumSize(m_anchors->minimumSize());
}

template <class Sender, class Signal, class Handler>
void TOrvaneTForm::wire(Sender *sender, Signal signal, Handler handler)
{
    connect(sender, signal, this, reportingFailures(std::bind_front(handler, this)));
}

void TOrvaneTForm::wireHandlers()
{
    wire(WebsiteTspSkinEdit, &FieldLineEdit::entered, &TOrvaneTForm::WebsiteTspSkinEditEnter);
    wire(WebsiteTspSkinEdit, &FieldLineEdit::left, &TOrvaneTForm::WebsiteTspSkinEditExit);
    wire(LinksTspSkinMemo, &FieldPlainTextEdit::entered, &TOrvaneTForm::LinksTspSkinMemoEnter);
    wire(LinksTspSkinMemo, &FieldPlainTextEdit::left, &TOrvaneTForm::LinksTspSkinMemoExit);
    wire(WebsiteTspSkinEdit, &FieldLineEdit::keyPressed, &TOrvaneTForm::WebsiteTspSkinEditKeyDown);
    wire(LinksTspSkinMemo, &FieldPlainTextEdit::keyPressed, &TOrvaneTForm::LinksTspSkinMemoKeyDown);
    connect(m_inputs, &InputsPanel::linksModeChosen, this,
            &TOrvaneTForm::Show_in_Tray_IconTspSkinCheckRadioBoxClick);
    connect(m_inputs, &InputsPanel::contentModeChosen, this,
            &TOrvaneTForm::Cauta_Dupa_HTMLTspSkinCheckRadioBoxClick);

    wire(spSkinSpeedButton1, &QPushButton::clicked, &TOrvaneTForm::spSkinSpeedButton1Click);
    // Ctrl+Enter and F5 press it wherever the focus is; the button itself takes no focus.
    auto *startOrStop = new QAction(this);
    startOrStop->setObjectName(QStringLiteral("StartOrStopShortcut1"));
    startOrStop->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return),
                               QKeySequence(Qt::CTRL | Qt::Key_Enter), QKeySequence(Qt::Key_F5)});
    startOrStop->setShortcutContext(Qt::WindowShortcut);
    addAction(startOrStop);
    wire(startOrStop, &QAction::triggered, &TOrvaneTForm::spSkinSpeedButton1Click);
    connect(m_statusBar, &RunStatusBar::buttonCaptionChanged, spSkinSpeedButton1,
            &QPushButton::setText);
    for (LinkLabel *link : {spSkinLinkImage1, spSkinLinkLabel3, spSkinLinkLabel1}) {
        wire(link, &LinkLabel::clicked, &TOrvaneTForm::openPublisherPage);
    }

    wire(DownloadsTspSkinListView, &ResultsListView::keyPressed,
         &TOrvaneTForm::DownloadsTspSkinListViewKeyDown);
    wire(DownloadsTspSkinListView, &ResultsListView::viewportDoubleClicked,
         &TOrvaneTForm::DownloadsTspSkinListViewDblClick);
    connect(DownloadsTspSkinListView->selectionModel(), &QItemSelectionModel::selectionChanged,
            this, [this] {
                DownloadsTspSkinListViewSelectItem();
                offerCheckAgain();
            });
    connect(m_results, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int) { DownloadsTspSkinListViewInsert(first); });
    connect(EndUpdateTTimer, &QTimer::timeout, this, &TOrvaneTForm::EndUpdateTTimerTimer);

    connect(ThreadsTspSkinStatusPanel, &StatusPanel::clicked, this,
            &TOrvaneTForm::ThreadsTspSkinStatusPanelClick);
    connect(TimeOutTspSkinStatusPanel, &StatusPanel::clicked, this,
            &TOrvaneTForm::TimeOutTspSkinStatusPanelClick);
    connect(ThreadsTspSkinPopupMenu, &QMenu::aboutToShow, this,
            &TOrvaneTForm::ThreadsTspSkinPopupMenuPopup);
    connect(TimeOutTspSkinPopupMenu, &QMenu::aboutToShow, this,
            &TOrvaneTForm::TimeOutTspSkinPopupMenuPopup);
    wire(m_statusBar->workerLimits(), &QActionGroup::triggered, &TOrvaneTForm::N5Threads2Click);
    wire(m_statusBar->perSiteLimits(), &QActionGroup::triggered, &TOrvaneTForm::N1perSite1Click);
    wire(m_statusBar->timeOuts(), &QActionGroup::triggered, &TOrvaneTForm::imeOut10s2Click);
}

void TOrvaneTForm::buildMenus()
{
    // The copy commands' shortcuts act while the results list has the focus.
    static constexpr CommandItem<TOrvaneTForm> kResultsCommands[] = {
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
        {"CheckSelectedRowsAgain1", "Check Selected Rows Again",
         &TOrvaneTForm::CheckSelectedRowsAgain1Click, Qt::CTRL | Qt::Key_R},
        {"N4"},
        {"CopySelectedURLstoClipboardAllColumns1", "Copy Selected URLs to Clipboard + All Columns",
         &TOrvaneTForm::CopySelectedURLstoClipboardAllColumns1Click,
         Qt::CTRL | Qt::ALT | Qt::Key_C},
    };
    fillCommandMenu<TOrvaneTForm>(ListeTspSkinPopupMenu, kResultsCommands, this,
                                  DownloadsTspSkinListView);
    CheckSelectedRowsAgain1 =
        ListeTspSkinPopupMenu->findChild<QAction *>(QStringLiteral("CheckSelectedRowsAgain1"));
    CheckSelectedRowsAgain1->setEnabled(false); // nothing is selected yet

    static constexpr CommandItem<TOrvaneTForm> kCleaningCommands[] = {
        {"RemoveDuplicateURLs1", "Remove Duplicate URLs", &TOrvaneTForm::RemoveDuplicateURLs1Click},
        {"RemoveDuplicateDomains1", "Remove Duplicate Domains",
         &TOrvaneTForm::RemoveDuplicateDomains1Click},
        {"RemoveInvalidUrls1", "Remove Invalid Urls", &TOrvaneTForm::RemoveInvalidUrls1Click},
        {"N2"},
        {"rimtodomain1", "Trim to Domain", &TOrvaneTForm::rimtodomain1Click},
        {"N1"},
        {"RemoveEmptyLines1", "Remove Empty Lines", &TOrvaneTForm::RemoveEmptyLines1Click},
    };
    fillCommandMenu<TOrvaneTForm>(RemoveUrlsTspSkinPopupMenu, kCleaningCommands, this);
}

// The run: its settings and its scheduler.

void TOrvaneTForm::offerCheckAgain()
{
    // Greyed, and its key with it, while a run is under way or nothing is selected.
    CheckSelectedRowsAgain1->setEnabled(!StartTTimer->isActive() &&
                                        DownloadsTspSkinListView->selectionModel()->hasSelection());
}

void TOrvaneTForm::N5Threads2Click(QAction *item)
{
    m_scheduler->state().max_no_threads = item->data().toInt();
    ThreadsTspSkinStatusPanel->setText(
        threadsPanelText(no_threads.load(), m_scheduler->state().max_no_threads));
}

void TOrvaneTForm::N1perSite1Click(QAction *item)
{
    // The Threads panel names the worker limit only; the site limit shows as the menu's mark.
    SiteGate::shared().setLimit(item->data().toInt());
}

void TOrvaneTForm::imeOut10s2Click(QAction *item)
{
    m_scheduler->state().time_out = item->data().toInt();
    TimeOutTspSkinStatusPanel->setText(item->text());
}

void TOrvaneTForm::buildScheduler()
{
    RunScheduler::Services services;
    services.results = m_results;
    services.view = m_statusBar;
    services.messages = m_messages;
    services.workers = {std::make_shared<InternetPageSource>(), m_bridge->handle()};
    services.runningChanged = [this] { offerCheckAgain(); };
    m_scheduler = std::make_unique<RunScheduler>(*StartTTimer, *m_inputs, std::move(services));
}

} // namespace orvane
