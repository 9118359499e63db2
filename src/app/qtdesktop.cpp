#include "qtdesktop.h"


#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QSystemTrayIcon>

namespace tunora {

QString QtDesktop::browseForFolder(const QString &title)
{
    return QFileDialog::getExistingDirectory(m_window, title, QString(), QFileDialog::ShowDirsOnly);
}

void QtDesktop::showMessage(const QString &text, MessageStyle style, const QString &title)
{
    QMessageBox::Icon icon = QMessageBox::Information;
    if (style == MessageStyle::Error)
        icon = QMessageBox::Critical;
    else if (style == MessageStyle::Exclamation)
        icon = QMessageBox::Warning;
    QMessageBox box(icon, title, text, QMessageBox::Ok, m_window);
    box.exec();
}

void QtDesktop::openUrl(const QUrl &url)
{
    QDesktopServices::openUrl(url);
}

bool QtDesktop::hasSystemTray() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

} // namespace tunora
