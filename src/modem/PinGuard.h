#pragma once
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class ModemLink;
class QLineEdit;
class QWidget;

// What the SIM waits for, from AT+CPIN? -> +CPIN: <code>. A SIM that needs its PIN may also
// say so with +CME ERROR: 11 (SIM PIN required), a locked one with 12 (SIM PUK required).
enum class SimLock {
    Ready,    // READY: no PIN needed
    Pin,      // SIM PIN
    Puk,      // SIM PUK: three wrong PINs
    Other,    // another code (SIM PIN2, PH-SIM PIN ...) or no usable SIM (not inserted, failure)
    NoAnswer, // the modem said nothing
    Unknown,  // a modem that cannot tell (plain ERROR, no +CPIN line)
};
struct SimState {
    SimLock lock = SimLock::Unknown;
    QString code; // what the modem named: "READY", "PH-SIM PIN", "+CME ERROR: SIM not inserted"
};
SimState CpinReadState(const QString &answer, qint16 status);

// AT+CPINR="<code>" -> +CPINR: <code>,<retries>,<default_retries> (27.007; not every modem has
// it). The attempts left for `code` ("SIM PIN", "SIM PUK"), or nothing.
std::optional<int> CpinrRetries(const QString &answer, const QString &code);

// The answer to AT+CPIN="<pin>" (or "<puk>","<new pin>"): taken, refused by the SIM (the
// attempt counts), or failed for another reason (no answer, SIM busy, not allowed), in which
// case the SIM has not judged the code.
enum class PinVerdict { Accepted, Rejected, Failed };
PinVerdict CpinSetVerdict(const QString &answer, qint16 status);

// A code of `least` to `most` digits and nothing else: a PIN has 4 to 8, a PUK 8.
bool IsSimCode(const QString &code, qsizetype least, qsizetype most);

// "Noch 2 Versuche." / "Noch 1 Versuch." / "" when unknown.
QString AttemptsText(std::optional<int> left);

// The PIN step of the registration window, guarded so that it cannot lock the SIM: the SIM is
// asked first, an open SIM gets no PIN, a locked one is offered the PUK dialog, a PIN the SIM
// has refused is never sent again in this program run, and the last attempt is not spent
// without the user's word. One guard per registration window (a child object of it), so what
// was refused is remembered while the program runs.
class PinGuard final : public QObject {
    Q_OBJECT
public:
    // One command the way the window runs its others; `secrets` are shown as stars.
    using ExchangeFn = std::function<qint16(const QString &command, QString &answer, const QStringList &secrets)>;

    static PinGuard &of(QWidget *window);

    // `exchange` runs one command the way the window runs its others; `pinBox` holds the PIN.
    void PinSend(ModemLink &link, QLineEdit &pinBox, const ExchangeFn &exchange);
    // The modem is known not to have AT+CPINR (ModemQuirks): it is not asked.
    void knowNoCpinr() { m_noCpinr = true; }

private:
    explicit PinGuard(QWidget *window);
    // The PIN as typed may go to the modem; otherwise says why not.
    bool pinTyped(const QString &pin);
    void sendPin(QLineEdit &pinBox, const ExchangeFn &exchange);
    void unlockWithPuk(QLineEdit &pinBox, const ExchangeFn &exchange);
    std::optional<int> retries(const QString &code, const ExchangeFn &exchange);

    QWidget *m_window;
    QSet<QString> m_refusedPins;
    QSet<QString> m_refusedPuks;
    bool m_noCpinr = false;   // the modem does not know AT+CPINR: not asked again
    bool m_simLocked = false; // last seen waiting for its PUK
};
