#include "modem/frmSMS1.h"

#include "comm/ComProcs.h"
#include "comm/CommPort.h"
#include "comm/ModemLink.h"
#include "modem/LineWait.h"
#include "modem/ModemAnswers.h"
#include "modem/ModemCommand.h"
#include "modem/ModemTask.h"
#include "modem/PinGuard.h"
#include "platform/ControlName.h"
#include "platform/Platform.h"
#include "platform/Twips.h"
#include "text/AtInput.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

const QString frmSMS1::kBreakCaption = QStringLiteral("Moment ...");
const QString frmSMS1::kIdleBreakCaption = QStringLiteral("Anmeldung &abbrechen");

namespace {

// A SIM800 says "SMS Ready" a few seconds after the PIN, sometimes ten or more.
constexpr double kSmsReadySeconds = 20.0;

template <typename W> W *place(W *w, const QString &name, int left, int top, int width, int height)
{
    Named(w, name);
    w->setGeometry(twips::rect(left, top, width, height));
    return w;
}

constexpr int kWide = 1815;
// The controls end at the right of cmdPinTest (3960 + 1215) and the bottom of Frame1 (240 + 3555).
constexpr int kRightEdge = 5175;
constexpr int kBottomEdge = 3795;
constexpr int kMargin = 480; // as left of the first column
constexpr int kButtonHigh = 495;
constexpr int kBoxHigh = 315;
// With answers ending at their result code: how often a searching modem is asked again.
constexpr double kSearchPollSeconds = 0.25;

struct Operator {
    const char *name;
    const char *caption;
    int left;
    const char *smsc;
};
const Operator kOperators[] = {
    {"cmdD1", "D1", 3360, "+491710760000"},
    {"cmdD2", "D2", 3825, "+491722270333"},
    {"cmdE1", "E1", 4320, "+491770610000"},
    {"cmdO2", "O2", 4755, "+491760000443"},
};

} // namespace

