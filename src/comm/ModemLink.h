#pragma once
#include <QString>

class CommPort;

// What a window that talks to the modem needs from the main window: the port, the terminal
// (and the traffic log behind it), the receive timer and the status bar.
class ModemLink {
public:
    virtual ~ModemLink() = default;
    virtual CommPort &comm() = 0;
    // Appends to the terminal and the log; rewrites data to CR LF line ends in place.
    virtual void ShowData(QString &data) = 0;
    // Timer1 drains the input buffer into the terminal; exchanges switch it off around them.
    virtual void setReceiveTimer(bool on) = 0;
    virtual bool receiveTimer() const = 0;
    // Status-bar panels 1 to 4.
    virtual void setPanelText(int panel, const QString &text) = 0;
    virtual QString panelText(int panel) const = 0;

    // The task that has the modem now (see ModemTurn), or empty when it is free.
    const QString &modemTask() const { return m_task; }

private:
    friend class ModemTurn;
    QString m_task;
    const void *m_holder = nullptr;
    int m_depth = 0;
};
