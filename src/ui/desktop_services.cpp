#include "ui/desktop_services.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMessageBox>
#include <QUrl>

namespace orvane {

void DialogMessageSink::information(const QString &text)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Orvane"), text, QMessageBox::Ok,
                    m_owner);
    box.exec();
}

void SystemClipboard::setText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}

void BrowserOpener::open(const QString &address)
{
    QDesktopServices::openUrl(QUrl(address));
}

} // namespace orvane