frmSMS1::frmSMS1(ModemLink &link, QWidget *parent) : QWidget(parent), m_link(link)
{
    Named(this, QStringLiteral("frmSMS1"));
    setWindowTitle(QStringLiteral("Modem anmelden"));

    const auto button = [this](const QString &name, const QString &caption, int left, int top, int width,
                               int height = kButtonHigh) {
        return place(new QPushButton(caption, this), name, left, top, width, height);
    };
    cmdModemOn = button(QStringLiteral("cmdModemOn"), QStringLiteral("&Modem anmelden"), 480, 360, kWide);
    cmdBreak = button(QStringLiteral("cmdBreak"), QStringLiteral("&Anmeldung abbrechen"), 480, 1080, kWide);
    cmdFeld = button(QStringLiteral("cmdFeld"), QStringLiteral("&Feldstärke"), 480, 1800, kWide);
    cmdStep = button(QStringLiteral("cmdStep"), QStringLiteral("Anmeldung &prüfen"), 480, 2520, kWide);
    lblAngemeldet = place(new QLabel(QStringLiteral("Anmeldung nicht korrekt"), this),
                          QStringLiteral("lblAngemeldet"), 480, 3240, kWide, kButtonHigh);
    lblAngemeldet->setAlignment(Qt::AlignCenter);
    lblAngemeldet->setFrameShape(QFrame::Panel);
    lblAngemeldet->setFrameShadow(QFrame::Sunken);

    Frame1 = place(new QFrame(this), QStringLiteral("Frame1"), 2880, 240, 40, 3555);
    Frame1->setFrameShape(QFrame::VLine);
    Frame1->setFrameShadow(QFrame::Sunken);

    txtPIN = place(new QLineEdit(this), QStringLiteral("txtPIN"), 3360, 360 + 90, 540, kBoxHigh);
    txtPIN->setAccessibleName(QStringLiteral("PIN der SIM-Karte"));
    txtPIN->setEchoMode(QLineEdit::Password);
    txtPIN->setMaxLength(8);
    cmdPinTest = button(QStringLiteral("cmdPinTest"), QStringLiteral("&PIN testen"), 3960, 360, 1215);

    QPushButton **ops[] = {&cmdD1, &cmdD2, &cmdE1, &cmdO2};
    for (int i = 0; i < 4; ++i) {
        const Operator &o = kOperators[i];
        *ops[i] = button(QString::fromLatin1(o.name), QString::fromLatin1(o.caption), o.left, 1080, 400, 375);
        const QString number = QString::fromLatin1(o.smsc);
        (*ops[i])->setToolTip(QStringLiteral("SMS-Zentrale %1 eintragen").arg(number));
        connect(*ops[i], &QPushButton::clicked, this, [this, number] { txtSMSC->setText(number); });
    }
    txtSMSC = place(new QLineEdit(this), QStringLiteral("txtSMSC"), 3360, 1440, kWide, kBoxHigh);
    txtSMSC->setAccessibleName(QStringLiteral("Nummer der SMS-Zentrale"));
    cmdSMSCneu = button(QStringLiteral("cmdSMSCneu"), QStringLiteral("&SMSC neu anmelden"), 3360, 1800, kWide);
    txtEigene = place(new QLineEdit(this), QStringLiteral("txtEigene"), 3360, 2445, kWide, kBoxHigh);
    txtEigene->setAccessibleName(QStringLiteral("Eigene Rufnummer"));
    cmdEigene = button(QStringLiteral("cmdEigene"), QStringLiteral("Eigene Nummer"), 3360, 2760, kWide);

    lblModCount = place(new QLabel(QStringLiteral("0"), this), QStringLiteral("lblModCount"), 2520, 120, 300, 255);
    Eingabe = place(new QLineEdit(this), QStringLiteral("Eingabe"), 0, 0, 100, kBoxHigh);
    Eingabe->setAccessibleName(QStringLiteral("Eingabe"));
    Eingabe->hide();
    picRegister = place(new QLabel(this), QStringLiteral("picRegister"), 0, 0, 100, 100);
    picRegister->setAccessibleName(QStringLiteral("Bild"));
    picRegister->hide();

    const auto starts = [this](QPushButton *b, void (frmSMS1::*step)(Run &)) {
        connect(b, &QPushButton::clicked, this, [this, step] { runAlone(step); });
    };
    starts(cmdModemOn, &frmSMS1::cmdModemOn_Click);
    starts(cmdFeld, &frmSMS1::SignalQuery);
    starts(cmdStep, &frmSMS1::cmdStep_Click);
    starts(cmdPinTest, &frmSMS1::PinSend);
    starts(cmdSMSCneu, &frmSMS1::SmscSend);
    starts(cmdEigene, &frmSMS1::cmdEigene_Click);
    connect(cmdBreak, &QPushButton::clicked, this, [this] { breakOff(); });

    // Drawn for 6945 x 5265 twips, which left a wide empty band below and to the right of the
    // controls. In the main window's work area every pixel of height the child does not need
    // stays with the terminal, where the registration's answers appear; on a 1024 x 768 screen
    // that is the difference between a few lines and a dozen. So the window ends a margin
    // after its last control, the same margin as before its first.
    resize(twips::toPx(kRightEdge + kMargin), twips::toPx(kBottomEdge + kMargin));
}

void frmSMS1::broughtToFront() { lblAngemeldet->clear(); }

void frmSMS1::runAlone(void (frmSMS1::*step)(Run &))
{
    // A click in the middle of a run, or another window's task, starts nothing.
    ModemTask task(m_link, this, windowTitle());
    if (!task)
        return;
    Run run{task};
    // A break asked for while nothing ran holds for what is started next.
    if (m_breakAsked)
        task.cancel();
    // The modem's "ready for messages" line may come inside any answer of the run.
    const int listener = m_link.addLineListener([this, &run](const QString &line) {
        if (!m_quirks.smsReadyLine.isEmpty() && line.trimmed() == m_quirks.smsReadyLine)
            run.smsReady = true;
    });
    (this->*step)(run);
    m_link.removeLineListener(listener);
}

