#pragma once
#include <QString>

class ModemLink;

// The modem answers one task at a time. An exchange waits for its answer by yielding to the
// event queue, so without turns another window's button or timer could start its own
// commands in the middle of it: a read cycle's AT+CMGR would end up in the text of a message
// waiting at the modem's "> " prompt, and each side would take the other's answers.
//
// A turn holds the modem for one window's task for as long as it lives. The same window may
// take it again inside its own task (a step of a run calling another step).
class ModemTurn {
public:
    ModemTurn(ModemLink &link, const void *holder, const QString &task);
    ~ModemTurn();
    ModemTurn(const ModemTurn &) = delete;
    ModemTurn &operator=(const ModemTurn &) = delete;

    explicit operator bool() const { return m_taken; }

    // For a task the user started: false after a box that names the task holding the modem.
    // Nobody waits for that box: the task it names goes on meanwhile.
    bool takenOrSaid() const;

private:
    ModemLink &m_link;
    bool m_taken = false;
};

// The box shown when the modem is busy with `task`.
QString ModemBusyMessage(const QString &task);
