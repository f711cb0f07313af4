#include "ui/inputs_panel.h"

#include "run/desktop_seams.h"
#include "run/run_scheduler.h"
#include "ui/field_edits.h"
#include "ui/memo_page_list.h"
#include "ui/tab_stop_radio_button.h"

#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

namespace orvane {

InputsPanel::InputsPanel(QWidget *client)
    : QObject(client), m_siteLabel(new QLabel(QStringLiteral("Your Website URL:"), client)),
      m_site(new FieldLineEdit(client)),
      m_modeLabel(new QLabel(QStringLiteral("Search for:"), client)),
      m_links(new TabStopRadioButton(QStringLiteral("Links"), client)),
      m_content(new TabStopRadioButton(QStringLiteral("Content"), client)),
      m_pagesFrame(new QFrame(client)), m_pages(new FieldPlainTextEdit(m_pagesFrame)),
      m_pageList(std::make_unique<MemoPageList>(*m_pages)),
      m_cleaningButton(new QToolButton(client)), m_cleaningMenu(new QMenu(client))
{
    m_siteLabel->setObjectName(QStringLiteral("spSkinLabel2"));
    m_site->setObjectName(QStringLiteral("WebsiteTspSkinEdit"));
    m_modeLabel->setObjectName(QStringLiteral("spSkinLabel1"));
    m_links->setObjectName(QStringLiteral("Show_in_Tray_IconTspSkinCheckRadioBox"));
    m_links->setChecked(true);
    m_content->setObjectName(QStringLiteral("Cauta_Dupa_HTMLTspSkinCheckRadioBox"));

    m_pagesFrame->setObjectName(QStringLiteral("Panel1"));
    m_pages->setObjectName(QStringLiteral("LinksTspSkinMemo"));
    m_pages->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab moves on to the next control, as in any other field of the window.
    m_pages->setTabChangesFocus(true);
    m_pages->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pages->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto *memoLayout = new QVBoxLayout(m_pagesFrame);
    memoLayout->setContentsMargins(0, 0, 0, 0);
    memoLayout->addWidget(m_pages);

    m_cleaningButton->setObjectName(QStringLiteral("HelpTspSkinMenuSpeedButton"));
    m_cleaningButton->setText(QStringLiteral("Remove URLs"));
    m_cleaningButton->setFocusPolicy(Qt::NoFocus);
    // The menu drops below the button, which stays pressed while the menu is open.
    m_cleaningButton->setPopupMode(QToolButton::InstantPopup);
    m_cleaningMenu->setObjectName(QStringLiteral("RemoveUrlsTspSkinPopupMenu"));
    m_cleaningButton->setMenu(m_cleaningMenu);

    connect(m_links, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            emit linksModeChosen();
        }
    });
    connect(m_content, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            emit contentModeChosen();
        }
    });
    connect(m_site, &QLineEdit::textChanged, this, [this](const QString &text) {
        markPlaceholderShown(m_site, text == QLatin1String(kLinksPlaceholder) ||
                                         text == QLatin1String(kContentPlaceholder));
    });
    connect(m_pages, &QPlainTextEdit::textChanged, this,
            [this] { markPlaceholderShown(m_pages, pagesShowPlaceholder()); });
}

InputsPanel::~InputsPanel() = default;

bool InputsPanel::pagesShowPlaceholder() const
{
    // Compared only when the length fits: a long list is not copied on every key or tick.
    const QLatin1String placeholder(kPagesPlaceholder);
    const QTextDocument *text = m_pages->document();
    return text->characterCount() == placeholder.size() + 1 && text->toPlainText() == placeholder;
}

const PageList &InputsPanel::pages()
{
    return pagesShowPlaceholder() ? static_cast<const PageList &>(m_noLines) : *m_pageList;
}

QString InputsPanel::target()
{
    return wanted() == Wanted::Nothing ? m_site->text() : QString();
}

RunInputs::Wanted InputsPanel::wanted()
{
    const QString text = m_site->text();
    if (text == QLatin1String(kLinksPlaceholder)) {
        return Wanted::Website;
    }
    return text == QLatin1String(kContentPlaceholder) ? Wanted::Content : Wanted::Nothing;
}

bool InputsPanel::contentMode()
{
    return m_content->isChecked();
}

void InputsPanel::fitSiteLabel()
{
    m_siteLabel->ensurePolished();
    m_siteLabel->resize(m_siteLabel->sizeHint().width(), m_siteLabel->height());
}

void InputsPanel::takeSitePlaceholder()
{
    if (m_site->text() == QLatin1String(kLinksPlaceholder)) {
        m_site->clear();
    }
}

void InputsPanel::showSitePlaceholder()
{
    if (m_site->text().isEmpty()) {
        m_site->setText(QLatin1String(kLinksPlaceholder));
    }
}

void InputsPanel::takePagesPlaceholder()
{
    // Taken out without a trace in the memo's undo history.
    m_pageList->takePlaceholder(QLatin1String(kPagesPlaceholder));
}

void InputsPanel::showPagesPlaceholder()
{
    // Only into an empty memo; the user's history stays.
    m_pageList->showPlaceholder(QLatin1String(kPagesPlaceholder));
}

bool InputsPanel::selectAllOfSiteOnKey(int key, Qt::KeyboardModifiers modifiers)
{
    if (isSelectAllKey(key, modifiers)) {
        m_site->selectAll();
        return true;
    }
    return false;
}

bool InputsPanel::selectAllOfPagesOnKey(int key, Qt::KeyboardModifiers modifiers)
{
    if (isSelectAllKey(key, modifiers)) {
        m_pages->selectAll();
        return true;
    }
    return false;
}

void InputsPanel::clean(CleaningOutcome (*command)(PageList &), MessageSink &messages)
{
    const CleaningOutcome outcome = command(*m_pageList);
    messages.information(outcome.message);
}

void InputsPanel::searchForLinks()
{
    m_siteLabel->setText(QStringLiteral("Your Website URL:"));
    fitSiteLabel();
    if (m_site->text() == QLatin1String(kContentPlaceholder)) {
        m_site->setText(QLatin1String(kLinksPlaceholder));
    }
}

void InputsPanel::searchForContent()
{
    m_siteLabel->setText(QStringLiteral("Your HTML Content:"));
    fitSiteLabel();
    if (m_site->text() == QLatin1String(kLinksPlaceholder)) {
        m_site->setText(QLatin1String(kContentPlaceholder));
    }
}

} // namespace orvane