void frmSMS1::closeEvent(QCloseEvent *e)
{
    // Hidden, not destroyed: a sequence may still be waiting for the modem, and the inputs
    // are kept for the next opening. A run must not go on unseen (an AT+CREG? loop without
    // network would never end): it is broken off at its next step.
    ModemTask::cancelFor(m_link, this);
    hide();
    e->ignore();
}

void frmSMS1::breakOff()
{
    m_breakAsked = true;
    cmdBreak->setText(kBreakCaption);
    ModemTask::cancelFor(m_link, this);
}

bool frmSMS1::mayRun(Run &run)
{
    if (run.task.cancelled()) {
        ComClear(m_link.comm());
        return false;
    }
    if (m_link.comm().portOpen())
        return true;
    // Nothing can be sent: say so once, and end a run here rather than let every step wait.
    platform::dialogs().message(kPortClosedMessage);
    if (run.sequence)
        breakOff();
    return false;
}

bool frmSMS1::safeParameter(const QString &text)
{
    if (IsSafeQuotedParameter(text))
        return true;
    platform::dialogs().message(kUnsafeParameterMessage);
    return false;
}

qint16 frmSMS1::exchange(Run &run, const QString &command, QString &answer, const QStringList &secrets)
{
    const ModemTask::Reply reply = run.task.exchange(command, ExchangeOptions::hiding(secrets));
    answer = reply.answer;
    // No answer (the time-out box has been shown) or no port any more (its loss has been
    // reported): every later step would wait ten seconds and show the box again.
    if (reply.status == kStatusTimeout && run.sequence)
        breakOff();
    return reply.status;
}

bool frmSMS1::required(Run &run, const QString &command, QString &answer)
{
    const qint16 status = exchange(run, command, answer);
    if (status == kStatusOk)
        return true;
    // A time-out has had its box; an error or an answer without a result code (an echo that
    // came late) would otherwise end the run without a word.
    if (status != kStatusTimeout)
        platform::dialogs().message(QStringLiteral("Das Modem hat auf %1 nicht mit OK geantwortet.").arg(command),
                                    MsgButtons::Ok, MsgIcon::Exclamation);
    breakOff();
    return false;
}

void frmSMS1::echoOnly(Run &run, const QString &command)
{
    if (!mayRun(run))
        return;
    QString answer;
    exchange(run, command, answer);
}

void frmSMS1::cmdModemOn_Click(Run &run)
{
    run.sequence = true;
    ModemInit(run);
    ModelQuery(run);
    MakerQuery(run);
    ErrModeSet(run);
    SignalQuery(run);
    PinSend(run);
    TextModeSet(run);
    NoticesSet(run);
    RegQuery(run);
    OperatorQuery(run);
    SmscSend(run);
    m_breakAsked = false;
    cmdBreak->setText(kIdleBreakCaption);
}

void frmSMS1::cmdStep_Click(Run &run) { RegQuery(run); }

void frmSMS1::ModemInit(Run &run)
{
    // With the port closed nothing can succeed: the run is broken off at once instead of
    // waiting ten seconds for an answer to a command that never went out.
    if (!mayRun(run))
        return;
    QString answer;
    if (required(run, QStringLiteral("AT"), answer) && !run.task.cancelled())
        required(run, QStringLiteral("AT E0"), answer);
}

void frmSMS1::ModelQuery(Run &run)
{
    if (!mayRun(run))
        return;
    QString answer;
    required(run, QStringLiteral("AT+GMM"), answer);
    m_model = GmmModelName(answer);
    m_link.setPanelText(3, m_model);
}

void frmSMS1::MakerQuery(Run &run)
{
    if (!mayRun(run))
        return;
    QString answer;
    exchange(run, QStringLiteral("AT+CGMI"), answer);
    m_quirks = QuirksFor(CgmiMakerName(answer), m_model);
    if (m_quirks.noCpinr)
        PinGuard::of(this).knowNoCpinr();
}

