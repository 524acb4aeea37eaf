#pragma once
#include <QMap>
#include <QString>

#include <functional>

#include <utility>

class CommPort;
class ModemTask;

// What a window that talks to the modem needs from the main window: the port, the terminal
// (and the traffic log behind it), the receive timer and the status bar.
class ModemLink {
public:
    virtual ~ModemLink() = default;
    virtual CommPort &comm() = 0;
    // Appends to the terminal and the log; rewrites data to CR LF line ends in place.
    virtual void ShowData(QString &data) = 0;
    // Timer1 drains the input buffer into the terminal.
    virtual void setReceiveTimer(bool on) = 0;
    virtual bool receiveTimer() const = 0;
    // Status-bar panels 1 to 4.
    virtual void setPanelText(int panel, const QString &text) = 0;
    virtual QString panelText(int panel) const = 0;

    // Whoever reads the modem's answers itself (a modem task, the received-messages window
    // while it is loaded) holds the receive timer off, which would take those answers first.
    // Holds are counted: the timer runs again when the last one ends, so nested and
    // overlapping holders restore it right.
    void holdReceiveTimer();
    void releaseReceiveTimer();

    // The title of the task that has the modem now (see ModemTask), or empty when it is free.
    const QString &modemTask() const { return m_taskTitle; }

    // What the modem sent, line by line, to whoever waits for its own lines (a new-message
    // notice, +CMTI), wherever it was read: inside an answer, or between two tasks.
    using LineListener = std::function<void(const QString &line)>;
    int addLineListener(LineListener listener);
    void removeLineListener(int id);
    void modemSent(const QString &text);

private:
    friend class ModemTask;
    ModemTask *m_task = nullptr;
    QString m_taskTitle;
    int m_timerHolds = 0;
    QMap<int, LineListener> m_lineListeners;
    int m_nextListener = 1;
    // The start of a line whose end has not come yet.
    QString m_partialLine;
    static constexpr qsizetype kPartialLineLimit = 1024;
};

// Holds the receive timer off for as long as it lives (or until released).
class ReceiveTimerHold {
public:
    explicit ReceiveTimerHold(ModemLink &link) : m_link(&link) { link.holdReceiveTimer(); }
    ~ReceiveTimerHold() { release(); }
    ReceiveTimerHold(const ReceiveTimerHold &) = delete;
    ReceiveTimerHold &operator=(const ReceiveTimerHold &) = delete;
    void release()
    {
        if (m_link)
            std::exchange(m_link, nullptr)->releaseReceiveTimer();
    }

private:
    ModemLink *m_link;
};
