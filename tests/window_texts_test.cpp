// Every text the window can show is whole at the designed geometry, measured with the fonts the
// window really uses; controls that cannot fit a text grow instead of cutting it.
#include "run/gauge_value.h"
#include "run/status_texts.h"
#include "support/model_rows.h"
#include "support/qt_print.h"
#include "support/window_fixture.h"
#include "ui/gauge_widget.h"
#include "ui/results_list_view.h"
#include "ui/row_images.h"
#include "ui/status_panel.h"
#include "ui/window_fonts.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <cmath>

namespace orvane {
namespace {

class WindowTexts : public testing::WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    // Every number with each digit in every place, up to `maxDigits` digits.
    static QList<int> numbersUpTo(int maxDigits)
    {
        QList<int> numbers{0};
        for (int digits = 1; digits <= maxDigits; ++digits) {
            for (int digit = 1; digit <= 9; ++digit) {
                numbers << QString(digits, QChar(u'0' + digit)).toInt();
            }
        }
        return numbers;
    }

    static int textWidth(const QWidget *widget, const QString &text)
    {
        return widget->fontMetrics().horizontalAdvance(text);
    }

    // Everything a panel shows must fit in its designed width with the window's own font.
    static void expectWholeAtDesignedWidth(const StatusPanel *panel, const QStringList &texts)
    {
        for (const QString &text : texts) {
            EXPECT_EQ(panel->widthFor(text), panel->designedWidth())
                << qPrintable(panel->objectName()) << ": " << qPrintable(text);
        }
    }
};

bool tahomaInstalled()
{
    for (const QString &file : bundledTahomaFiles()) {
        if (QFile::exists(file)) {
            return true;
        }
    }
    return QFontInfo(QFont(QStringLiteral("Tahoma"))).family() == QStringLiteral("Tahoma");
}

TEST_F(WindowTexts, TheWindowAndTheListUseTahomaAtTheirDesignedSizes)
{
    if (!tahomaInstalled()) {
        GTEST_SKIP() << "no Tahoma on this machine (Debian: fonts-wine)";
    }
    EXPECT_EQ(QFontInfo(websiteEdit()->font()).family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(QFontInfo(child<QLabel>("spSkinLabel2")->font()).family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(child<QLabel>("spSkinLabel2")->font().pixelSize(), kWindowFontPixels);
    EXPECT_EQ(child<QCheckBox>("AutoScrollTspSkinCheckRadioBox")->font().pixelSize(),
              kWindowFontPixels);
    EXPECT_EQ(QFontInfo(resultsList()->font()).family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(resultsList()->font().pixelSize(), kListFontPixels);
}

TEST_F(WindowTexts, CaptionsAreWholeInBothSearchModes)
{
    for (QRadioButton *mode : {child<QRadioButton>("Cauta_Dupa_HTMLTspSkinCheckRadioBox"),
                               child<QRadioButton>("Show_in_Tray_IconTspSkinCheckRadioBox")}) {
        mode->setChecked(true);
        // The label sizes itself to its text and stays clear of the edit.
        const QLabel *label = child<QLabel>("spSkinLabel2");
        EXPECT_EQ(label->pos(), QPoint(8, 14));
        EXPECT_GE(label->width(), textWidth(label, label->text())) << qPrintable(label->text());
        EXPECT_LT(label->geometry().right(), websiteEdit()->x());
    }
    const QWidget *captions[] = {
        child<QLabel>("spSkinLabel1"), child<QToolButton>("HelpTspSkinMenuSpeedButton"),
        child<QLabel>("spSkinLinkLabel3"), child<QLabel>("spSkinLinkLabel1")};
    for (const QWidget *control : captions) {
        EXPECT_LE(control->sizeHint().width(), control->width())
            << qPrintable(control->objectName());
    }
    // Radio and check boxes: the caption fits in the room the style leaves beside the indicator.
    const std::pair<const QAbstractButton *, QStyle::SubElement> boxes[] = {
        {child<QRadioButton>("Show_in_Tray_IconTspSkinCheckRadioBox"),
         QStyle::SE_RadioButtonContents},
        {child<QRadioButton>("Cauta_Dupa_HTMLTspSkinCheckRadioBox"),
         QStyle::SE_RadioButtonContents},
        {child<QCheckBox>("AutoScrollTspSkinCheckRadioBox"), QStyle::SE_CheckBoxContents}};
    for (const auto &[box, contents] : boxes) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        const QRect room = box->style()->subElementRect(contents, &option, box);
        EXPECT_LE(textWidth(box, box->text()), room.width()) << qPrintable(box->objectName());
    }
    for (const QString &caption : {QStringLiteral("Start"), QStringLiteral("Stop")}) {
        child<QPushButton>("spSkinSpeedButton1")->setText(caption);
        EXPECT_LE(child<QPushButton>("spSkinSpeedButton1")->sizeHint().width(),
                  child<QPushButton>("spSkinSpeedButton1")->width());
    }
    // "Search for:" ends before the Links radio box begins.
    EXPECT_LT(child<QLabel>("spSkinLabel1")->x() +
                  textWidth(child<QLabel>("spSkinLabel1"), child<QLabel>("spSkinLabel1")->text()),
              child<QRadioButton>("Show_in_Tray_IconTspSkinCheckRadioBox")->x());
}

TEST_F(WindowTexts, StatusPanelsShowEveryTextTheyCanTakeWhole)
{
    if (!tahomaInstalled()) {
        GTEST_SKIP() << "the designed widths are measured for Tahoma";
    }
    QStringList threads{QStringLiteral("Threads 0")};
    for (const QAction *item : child<QMenu>("ThreadsTspSkinPopupMenu")->actions()) {
        const int limit = item->data().toInt();
        for (int live = 0; live <= limit; ++live) {
            threads << threadsPanelText(live, limit);
        }
    }
    expectWholeAtDesignedWidth(child<StatusPanel>("ThreadsTspSkinStatusPanel"), threads);

    QStringList timeOuts{QStringLiteral("Time Out 30s")};
    for (const QAction *item : child<QMenu>("TimeOutTspSkinPopupMenu")->actions()) {
        timeOuts << item->text();
    }
    expectWholeAtDesignedWidth(child<StatusPanel>("TimeOutTspSkinStatusPanel"), timeOuts);

    const QList<int> counts = numbersUpTo(5); // lists of up to 99999 lines
    QStringList totals{QStringLiteral("Orvane 1.4")};
    QStringList found{QStringLiteral("Found 0 (0%)")};
    QStringList notFound{QStringLiteral("Not Found 0 (0%)")};
    const QLocale locale = form.scheduler().services().locale;
    for (const int a : counts) {
        totals << totalPanelText(a);
        for (const int b : counts) {
            totals << progressPanelText(a, b);
            if (const auto text = foundPanelText(a, b, locale)) {
                found << *text;
            }
            if (const auto text = notFoundPanelText(a, b, locale)) {
                notFound << *text;
            }
        }
    }
    expectWholeAtDesignedWidth(child<StatusPanel>("TotalTspSkinStatusPanel"), totals);
    expectWholeAtDesignedWidth(child<StatusPanel>("FoundTspSkinStatusPanel"), found);
    expectWholeAtDesignedWidth(child<StatusPanel>("NotFoundTspSkinStatusPanel"), notFound);

    GaugeValue gauge;
    for (int value = 0; value <= 100; ++value) {
        gauge.setValue(value);
        EXPECT_LE(textWidth(child<GaugeWidget>("spSkinGauge1"), gauge.text()),
                  child<GaugeWidget>("spSkinGauge1")->width() - 4)
            << qPrintable(gauge.text());
    }
}

TEST_F(WindowTexts, StatusBarPanelsSitSideBySideAtTheirDesignedPlaces)
{
    if (!tahomaInstalled()) {
        GTEST_SKIP() << "the designed widths are measured for Tahoma";
    }
    const QWidget *bar = form.statusBar();
    const auto panels = statusBarPanels();
    const QRect designed[] = {{0, 0, 145, 21},   {145, 0, 140, 21}, {285, 0, 88, 21},
                              {373, 0, 173, 21}, {546, 0, 178, 21}, {724, 0, 81, 21}};
    for (int i = 0; i < 6; ++i) {
        const QRect inBar(panels[i]->mapTo(bar, QPoint(0, 0)), panels[i]->size());
        EXPECT_EQ(inBar, designed[i]) << qPrintable(panels[i]->objectName());
    }
    EXPECT_EQ(bar->height(), 21);
    EXPECT_EQ(child<QLabel>("spSkinLinkLabel1")->geometry(), QRect(835, 0, 114, 21));
}

TEST_F(WindowTexts, AWidePanelTextGrowsItsPanelAndNothingOverlapsInASmallWindow)
{
    const QWidget *bar = form.statusBar();
    const QList<const QWidget *> panels = {child<StatusPanel>("TotalTspSkinStatusPanel"),
                                           child<GaugeWidget>("spSkinGauge1"),
                                           child<StatusPanel>("ThreadsTspSkinStatusPanel"),
                                           child<StatusPanel>("FoundTspSkinStatusPanel"),
                                           child<StatusPanel>("NotFoundTspSkinStatusPanel"),
                                           child<StatusPanel>("TimeOutTspSkinStatusPanel")};
    const auto inBar = [bar](const QWidget *widget) {
        return QRect(widget->mapTo(bar, QPoint(0, 0)), widget->size());
    };
    // More text than a designed width can take: the panel grows, the ones after it move.
    const QString wide = QStringLiteral("Threads 500/500 and then some more words");
    child<StatusPanel>("ThreadsTspSkinStatusPanel")->setText(wide);
    form.resize(700, 400);
    QApplication::processEvents();
    EXPECT_GT(child<StatusPanel>("ThreadsTspSkinStatusPanel")->width(), 88);
    const QRect text = child<StatusPanel>("ThreadsTspSkinStatusPanel")->contentsRect();
    EXPECT_GE(text.width(), textWidth(child<StatusPanel>("ThreadsTspSkinStatusPanel"), wide));
    for (int i = 0; i + 1 < panels.size(); ++i) {
        EXPECT_EQ(inBar(panels[i]).right() + 1, inBar(panels[i + 1]).left()) << i;
    }
    // The window edge cuts the panels; the link is pushed out rather than drawn over them.
    EXPECT_GT(inBar(panels.last()).right(), bar->width());
    EXPECT_GT(inBar(child<QLabel>("spSkinLinkLabel1")).left(), inBar(panels.last()).right());
}

// The window goes no smaller than keeps its controls apart, the status bar's panels included.
TEST_F(WindowTexts, TheSmallestWindowKeepsEveryControlApart)
{
    form.resize(100, 100);
    QApplication::processEvents();
    EXPECT_GT(form.width(), 100);
    EXPECT_GT(form.height(), 100);
    const auto apart = [](const QWidget *parent) {
        QList<QRect> taken;
        for (const QObject *object : parent->children()) {
            const auto *widget = qobject_cast<const QWidget *>(object);
            if (widget == nullptr || !widget->isVisible()) {
                continue;
            }
            for (const QRect &other : taken) {
                EXPECT_FALSE(widget->geometry().intersects(other))
                    << qPrintable(widget->objectName()) << " overlaps another control";
            }
            taken << widget->geometry();
        }
    };
    apart(form.centralWidget());
    apart(form.statusBar());
}

TEST_F(WindowTexts, ColumnsOfKnownTextsShowThemWholeAndAddressesAreCutInTheMiddle)
{
    QTreeView *list = resultsList();
    const QFontMetrics metrics(list->font());
    const int margin =
        2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
    const QLocale locale = form.scheduler().services().locale;
    for (int column = 0; column < ResultColumnCount; ++column) {
        const int width = list->columnWidth(column);
        EXPECT_GE(width, kResultColumns[static_cast<std::size_t>(column)].width) << column;
        // A verdict's badge is wider than its word.
        const int badge = column == VerdictColumn ? 2 * kVerdictBadgePadding : 0;
        for (const QString &text : closedColumnTexts(column, locale)) {
            EXPECT_LE(metrics.horizontalAdvance(text) + margin + badge, width)
                << column << ": " << qPrintable(text);
        }
    }
    // The texts the columns name are among the ones measured.
    EXPECT_TRUE(closedColumnTexts(FoundColumn, locale).contains(QStringLiteral("Searching...")));
    EXPECT_TRUE(closedColumnTexts(FileSizeColumn, locale).contains(QStringLiteral("99999999")));
    EXPECT_TRUE(
        closedColumnTexts(DateCheckedColumn, locale)
            .contains(dateCheckedText(QDateTime(QDate(2026, 12, 28), QTime(22, 58, 58)), locale)));
    EXPECT_LE(metrics.horizontalAdvance(QStringLiteral("Downloading...")) + margin,
              list->columnWidth(AnchorTextColumn));
    // Free texts keep the designed widths.
    for (const int column : {UrlColumn, AnchorTextColumn, UrlFoundColumn}) {
        EXPECT_EQ(list->columnWidth(column),
                  kResultColumns[static_cast<std::size_t>(column)].width);
    }
}

// The placeholders are the fields' text, drawn in the palette's placeholder colour so that they do
// not look typed; typed text is not.
TEST_F(WindowTexts, PlaceholdersDoNotLookTyped)
{
    const QColor placeholder = QGuiApplication::palette().color(QPalette::PlaceholderText);
    const std::array<QWidget *, 2> fields = {websiteEdit(), pagesMemo()};
    for (QWidget *field : fields) {
        EXPECT_EQ(field->palette().color(QPalette::Text), placeholder)
            << qPrintable(field->objectName());
    }
    websiteEdit()->setText(QStringLiteral("site.example"));
    pagesMemo()->setPlainText(QStringLiteral("https://a.example/"));
    for (QWidget *field : fields) {
        EXPECT_NE(field->palette().color(QPalette::Text), placeholder)
            << qPrintable(field->objectName());
    }
}

// The word on each badge is readable whatever the row's background (white, or either selection
// colour): it keeps the WCAG contrast for text with its own badge, and no two badges look alike.
TEST(VerdictBadges, KeepTheirWordReadableAndDifferFromEachOther)
{
    const auto luminance = [](const QColor &colour) {
        const auto linear = [](double c) {
            return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
               0.0722 * linear(colour.blueF());
    };
    QList<QRgb> fills;
    for (const Verdict verdict :
         {Verdict::Live, Verdict::Weak, Verdict::Lost, Verdict::Unverified}) {
        const BadgeColours colours = verdictColours(verdict);
        const double lighter = std::max(luminance(colours.fill), luminance(colours.text));
        const double darker = std::min(luminance(colours.fill), luminance(colours.text));
        EXPECT_GE((lighter + 0.05) / (darker + 0.05), 4.5) << qPrintable(verdictText(verdict));
        EXPECT_FALSE(fills.contains(colours.fill.rgb())) << qPrintable(verdictText(verdict));
        fills << colours.fill.rgb();
    }
}

// Exposes the delegate's styling of a cell.
class CellStyle : public RowImageDelegate
{
public:
    using RowImageDelegate::RowImageDelegate;
    QStyleOptionViewItem optionFor(const QModelIndex &index, const QWidget *view) const
    {
        QStyleOptionViewItem option;
        option.widget = view;
        initStyleOption(&option, index);
        return option;
    }
};

TEST_F(WindowTexts, CellsShowTheirWholeTextAsTooltipAndTheSelectionFollowsTheFocus)
{
    const QString address = QStringLiteral("https://a-rather-long-host-name.example/some/deep/path/"
                                           "that/does/not/fit/page-17.html");
    testing::addReportedRow(*form.results(), address,
                            {true, address, QStringLiteral("An anchor"), {}, 754801});
    for (int column = 0; column < ResultColumnCount; ++column) {
        const QModelIndex index = form.results()->index(0, column);
        EXPECT_EQ(index.data(Qt::ToolTipRole).toString(), index.data().toString()) << column;
    }

    auto *list = child<ResultsListView>("DownloadsTspSkinListView");
    const CellStyle style;
    EXPECT_EQ(style.optionFor(form.results()->index(0, UrlColumn), list).textElideMode,
              Qt::ElideMiddle);
    EXPECT_EQ(style.optionFor(form.results()->index(0, UrlFoundColumn), list).textElideMode,
              Qt::ElideMiddle);
    EXPECT_EQ(style.optionFor(form.results()->index(0, AnchorTextColumn), list).textElideMode,
              Qt::ElideRight);

    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    list->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(list->hasFocus());
    const QColor focused =
        style.optionFor(form.results()->index(0, 0), list).palette.color(QPalette::Highlight);
    EXPECT_EQ(focused, QGuiApplication::palette().color(QPalette::Active, QPalette::Highlight));
    websiteEdit()->setFocus(Qt::OtherFocusReason);
    const QStyleOptionViewItem unfocused = style.optionFor(form.results()->index(0, 0), list);
    EXPECT_NE(unfocused.palette.color(QPalette::Highlight), focused);
    EXPECT_NE(unfocused.palette.color(QPalette::Highlight), list->palette().color(QPalette::Base));
}

TEST_F(WindowTexts, ScrollBarsAreNineteenPixelsAndRowsKeepTheirHeight)
{
    pagesMemo()->setPlainText(QString(400, u'x') + QString(40, u'\n'));
    QApplication::processEvents();
    EXPECT_EQ(pagesMemo()->verticalScrollBar()->width(), 19);
    EXPECT_EQ(pagesMemo()->horizontalScrollBar()->height(), 19);
    for (int i = 0; i < 60; ++i) {
        form.results()->appendRow(QString(500, u'w'));
    }
    ASSERT_TRUE(
        testing::waitUntil([this] { return resultsList()->verticalScrollBar()->isVisible(); }));
    EXPECT_EQ(resultsList()->verticalScrollBar()->width(), 19);
    EXPECT_EQ(resultsList()->horizontalScrollBar()->height(), 19);

    // Rows keep their height with the row images scrolled out of view, as rows come in.
    const int rowHeight = resultsList()->visualRect(form.results()->index(0, UrlColumn)).height();
    resultsList()->horizontalScrollBar()->setValue(resultsList()->horizontalScrollBar()->maximum());
    form.results()->appendRow(QString(500, u'w'));
    QApplication::processEvents();
    EXPECT_EQ(resultsList()->visualRect(form.results()->index(0, RobotsColumn)).height(),
              rowHeight);
}

} // namespace
} // namespace orvane
