#pragma once

#include "app/desktop/desktop.h"

#include <QPointer>
#include <QWidget>

namespace tunora {

// The real desktop: Qt's dialogs and message boxes, the desktop's URL handler and tray.
class QtDesktop : public Desktop {
public:
    void setParentWindow(QWidget *window) { m_window = window; }

    FilePath browseForFolder(const QString &title, const FilePath &startFolder) override;
    void showMessage(const QString &text, MessageStyle style, const QString &title) override;
    bool hasSystemTray() const override;
    bool minimisesUnshownWindows() const override;

private:
    QPointer<QWidget> m_window;
};

} // namespace tunora
