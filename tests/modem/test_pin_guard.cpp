#include "../support/MainRig.h"

#include "modem/ModemCommand.h"
#include "modem/PinGuard.h"
#include "modem/frmPuk.h"
#include "modem/frmSMS1.h"
#include "text/AtInput.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {
// The texts as the user reads them, written out: a changed letter in the program shows here.
const QString kRefusedInput =
    QStringLiteral("Die Eingabe enthält unzulässige Zeichen (Anführungszeichen, Semikolon, "
                   "Steuerzeichen oder nicht übertragbare Sonderzeichen). Es wurde nichts gesendet. ");
} // namespace

namespace {

struct PinRig : MainRig {
    std::unique_ptr<frmSMS1> w;
    explicit PinRig(modemsim::Config cfg = {})
    {
        attachModem(std::move(cfg));
        w = std::make_unique<frmSMS1>(*main);
    }
    modemsim::Modem &modem() { return sim->modem(); }
    // Types `pin` and presses "PIN testen"; returns the command lines written.
    QStringList pinTest(const QString &pin)
    {
        fake->takeWritten();
        w->txtPIN->setText(pin);
        w->cmdPinTest->click();
        return QString::fromLatin1(fake->takeWritten()).split(u'\r', Qt::SkipEmptyParts);
    }
};

// Runs fn on the PUK dialog once it is open: the exchanges before it serve events too, so the
// dialog is waited for rather than assumed.
void onPukDialog(std::function<void(frmPuk *)> fn, int tries = 100000)
{
    QTimer::singleShot(0, [fn, tries] {
        if (auto *d = qobject_cast<frmPuk *>(QApplication::activeModalWidget()))
            fn(d);
        else if (tries > 0)
            onPukDialog(fn, tries - 1);
    });
}

// Fills the PUK dialog and presses OK; `more` runs afterwards (the dialog may have refused).
void answerPukDialog(const QString &puk, const QString &pin, const QString &repeated,
                     std::function<void(frmPuk *)> more = {})
{
    onPukDialog([=](frmPuk *d) {
        d->txtPUK->setText(puk);
        d->txtNeuePIN->setText(pin);
        d->txtNeuePIN2->setText(repeated);
        d->cmdOK->click();
        if (more)
            more(d);
    });
}

const QString kLocked = QStringLiteral(
    "Die SIM-Karte ist gesperrt, weil die PIN zu oft falsch eingegeben wurde. Sie lässt sich mit der PUK "
    "(8 Ziffern, in den Unterlagen der SIM-Karte) und einer neuen PIN entsperren.");

} // namespace