void frmSMS1::ErrModeSet(Run &run) { echoOnly(run, QStringLiteral("AT+CMEE=2")); }

void frmSMS1::SignalQuery(Run &run)
{
    if (!mayRun(run))
        return;
    QString answer;
    exchange(run, QStringLiteral("AT+CSQ"), answer);
    m_link.setPanelText(4, QStringLiteral("Feldstärke: ") + CsqSignalValue(answer));
}

void frmSMS1::PinSend(Run &run)
{
    if (!mayRun(run))
        return;
    // The SIM is asked first: an open one gets no PIN, a locked one is offered its PUK, and a
    // PIN it has refused is not tried again.
    PinGuard::of(this).PinSend(m_link, *txtPIN,
                               [this, &run](const QString &command, QString &answer, const QStringList &secrets) {
                                   return exchange(run, command, answer, secrets);
                               });
}

void frmSMS1::TextModeSet(Run &run)
{
    if (!mayRun(run))
        return;
    QString answer;
    if (exchange(run, QStringLiteral("AT+CMGF=1"), answer) != kStatusError || m_quirks.smsReadyLine.isEmpty())
        return;
    // Refused by a module that is still reading its SIM's messages after the PIN: it takes
    // message commands once it has said so.
    if (!run.smsReady) {
        QString note = QStringLiteral("Das Modem nimmt SMS-Befehle erst nach „%1“ an; Varnix wartet bis zu %2 s darauf.\r\n")
                           .arg(m_quirks.smsReadyLine)
                           .arg(kSmsReadySeconds);
        m_link.ShowData(note);
        WaitForLine(run.task, m_quirks.smsReadyLine, kSmsReadySeconds);
    }
    echoOnly(run, QStringLiteral("AT+CMGF=1"));
}

void frmSMS1::NoticesSet(Run &run)
{
    // New messages announced with +CMTI reach the received-messages window within seconds;
    // a modem that cannot announce them is polled as before.
    if (!mayRun(run))
        return;
    QString answer;
    if (exchange(run, QStringLiteral("AT+CNMI=?"), answer) != kStatusOk)
        return;
    const QString command = CnmiNoticeCommand(answer);
    if (!command.isEmpty())
        echoOnly(run, command);
}

void frmSMS1::RegQuery(Run &run)
{
    for (;;) {
        if (!mayRun(run))
            return;
        QString answer;
        exchange(run, QStringLiteral("AT+CREG?"), answer);
        const int state = CregState(answer);
        lblAngemeldet->setText(CregCaption(state));
        if (state != 2)
            return;
        // Each query took a quiet second. Answered at once, a modem still searching (for
        // half a minute without a network) would be asked dozens of times a second.
        if (run.task.fastAnswers())
            Pause(kSearchPollSeconds);
    }
}

void frmSMS1::OperatorQuery(Run &run)
{
    if (!mayRun(run))
        return;
    QString answer;
    exchange(run, QStringLiteral("AT+COPS?"), answer);
    m_link.setPanelText(2, CopsOperatorName(answer));
}

void frmSMS1::SmscSend(Run &run)
{
    if (!mayRun(run))
        return;
    const QString number = txtSMSC->text();
    if (number.size() <= 12) {
        platform::dialogs().message(QStringLiteral("SMSC-Nummer ist falsch! "));
        return;
    }
    if (!safeParameter(number))
        return;
    QString answer;
    exchange(run, QStringLiteral("AT+CSCA=\"%1\"").arg(number), answer);
}

void frmSMS1::cmdEigene_Click(Run &run)
{
    if (!PortIsOpen(m_link))
        return;
    QString answer;
    if (exchange(run, QStringLiteral("AT+CPBS=\"ON\""), answer) > 0)
        return;
    if (exchange(run, QStringLiteral("AT+CPBR=1"), answer) > 0)
        return;
    txtEigene->setText(CpbrOwnNumber(answer) + QStringLiteral("    "));
}
