#include "modem/PinGuard.h"

#include "comm/CommPort.h"
#include "comm/ModemLink.h"
#include "modem/ModemCommand.h"
#include "modem/frmPuk.h"
#include "platform/Platform.h"
#include "text/AtInput.h"

#include <QLineEdit>
#include <QWidget>

#include <algorithm>

namespace {

const QString kObjectName = QStringLiteral("PinGuard");

// The rest of the first line that begins with `marker`, trimmed; nothing without one.
std::optional<QString> lineAfter(const QString &answer, const QString &marker)
{
    const qsizetype at = answer.indexOf(marker);
    if (at < 0)
        return std::nullopt;
    const qsizetype from = at + marker.size();
    qsizetype end = answer.indexOf(u'\r', from);
    if (end < 0)
        end = answer.size();
    return answer.mid(from, end - from).trimmed();
}

// +CME ERROR <err>: numeric after AT+CMEE=1, verbose after AT+CMEE=2.
bool cmeIs(const QString &error, int number, const char *verbose)
{
    return error == QString::number(number) || error.compare(QLatin1String(verbose), Qt::CaseInsensitive) == 0;
}

void note(ModemLink &link, const QString &why)
{
    QString line = why + QStringLiteral("\r\n");
    link.ShowData(line);
}

} // namespace

SimState CpinReadState(const QString &answer, qint16 status)
{
    if (const auto code = lineAfter(answer, QStringLiteral("+CPIN:"))) {
        QString c = *code;
        c.remove(u'"');
        if (c == QLatin1String("READY"))
            return {SimLock::Ready, c};
        if (c == QLatin1String("SIM PIN"))
            return {SimLock::Pin, c};
        if (c == QLatin1String("SIM PUK"))
            return {SimLock::Puk, c};
        return {SimLock::Other, c};
    }
    if (status == kStatusTimeout)
        return {SimLock::NoAnswer, {}};
    if (const auto error = lineAfter(answer, QStringLiteral("+CME ERROR:"))) {
        const QString line = QStringLiteral("+CME ERROR: ") + *error;
        if (cmeIs(*error, 11, "SIM PIN required"))
            return {SimLock::Pin, line};
        if (cmeIs(*error, 12, "SIM PUK required"))
            return {SimLock::Puk, line};
        // Not inserted, failure, busy, wrong SIM: no PIN can help now.
        return {SimLock::Other, line};
    }
    return {SimLock::Unknown, {}};
}

std::optional<int> CpinrRetries(const QString &answer, const QString &code)
{
    const QString marker = QStringLiteral("+CPINR:");
    for (const QString &line : answer.split(u'\r')) {
        const qsizetype at = line.indexOf(marker);
        if (at < 0)
            continue;
        const QStringList fields = line.mid(at + marker.size()).split(u',');
        if (fields.size() < 2 || QString(fields.at(0)).remove(u'"').trimmed().compare(code, Qt::CaseInsensitive) != 0)
            continue;
        bool ok = false;
        const int left = fields.at(1).trimmed().toInt(&ok);
        if (ok && left >= 0)
            return left;
    }
    return std::nullopt;
}

PinVerdict CpinSetVerdict(const QString &answer, qint16 status)
{
    if (status == kStatusOk)
        return PinVerdict::Accepted;
    if (status != kStatusError)
        return PinVerdict::Failed;
    if (const auto error = lineAfter(answer, QStringLiteral("+CME ERROR:"))) {
        // A third wrong PIN may be answered with the lock it causes instead.
        if (cmeIs(*error, 16, "incorrect password") || cmeIs(*error, 12, "SIM PUK required"))
            return PinVerdict::Rejected;
        return PinVerdict::Failed;
    }
    // A bare ERROR (error codes off) cannot say why: counted as refused, so it is not repeated.
    return PinVerdict::Rejected;
}