class TestPinGuard : public QObject {
    Q_OBJECT
private slots:
    void simStateFromCpin_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("lock");
        QTest::addColumn<QString>("code");
        QTest::newRow("ready") << "\r\n+CPIN: READY\r\n\r\nOK\r\n" << 0 << int(SimLock::Ready) << "READY";
        QTest::newRow("echo before") << "AT+CPIN?\r\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n" << 0 << int(SimLock::Pin) << "SIM PIN";
        QTest::newRow("quoted") << "\r\n+CPIN: \"SIM PUK\"\r\n\r\nOK\r\n" << 0 << int(SimLock::Puk) << "SIM PUK";
        QTest::newRow("phone lock") << "\r\n+CPIN: PH-SIM PIN\r\n\r\nOK\r\n" << 0 << int(SimLock::Other) << "PH-SIM PIN";
        QTest::newRow("PIN2") << "\r\n+CPIN: SIM PIN2\r\n\r\nOK\r\n" << 0 << int(SimLock::Other) << "SIM PIN2";
        QTest::newRow("no SIM, verbose") << "\r\n+CME ERROR: SIM not inserted\r\n" << 2 << int(SimLock::Other)
                                         << "+CME ERROR: SIM not inserted";
        QTest::newRow("PIN as error code") << "\r\n+CME ERROR: 11\r\n" << 2 << int(SimLock::Pin) << "+CME ERROR: 11";
        QTest::newRow("PUK as error text") << "\r\n+CME ERROR: SIM PUK required\r\n" << 2 << int(SimLock::Puk)
                                           << "+CME ERROR: SIM PUK required";
        QTest::newRow("bare ERROR") << "\r\nERROR\r\n" << 2 << int(SimLock::Unknown) << "";
        QTest::newRow("OK alone") << "\r\nOK\r\n" << 0 << int(SimLock::Unknown) << "";
        QTest::newRow("silence") << "" << 1 << int(SimLock::NoAnswer) << "";
    }
    void simStateFromCpin()
    {
        QFETCH(QString, answer);
        QFETCH(int, status);
        QFETCH(int, lock);
        QFETCH(QString, code);
        const SimState s = CpinReadState(answer, qint16(status));
        QCOMPARE(int(s.lock), lock);
        QCOMPARE(s.code, code);
    }

    void attemptsFromCpinr_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("left"); // -1: none
        QTest::newRow("PIN") << "\r\n+CPINR: SIM PIN,2,3\r\n\r\nOK\r\n" << "SIM PIN" << 2;
        QTest::newRow("PUK among several") << "\r\n+CPINR: SIM PIN,0,3\r\n+CPINR: SIM PUK,9,10\r\n\r\nOK\r\n"
                                           << "SIM PUK" << 9;
        QTest::newRow("quoted code") << "\r\n+CPINR: \"SIM PIN\",1,3\r\n\r\nOK\r\n" << "SIM PIN" << 1;
        QTest::newRow("other code only") << "\r\n+CPINR: SIM PIN2,3,3\r\n\r\nOK\r\n" << "SIM PIN" << -1;
        QTest::newRow("no count") << "\r\n+CPINR: SIM PIN\r\n\r\nOK\r\n" << "SIM PIN" << -1;
        QTest::newRow("count not a number") << "\r\n+CPINR: SIM PIN,x,3\r\n\r\nOK\r\n" << "SIM PIN" << -1;
        QTest::newRow("unknown command") << "\r\nERROR\r\n" << "SIM PIN" << -1;
    }
    void attemptsFromCpinr()
    {
        QFETCH(QString, answer);
        QFETCH(QString, code);
        QFETCH(int, left);
        QCOMPARE(CpinrRetries(answer, code).value_or(-1), left);
    }

    void verdictOnAPin_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("verdict");
        QTest::newRow("OK") << "\r\nOK\r\n" << 0 << int(PinVerdict::Accepted);
        QTest::newRow("incorrect, verbose") << "\r\n+CME ERROR: incorrect password\r\n" << 2 << int(PinVerdict::Rejected);
        QTest::newRow("incorrect, numeric") << "\r\n+CME ERROR: 16\r\n" << 2 << int(PinVerdict::Rejected);
        QTest::newRow("third one locks") << "\r\n+CME ERROR: SIM PUK required\r\n" << 2 << int(PinVerdict::Rejected);
        QTest::newRow("bare ERROR") << "\r\nERROR\r\n" << 2 << int(PinVerdict::Rejected);
        QTest::newRow("not allowed") << "\r\n+CME ERROR: 3\r\n" << 2 << int(PinVerdict::Failed);
        QTest::newRow("SIM busy") << "\r\n+CME ERROR: SIM busy\r\n" << 2 << int(PinVerdict::Failed);
        QTest::newRow("no answer") << "" << 1 << int(PinVerdict::Failed);
        QTest::newRow("cut off") << "\r\n+CME ERR" << 9 << int(PinVerdict::Failed);
    }
    void verdictOnAPin()
    {
        QFETCH(QString, answer);
        QFETCH(int, status);
        QFETCH(int, verdict);
        QCOMPARE(int(CpinSetVerdict(answer, qint16(status))), verdict);
    }

    void pukEntries_data()
    {
        QTest::addColumn<QString>("puk");
        QTest::addColumn<QString>("pin");
        QTest::addColumn<QString>("repeated");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("good") << "12345678" << "4321" << "4321" << "";
        QTest::newRow("8-digit PIN") << "12345678" << "87654321" << "87654321" << "";
        QTest::newRow("short PUK") << "1234567" << "4321" << "4321" << "Die PUK besteht aus 8 Ziffern.";
        QTest::newRow("letter in PUK") << "1234567a" << "4321" << "4321" << "Die PUK besteht aus 8 Ziffern.";
        QTest::newRow("quote in PUK") << "1234567\"" << "4321" << "4321" << "Die PUK besteht aus 8 Ziffern.";
        QTest::newRow("short PIN") << "12345678" << "432" << "432" << "Die neue PIN besteht aus 4 bis 8 Ziffern.";
        QTest::newRow("blank in PIN") << "12345678" << "43 1" << "43 1" << "Die neue PIN besteht aus 4 bis 8 Ziffern.";
        QTest::newRow("typo") << "12345678" << "4321" << "4312"
                              << "Die beiden Eingaben der neuen PIN stimmen nicht überein.";
    }
    void pukEntries()
    {
        QFETCH(QString, puk);
        QFETCH(QString, pin);
        QFETCH(QString, repeated);
        QFETCH(QString, refusal);
        QCOMPARE(PukEntryRefusal(puk, pin, repeated), refusal);
    }

    // What the box holds is judged before the modem is asked anything.
    void aPinThatCannotBeSentAsksNothing_data()
    {
        QTest::addColumn<QString>("pin");
        QTest::addColumn<QStringList>("box");
        QTest::newRow("empty") << "" << QStringList{"PIN ist zu kurz! "};
        QTest::newRow("3 digits") << "123" << QStringList{"PIN ist zu kurz! "};
        QTest::newRow("a letter") << "12a4" << QStringList{"Die PIN besteht nur aus Ziffern."};
        QTest::newRow("a quote") << "1\"34" << QStringList{kRefusedInput};
    }
    void aPinThatCannotBeSentAsksNothing()
    {
        QFETCH(QString, pin);
        PinRig r;
        QCOMPARE(r.pinTest(pin), QStringList{});
        QTEST(r.p.dialogs.texts(), "box");
    }

    void anOpenSimGetsNoPin()
    {
        modemsim::Config cfg;
        cfg.pin.clear();
        PinRig r(cfg);
        QCOMPARE(r.pinTest(QStringLiteral("1234")), QStringList{"AT+CPIN?"});
        QVERIFY(r.main->terminalText().contains(
            QLatin1String("PIN nicht gesendet: Die SIM-Karte ist bereits entsperrt (+CPIN: READY).\r\n")));
        QVERIFY(r.p.dialogs.shown.isEmpty());
    }

    // Two wrong PINs: each box is emptied, the attempts are counted down, a refused PIN is not
    // sent again even when typed again, and the last attempt needs the user's word.
    void aPinTypedWrongTwiceIsNotSentAThirdTime()
    {
        PinRig r;
        QCOMPARE(r.pinTest(QStringLiteral("1111")),
                 (QStringList{"AT+CPIN?", "AT+CPINR=\"SIM PIN\"", "AT+CPIN=\"1111\"", "AT+CPINR=\"SIM PIN\""}));
        QVERIFY(r.w->txtPIN->text().isEmpty());
        QCOMPARE(r.pinTest(QStringLiteral("2222")).size(), 4);
        QCOMPARE(r.p.dialogs.texts(), (QStringList{"Die SIM-Karte hat die PIN abgelehnt. Noch 2 Versuche.",
                                                   "Die SIM-Karte hat die PIN abgelehnt. Noch 1 Versuch."}));
        QCOMPARE(r.modem().pinTriesLeft(), 1);
        r.p.dialogs.clear();

        QCOMPARE(r.pinTest(QString()), QStringList{});
        QCOMPARE(r.pinTest(QStringLiteral("1111")), QStringList{"AT+CPIN?"});
        QCOMPARE(r.p.dialogs.texts(), (QStringList{"PIN ist zu kurz! ",
                                                   "Diese PIN hat die SIM-Karte bereits abgelehnt; sie wird nicht noch "
                                                   "einmal gesendet. Bitte die richtige PIN eingeben."}));
        QVERIFY(r.w->txtPIN->text().isEmpty());
        r.p.dialogs.clear();

        r.p.dialogs.answers << MsgAnswer::No;
        QCOMPARE(r.pinTest(QStringLiteral("1234")), (QStringList{"AT+CPIN?", "AT+CPINR=\"SIM PIN\""}));
        QCOMPARE(r.p.dialogs.shown[0].buttons, MsgButtons::YesNo);
        QCOMPARE(r.modem().pinTriesLeft(), 1);
        r.p.dialogs.answers << MsgAnswer::Yes;
        QCOMPARE(r.pinTest(QStringLiteral("1234")).last(), QStringLiteral("AT+CPIN=\"1234\""));
        QCOMPARE(r.modem().simState(), modemsim::SimState::Ready);
    }

    // A modem without AT+CPINR: the message cannot count, and the command is not tried again.
    void withoutCpinrTheMessageHasNoCount()
    {
        modemsim::Config cfg;
        cfg.errorFor = "AT+CPINR";
        PinRig r(cfg);
        r.pinTest(QStringLiteral("1111"));
        QCOMPARE(r.pinTest(QStringLiteral("2222")), (QStringList{"AT+CPIN?", "AT+CPIN=\"2222\""}));
        QCOMPARE(r.p.dialogs.texts(), (QStringList{"Die SIM-Karte hat die PIN abgelehnt.",
                                                   "Die SIM-Karte hat die PIN abgelehnt."}));
        r.pinTest(QStringLiteral("3333"));
        QCOMPARE(r.p.dialogs.texts().last(), QStringLiteral("Die SIM-Karte hat die PIN abgelehnt."));
        QCOMPARE(r.modem().simState(), modemsim::SimState::PukRequired);
    }

    void aLockedSimIsOpenedWithThePuk()
    {
        PinRig r;
        for (const char *wrong : {"AT+CPIN=\"0000\"\r", "AT+CPIN=\"0001\"\r", "AT+CPIN=\"0002\"\r"})
            r.modem().receive(wrong);
        QCOMPARE(r.modem().simState(), modemsim::SimState::PukRequired);
        // A PUK of 7 digits is refused by the dialog itself; it stays open for the right one.
        answerPukDialog(QStringLiteral("1234567"), QStringLiteral("4321"), QStringLiteral("4321"), [](frmPuk *d) {
            QVERIFY(d->isVisible());
            d->txtPUK->setText(QStringLiteral("12345678"));
            d->cmdOK->click();
        });
        // Locked before this program run: the PIN typed finds the lock and brings the PUK dialog.
        QCOMPARE(r.pinTest(QStringLiteral("1234")),
                 (QStringList{"AT+CPIN?", "AT+CPINR=\"SIM PUK\"", "AT+CPIN=\"12345678\",\"4321\""}));
        QCOMPARE(r.p.dialogs.texts(), (QStringList{kLocked, "Die PUK besteht aus 8 Ziffern.",
                                                   "Die SIM-Karte ist entsperrt. Ab jetzt gilt die neue PIN."}));
        QCOMPARE(r.modem().simState(), modemsim::SimState::Ready);
        QCOMPARE(r.modem().pin(), QByteArray("4321"));
        // The PUK is the key to the SIM: the terminal and the log never show it.
        const QString terminal = r.main->terminalText();
        QVERIFY(terminal.contains(QLatin1String("PIN nicht gesendet: Die SIM-Karte ist gesperrt (SIM PUK).")));
        QVERIFY(terminal.contains(QLatin1String("AT+CPIN=\"********\",\"****\"")));
        QVERIFY(!terminal.contains(QLatin1String("12345678")));
    }

    void aWrongPukIsCountedAndNotRepeated()
    {
        PinRig r;
        for (const char *wrong : {"AT+CPIN=\"0000\"\r", "AT+CPIN=\"0001\"\r", "AT+CPIN=\"0002\"\r"})
            r.modem().receive(wrong);
        answerPukDialog(QStringLiteral("87654321"), QStringLiteral("4321"), QStringLiteral("4321"));
        r.pinTest(QStringLiteral("1234"));
        QCOMPARE(r.p.dialogs.texts().last(), QStringLiteral("Die SIM-Karte hat die PUK abgelehnt. Noch 9 Versuche."));
        // The lock is known now: the emptied box goes straight on to the PUK dialog.
        answerPukDialog(QStringLiteral("87654321"), QStringLiteral("4321"), QStringLiteral("4321"));
        QCOMPARE(r.pinTest(QString()), (QStringList{"AT+CPIN?", "AT+CPINR=\"SIM PUK\""}));
        QCOMPARE(r.modem().pukTriesLeft(), 9);
        // Abbrechen in the dialog sends nothing.
        onPukDialog([](frmPuk *d) { d->cmdCancel->click(); });
        QCOMPARE(r.pinTest(QString()), (QStringList{"AT+CPIN?", "AT+CPINR=\"SIM PUK\""}));
    }
};

QTEST_MAIN(TestPinGuard)
#include "test_pin_guard.moc"
