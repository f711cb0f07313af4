#pragma once

#include "listtools/list_cleaning.h"
#include "run/run_scheduler.h"

#include <QObject>
#include <memory>

class QFrame;
class QLabel;
class QMenu;
class QRadioButton;
class QToolButton;
class QWidget;

namespace orvane {

class FieldLineEdit;
class FieldPlainTextEdit;
class MemoPageList;
class MessageSink;

// What a run starts from: the site field with its label, the search mode (links or content) and
// the page list in its frame with its cleaning menu ("Remove URLs"), each field with its
// placeholder. Its controls sit on the window's client area among the window's own, which places
// them all; the window wires their events and fills the menu with the commands here.
// As a run reads them (RunInputs), a field that shows only its placeholder holds nothing.
class InputsPanel : public QObject, public RunInputs
{
    Q_OBJECT
public:
    explicit InputsPanel(QWidget *client);
    ~InputsPanel() override;

    QLabel *siteLabel() const { return m_siteLabel; }
    FieldLineEdit *siteField() const { return m_site; }
    QLabel *modeLabel() const { return m_modeLabel; }
    QRadioButton *linksMode() const { return m_links; }
    QRadioButton *contentModeBox() const { return m_content; }
    QFrame *pagesFrame() const { return m_pagesFrame; }
    FieldPlainTextEdit *pagesField() const { return m_pages; }
    MemoPageList &pageList() const { return *m_pageList; }
    QToolButton *cleaningButton() const { return m_cleaningButton; }
    QMenu *cleaningMenu() const { return m_cleaningMenu; }

    // The site label sizes itself to its text, which the search mode switches; it never moves.
    void fitSiteLabel();

    // A field's placeholder goes when the user enters it and comes back when the user leaves it
    // empty.
    void takeSitePlaceholder();
    void showSitePlaceholder();
    void takePagesPlaceholder();
    void showPagesPlaceholder();
    // Ctrl+A selects the field's whole text; the key then goes on to the field as usual.
    bool selectAllOfSiteOnKey(int key, Qt::KeyboardModifiers modifiers);
    bool selectAllOfPagesOnKey(int key, Qt::KeyboardModifiers modifiers);
    // Cleans the page list and says what it did.
    void clean(CleaningOutcome (*command)(PageList &), MessageSink &messages);
    // The search mode names what the site field holds and switches its placeholder.
    void searchForLinks();
    void searchForContent();

    // RunInputs
    const PageList &pages() override;
    QString target() override;
    Wanted wanted() override;
    bool contentMode() override;

signals:
    // The user, or the program, chose a search mode.
    void linksModeChosen();
    void contentModeChosen();

private:
    bool pagesShowPlaceholder() const;

    QLabel *m_siteLabel;
    FieldLineEdit *m_site;
    QLabel *m_modeLabel;
    QRadioButton *m_links;
    QRadioButton *m_content;
    QFrame *m_pagesFrame;
    FieldPlainTextEdit *m_pages;
    std::unique_ptr<MemoPageList> m_pageList;
    QToolButton *m_cleaningButton;
    QMenu *m_cleaningMenu;
    TextLines m_noLines; // what a page list showing only its placeholder holds
};

} // namespace orvane
