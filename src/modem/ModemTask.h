#pragma once
#include "modem/ModemCommand.h"

#include <QPointer>
#include <QString>
#include <QStringList>

class CommPort;
class ModemLink;
class QWidget;

// The modem's answer to one command.
struct ModemReply {
    qint16 status = kStatusNoResult; // kStatusOk, kStatusTimeout, kStatusError, kStatusNoResult
    QString answer;                  // with the terminal's CR LF line ends
    // As it came from the line: a lone LF or CR inside a message's text is part of the text.
    QString raw;
    bool ok() const { return status == kStatusOk; }
};

// How an answer's end is found: after a second of silence, or at the modem's final result code
// ("Schnelle Modemantworten"). Setting: as the port settings say.
enum class AnswerEnding { Setting, QuietSecond, FinalResult };

struct ExchangeOptions {
    // Shown in the terminal (and the log) as stars, in the command line and in the answer,
    // where a modem with its echo on repeats them.
    QStringList secrets;
    TimeoutBox timeoutBox = TimeoutBox::Show;
    AnswerEnding ending = AnswerEnding::Setting;
    // At the final result code: the rule for this command's answer (none: FinalResultEnd).
    AnswerEndRule endRule = nullptr;

    static ExchangeOptions hiding(const QStringList &secrets) { return {secrets, TimeoutBox::Show}; }
    static ExchangeOptions quietTimeout() { return {{}, TimeoutBox::Quiet}; }
};

// One piece of modem work: a registration run or step, a send, a read cycle, a SIM read-out or
// write, the baud scan, the port settings. For as long as it lives it
//  - has the modem's turn: the modem answers one task at a time. An exchange waits for its
//    answer by yielding to the event queue, so without turns another window's button or timer
//    could start its own commands in the middle of it (a read cycle's AT+CMGR would end up in
//    the text of a message waiting at the "> " prompt, and each side would take the other's
//    answers);
//  - holds the main window's receive timer off, which would take the answers first;
//  - carries the cancel that its window's break button or closing sets; the work looks at it
//    between two commands;
//  - keeps its window from being destroyed under it: a window that goes when closed is hidden
//    and closed for good when the task has ended.
// Every exchange with the modem goes through it.
class ModemTask {
public:
    // Started by the user: a modem busy with another window's task is said in a box (which
    // nobody waits for: that task goes on meanwhile). Started by a timer: quietly nothing.
    enum class Busy { Say, Quiet };

    // `window` is the window the work belongs to (none for work without one).
    ModemTask(ModemLink &link, QWidget *window, const QString &title, Busy busy = Busy::Say);
    ~ModemTask();
    ModemTask(const ModemTask &) = delete;
    ModemTask &operator=(const ModemTask &) = delete;

    // False when the modem was busy: the work must not start.
    explicit operator bool() const { return m_taken; }

    bool cancelled() const { return m_cancelled; }
    void cancel() { m_cancelled = true; }
    // Cancels the task `window` runs, if it runs one: its break button, or its closing.
    static void cancelFor(ModemLink &link, const QWidget *window);
    // `window` runs a task now.
    static bool runsFor(const ModemLink &link, const QWidget *window);

    ModemLink &link() { return m_link; }
    CommPort &comm();
    // "Schnelle Modemantworten" as stored when the task began: its exchanges end at the final
    // result code. The work may then leave out pauses that only waited for the modem.
    bool fastAnswers() const { return m_fast; }

    using Reply = ModemReply;
    using Options = ExchangeOptions;

    // The one exchange: writes the command line (the command and CR), shows it in the terminal,
    // waits for the answer and shows it. At the final result code, what the modem sent on its
    // own before the command (a notice between two exchanges) and behind the answer goes to the
    // terminal and to the line listeners, not into the answer.
    Reply exchange(const QString &command, const Options &options = {});
    // Writes and shows text as it is, without CR and without waiting (a message's text after
    // the prompt). False when the port would not take it.
    bool send(const QString &text);
    // Waits for the answer to what was sent, and shows it.
    Reply answer(const Options &options = {});

private:
    class CloseWatch;
    void blank(QString &text, const Options &options) const;
    bool endsAtFinalResult(const Options &options) const;
    // What the modem sent that belongs to no answer.
    void showOwnLines(QString text, const Options &options);

    ModemLink &m_link;
    QPointer<QWidget> m_window;
    QString m_title;
    bool m_taken = false;
    bool m_cancelled = false;
    bool m_closeLater = false; // its window was closed meanwhile and goes when the task ends
    bool m_fast = false;
    QString m_sent; // what went out last: the command line, or a text behind the prompt
    CloseWatch *m_watch = nullptr;
};

// The box shown when the modem is busy with `task`.
QString ModemBusyMessage(const QString &task);