bool IsSimCode(const QString &code, qsizetype least, qsizetype most)
{
    return code.size() >= least && code.size() <= most
           && std::all_of(code.begin(), code.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString AttemptsText(std::optional<int> left)
{
    if (!left)
        return {};
    return *left == 1 ? QStringLiteral("Noch 1 Versuch.") : QStringLiteral("Noch %1 Versuche.").arg(*left);
}

PinGuard &PinGuard::of(QWidget *window)
{
    if (auto *g = window->findChild<PinGuard *>(kObjectName, Qt::FindDirectChildrenOnly))
        return *g;
    return *new PinGuard(window);
}

PinGuard::PinGuard(QWidget *window) : QObject(window), m_window(window)
{
    setObjectName(kObjectName);
}

bool PinGuard::pinTyped(const QString &pin)
{
    auto &ui = platform::dialogs();
    // Text that could end the quote or the line is refused first of all.
    if (!IsSafeQuotedParameter(pin)) {
        ui.message(kUnsafeParameterMessage);
        return false;
    }
    // SIM PINs have 4 to 8 digits; the box takes no more than 8.
    if (pin.size() < 4) {
        ui.message(QStringLiteral("PIN ist zu kurz! "));
        return false;
    }
    if (!IsSimCode(pin, 4, 8)) {
        ui.message(QStringLiteral("Die PIN besteht nur aus Ziffern."));
        return false;
    }
    return true;
}

void PinGuard::PinSend(ModemLink &link, QLineEdit &pinBox, const ExchangeFn &exchange)
{
    // The typed PIN is judged before the modem is asked anything. Only a SIM this guard has
    // seen locked wants no PIN but the PUK; its PIN box has been emptied, and the step goes
    // on to the PUK dialog.
    if (!m_simLocked && !pinTyped(pinBox.text()))
        return;
    QString answer;
    const qint16 status = exchange(QStringLiteral("AT+CPIN?"), answer, {});
    const SimState sim = CpinReadState(answer, status);
    m_simLocked = sim.lock == SimLock::Puk;
    switch (sim.lock) {
    case SimLock::Ready:
        note(link, QStringLiteral("PIN nicht gesendet: Die SIM-Karte ist bereits entsperrt (+CPIN: READY)."));
        return;
    case SimLock::NoAnswer:
        note(link, QStringLiteral("PIN nicht gesendet: Das Modem hat auf AT+CPIN? nicht geantwortet."));
        return;
    case SimLock::Other:
        note(link, QStringLiteral("PIN nicht gesendet: Die SIM-Karte wartet nicht auf die PIN (%1).").arg(sim.code));
        return;
    case SimLock::Puk:
        note(link, QStringLiteral("PIN nicht gesendet: Die SIM-Karte ist gesperrt (%1).").arg(sim.code));
        unlockWithPuk(pinBox, exchange);
        return;
    case SimLock::Pin:
    case SimLock::Unknown: // a modem that cannot tell: the PIN goes, still guarded
        // A guard that thought the SIM locked has not looked at the box yet.
        if (pinTyped(pinBox.text()))
            sendPin(pinBox, exchange);
        return;
    }
}

void PinGuard::sendPin(QLineEdit &pinBox, const ExchangeFn &exchange)
{
    auto &ui = platform::dialogs();
    const QString pin = pinBox.text();
    if (m_refusedPins.contains(pin)) {
        pinBox.clear();
        ui.message(QStringLiteral("Diese PIN hat die SIM-Karte bereits abgelehnt; sie wird nicht noch einmal "
                                  "gesendet. Bitte die richtige PIN eingeben."),
                   MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    if (retries(QStringLiteral("SIM PIN"), exchange) == 1
        && ui.message(QStringLiteral("Die SIM-Karte lässt nur noch einen Versuch zu. Ist die PIN falsch, wird "
                                     "die SIM-Karte gesperrt und lässt sich nur noch mit der PUK entsperren.\r\n"
                                     "PIN jetzt senden?"),
                      MsgButtons::YesNo, MsgIcon::Question)
               == MsgAnswer::No)
        return;
    QString answer;
    const qint16 status = exchange(QStringLiteral("AT+CPIN=\"%1\"").arg(pin), answer, {});
    if (CpinSetVerdict(answer, status) != PinVerdict::Rejected)
        return;
    m_refusedPins.insert(pin);
    pinBox.clear();
    const std::optional<int> left = retries(QStringLiteral("SIM PIN"), exchange);
    QString text = QStringLiteral("Die SIM-Karte hat die PIN abgelehnt.");
    // A third wrong PIN locks the SIM; some modems say so in the refusal itself.
    m_simLocked = left == 0 || CpinReadState(answer, status).lock == SimLock::Puk;
    if (left == 0)
        text = QStringLiteral("Die SIM-Karte hat die PIN abgelehnt und ist jetzt gesperrt. Sie lässt sich mit der "
                              "PUK und einer neuen PIN entsperren.");
    else if (left)
        text += u' ' + AttemptsText(left);
    ui.message(text, MsgButtons::Ok, MsgIcon::Exclamation);
}

void PinGuard::unlockWithPuk(QLineEdit &pinBox, const ExchangeFn &exchange)
{
    auto &ui = platform::dialogs();
    ui.message(QStringLiteral("Die SIM-Karte ist gesperrt, weil die PIN zu oft falsch eingegeben wurde. Sie lässt "
                              "sich mit der PUK (8 Ziffern, in den Unterlagen der SIM-Karte) und einer neuen PIN "
                              "entsperren."),
               MsgButtons::Ok, MsgIcon::Exclamation);
    const std::optional<int> left = retries(QStringLiteral("SIM PUK"), exchange);
    QString puk;
    QString newPin;
    {
        frmPuk dialog(left ? AttemptsText(left) + QStringLiteral(" Nach dem letzten falschen Versuch ist die "
                                                                 "SIM-Karte unbrauchbar.")
                           : QStringLiteral("Nach zehn falschen Versuchen ist die SIM-Karte unbrauchbar."),
                      m_window->window());
        if (dialog.exec() != QDialog::Accepted)
            return;
        puk = dialog.puk();
        newPin = dialog.newPin();
    }
    if (m_refusedPuks.contains(puk)) {
        ui.message(QStringLiteral("Diese PUK hat die SIM-Karte bereits abgelehnt; sie wird nicht noch einmal gesendet."),
                   MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    QString answer;
    const qint16 status = exchange(QStringLiteral("AT+CPIN=\"%1\",\"%2\"").arg(puk, newPin), answer, {puk, newPin});
    switch (CpinSetVerdict(answer, status)) {
    case PinVerdict::Accepted:
        // The new PIN is the right one now, even one refused before.
        m_simLocked = false;
        m_refusedPins.remove(newPin);
        pinBox.clear();
        ui.message(QStringLiteral("Die SIM-Karte ist entsperrt. Ab jetzt gilt die neue PIN."), MsgButtons::Ok,
                   MsgIcon::Information);
        return;
    case PinVerdict::Rejected: {
        m_refusedPuks.insert(puk);
        const std::optional<int> now = retries(QStringLiteral("SIM PUK"), exchange);
        ui.message(now == 0 ? QStringLiteral("Die SIM-Karte hat die PUK abgelehnt und ist jetzt endgültig gesperrt.")
                            : (QStringLiteral("Die SIM-Karte hat die PUK abgelehnt. ") + AttemptsText(now)).trimmed(),
                   MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    case PinVerdict::Failed:
        return; // the terminal shows what the modem said
    }
}

std::optional<int> PinGuard::retries(const QString &code, const ExchangeFn &exchange)
{
    if (m_noCpinr)
        return std::nullopt;
    QString answer;
    const qint16 status = exchange(QStringLiteral("AT+CPINR=\"%1\"").arg(code), answer, {});
    const std::optional<int> left = CpinrRetries(answer, code);
    if (!left && status == kStatusError)
        m_noCpinr = true;
    return left;
}
