#include "modem/ModemTask.h"

#include "comm/CommPort.h"
#include "comm/LineSettings.h"
#include "comm/ModemLink.h"
#include "platform/Platform.h"

#include <QCloseEvent>
#include <QMdiSubWindow>
#include <QWidget>

namespace {

// What the user sees of a window: the frame of the work area it sits in, or itself.
QWidget *hostOf(QWidget *window)
{
    auto *frame = qobject_cast<QMdiSubWindow *>(window->parentWidget());
    return frame ? static_cast<QWidget *>(frame) : window;
}

} // namespace

// A window that goes when it is closed (its object is deleted) must not go while its task
// waits for the modem in one of its functions: the close is taken back, the window hidden, the
// task cancelled, and the window closed for good when the task has ended. A window that only
// hides itself when closed cancels its task in its own closing.
class ModemTask::CloseWatch final : public QObject {
public:
    explicit CloseWatch(ModemTask &task) : m_task(task) {}

protected:
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        auto *window = qobject_cast<QWidget *>(watched);
        if (e->type() != QEvent::Close || !window || !window->testAttribute(Qt::WA_DeleteOnClose))
            return false;
        m_task.cancel();
        m_task.m_closeLater = true;
        e->ignore();
        hostOf(window)->hide();
        return true;
    }

private:
    ModemTask &m_task;
};

ModemTask::ModemTask(ModemLink &link, QWidget *window, const QString &title, Busy busy)
    : m_link(link), m_window(window), m_title(title)
{
    if (const ModemTask *running = link.m_task) {
        // The same window already at work (a click or a tick in the middle of its own task):
        // nothing, quietly. Another window's task: the user who asked is told whose.
        if (busy == Busy::Say && running->m_window != window)
            platform::dialogs().notice(ModemBusyMessage(running->m_title));
        return;
    }
    m_taken = true;
    m_fast = platform::settings().get(keys::FastAnswers) == QLatin1String("True");
    link.m_task = this;
    link.m_taskTitle = title;
    link.holdReceiveTimer();
    if (window) {
        m_watch = new CloseWatch(*this);
        window->installEventFilter(m_watch);
    }
}

ModemTask::~ModemTask()
{
    if (!m_taken)
        return;
    delete m_watch;
    m_link.m_task = nullptr;
    m_link.m_taskTitle.clear();
    m_link.releaseReceiveTimer();
    if (m_closeLater && m_window)
        hostOf(m_window)->close();
}

void ModemTask::cancelFor(ModemLink &link, const QWidget *window)
{
    if (link.m_task && link.m_task->m_window == window)
        link.m_task->cancel();
}

bool ModemTask::runsFor(const ModemLink &link, const QWidget *window)
{
    return link.m_task && link.m_task->m_window == window;
}

CommPort &ModemTask::comm() { return m_link.comm(); }

void ModemTask::blank(QString &text, const Options &options) const
{
    for (const QString &s : options.secrets) {
        if (!s.isEmpty())
            text.replace(s, QString(s.size(), u'*'));
    }
}

bool ModemTask::endsAtFinalResult(const Options &options) const
{
    return options.ending == AnswerEnding::FinalResult || (options.ending == AnswerEnding::Setting && m_fast);
}

void ModemTask::showOwnLines(QString text, const Options &options)
{
    if (text.isEmpty())
        return;
    blank(text, options);
    m_link.modemSent(text);
    m_link.ShowData(text);
}

ModemTask::Reply ModemTask::exchange(const QString &command, const Options &options)
{
    if (!m_taken)
        return {}; // the modem is another task's: nothing goes out
    // Ending at the final result code leaves whatever the modem sends later, unasked, for the
    // next exchange to find before its answer.
    if (endsAtFinalResult(options) && m_link.comm().inBufferCount() > 0)
        showOwnLines(m_link.comm().input(), options);
    // The command line ends with CR alone: a modem takes an LF after it as the first
    // character of whatever comes next (a message's text after AT+CMGS).
    const QString line = command + QLatin1Char('\r');
    m_sent = line;
    m_link.comm().output(line);
    QString echo = line;
    blank(echo, options);
    m_link.ShowData(echo);
    return answer(options);
}

bool ModemTask::send(const QString &text)
{
    if (!m_taken)
        return false;
    m_sent = text;
    const bool written = m_link.comm().output(text);
    QString echo = text;
    m_link.ShowData(echo);
    return written;
}

ModemTask::Reply ModemTask::answer(const Options &options)
{
    Reply reply;
    if (!m_taken)
        return reply;
    QString beyond;
    if (endsAtFinalResult(options)) {
        const auto line = LineSettings::parse(m_link.comm().settings());
        const FinalResultWait wait{options.endRule ? options.endRule : &FinalResultEnd, m_sent,
                                   FinalResultSettleSeconds(line ? line->speed : 0)};
        ModemCommand(m_link.comm(), reply.answer, reply.status, options.timeoutBox, &wait, &beyond);
    } else {
        ModemCommand(m_link.comm(), reply.answer, reply.status, options.timeoutBox);
    }
    blank(reply.answer, options);
    reply.raw = reply.answer;
    m_link.modemSent(reply.raw);
    m_link.ShowData(reply.answer);
    showOwnLines(beyond, options);
    return reply;
}

QString ModemBusyMessage(const QString &task)
{
    return QStringLiteral("Das Modem ist gerade mit „%1“ beschäftigt.\nBitte warten, bis das fertig ist.").arg(task);
}
