#include "ui/ToolWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace zel {

void makeToolWindow(QWidget &window)
{
    window.setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint
        | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    window.setAttribute(Qt::WA_QuitOnClose, false);
}

void showToolWindow(QWidget &window)
{
    window.show();
    window.raise();
    window.activateWindow();
}

void centreOnScreen(QWidget &window)
{
    const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

} // namespace zel
