#pragma once
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QSystemTrayIcon;
class QWidget;

// One message as the notice names it: the sender (the phone-list name, else the number) and
// the first line of the text.
struct NoticeMessage {
    QString sender;
    QString firstLine;
};

// "Neue SMS" for one message, "3 neue SMS" for more.
QString NoticeTitle(qsizetype count);
// One line per message, "Anna Beispiel: Hallo", at most three, then "… und 2 weitere".
QString NoticeBody(const QList<NoticeMessage> &messages);

// The desktop notification for messages a read cycle has filed while the user looks elsewhere:
// the main window is not the active window, or it is minimised. It belongs to the main window
// (one per main window, a child of it) and shows its message through the system tray; a click
// on it brings the window that filed the messages to the front. Without a tray nothing is
// shown and nothing fails.
class NewMessageNotice final : public QObject {
    Q_OBJECT
public:
    static NewMessageNotice &of(QWidget *mainWindow);

    // Called by the window that filed `messages` after its read cycle.
    void announce(QWidget *source, const QList<NoticeMessage> &messages);
    // What a click on the message does: the main window comes back from the taskbar and the
    // source window becomes the active one of the work area.
    void bringToFront();

    // How the desktop is asked; tests replace both.
    std::function<bool()> trayAvailable;
    std::function<void(const QString &title, const QString &body)> present;

private:
    explicit NewMessageNotice(QWidget *mainWindow);
    void showInTray(const QString &title, const QString &body);

    QWidget *m_main;
    QPointer<QWidget> m_source;
    QSystemTrayIcon *m_tray = nullptr;
};
