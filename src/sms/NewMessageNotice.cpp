#include "sms/NewMessageNotice.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>
#include <QSystemTrayIcon>

namespace {

constexpr qsizetype kLinesShown = 3;
const QString kObjectName = QStringLiteral("NewMessageNotice");

} // namespace

QString NoticeTitle(qsizetype count)
{
    return count == 1 ? QStringLiteral("Neue SMS") : QStringLiteral("%1 neue SMS").arg(count);
}

QString NoticeBody(const QList<NoticeMessage> &messages)
{
    QStringList lines;
    for (qsizetype i = 0; i < messages.size() && i < kLinesShown; ++i) {
        const NoticeMessage &m = messages.at(i);
        lines.append(m.firstLine.isEmpty() ? m.sender : m.sender + QStringLiteral(": ") + m.firstLine);
    }
    if (messages.size() > kLinesShown)
        lines.append(QStringLiteral("… und %1 weitere").arg(messages.size() - kLinesShown));
    return lines.join(u'\n');
}

NewMessageNotice &NewMessageNotice::of(QWidget *mainWindow)
{
    if (auto *n = mainWindow->findChild<NewMessageNotice *>(kObjectName, Qt::FindDirectChildrenOnly))
        return *n;
    return *new NewMessageNotice(mainWindow);
}

NewMessageNotice::NewMessageNotice(QWidget *mainWindow)
    : QObject(mainWindow), trayAvailable(&QSystemTrayIcon::isSystemTrayAvailable),
      present([this](const QString &title, const QString &body) { showInTray(title, body); }), m_main(mainWindow)
{
    setObjectName(kObjectName);
}

void NewMessageNotice::announce(QWidget *source, const QList<NoticeMessage> &messages)
{
    if (messages.isEmpty())
        return;
    // The user is looking at the program: the new rows in the table are notice enough.
    if (m_main->isActiveWindow() && !m_main->isMinimized())
        return;
    if (!trayAvailable())
        return;
    m_source = source;
    present(NoticeTitle(messages.size()), NoticeBody(messages));
}

void NewMessageNotice::showInTray(const QString &title, const QString &body)
{
    if (!m_tray) {
        QIcon icon = m_main->windowIcon();
        if (icon.isNull())
            icon = QApplication::windowIcon();
        if (icon.isNull())
            icon = m_main->style()->standardIcon(QStyle::SP_MessageBoxInformation);
        m_tray = new QSystemTrayIcon(icon, this);
        m_tray->setToolTip(m_main->windowTitle());
        connect(m_tray, &QSystemTrayIcon::messageClicked, this, &NewMessageNotice::bringToFront);
        connect(m_tray, &QSystemTrayIcon::activated, this, &NewMessageNotice::bringToFront);
        // Some desktops show a message only for an icon that is in the tray.
        m_tray->show();
    }
    m_tray->showMessage(title, body, QSystemTrayIcon::Information);
}

void NewMessageNotice::bringToFront()
{
    if (m_main->isMinimized())
        m_main->setWindowState(m_main->windowState() & ~Qt::WindowMinimized);
    m_main->show();
    m_main->raise();
    m_main->activateWindow();
    if (!m_source)
        return;
    if (auto *sub = qobject_cast<QMdiSubWindow *>(m_source->parentWidget())) {
        if (sub->isMinimized())
            sub->showNormal();
        if (QMdiArea *area = sub->mdiArea())
            area->setActiveSubWindow(sub);
    }
}
