#include "../support/MainRig.h"

#include "modem/ModemCommand.h"
#include "modem/frmSMS1.h"
#include "platform/Twips.h"
#include "text/AtInput.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QtTest>

namespace {
// The texts as the user reads them, written out: a changed letter in the program shows here.
const QString kRefusedInput =
    QStringLiteral("Die Eingabe enthält unzulässige Zeichen (Anführungszeichen, Semikolon, "
                   "Steuerzeichen oder nicht übertragbare Sonderzeichen). Es wurde nichts gesendet. ");
const QString kBreakAsked = QStringLiteral("Moment ...");
const QString kBreakIdle = QStringLiteral("Anmeldung &abbrechen");
} // namespace

namespace {

struct RegRig : MainRig {
    std::unique_ptr<frmSMS1> w;
    explicit RegRig(modemsim::Config cfg = {}, bool withModem = true)
    {
        if (withModem)
            attachModem(std::move(cfg));
        w = std::make_unique<frmSMS1>(*main);
        w->txtPIN->setText(QStringLiteral("1234"));
        w->txtSMSC->setText(QStringLiteral("+491710760000"));
        main->setReceiveTimer(true);
    }
    // The command lines written, one per entry, without their CR.
    QStringList commands()
    {
        QStringList out;
        for (const QByteArray &b : fake->writes())
            out << QString::fromLatin1(b).remove(QLatin1Char('\r'));
        fake->takeWritten();
        return out;
    }
};

// The PIN step asks the SIM's state and the attempts left before it sends the PIN.
const QString kPinState = QStringLiteral("AT+CPIN?");
const QString kPinLeft = QStringLiteral("AT+CPINR=\"SIM PIN\"");
const QStringList kFullSequence = {"AT",       "AT E0",   "AT+GMM",  "AT+CGMI",          "AT+CMEE=2",
                                   "AT+CSQ",   kPinState, kPinLeft, "AT+CPIN=\"1234\"", "AT+CMGF=1",
                                   "AT+CNMI=?", "AT+CNMI=2,1,0,1,0"};

// A whole run on a network found after `searches` AT+CREG? queries.
QStringList fullRun(int searches)
{
    QStringList out = kFullSequence;
    for (int i = 0; i < searches; ++i)
        out << "AT+CREG?";
    return out << "AT+COPS?" << "AT+CSCA=\"+491710760000\"";
}

} // namespace

class TestRegistration : public QObject {
    Q_OBJECT
private slots:
    void fullSequenceFillsTheStatusBarAndTheLabel()
    {
        modemsim::Config cfg;
        cfg.cregSearchQueries = 3;
        cfg.model = "Varnix GSM 900";
        cfg.operatorName = "Testnetz";
        cfg.rssi = 7;
        RegRig r(cfg);
        bool timerOffDuring = false;
        r.fake->setResponder([&](const QByteArray &b) {
            timerOffDuring = timerOffDuring || !r.main->receiveTimer();
            r.sim->send(r.sim->modem().receive(b));
        });
        r.w->cmdModemOn->click();
        QCOMPARE(r.commands(), fullRun(4));
        QCOMPARE(r.main->panelText(2), QStringLiteral("Testnetz"));
        QCOMPARE(r.main->panelText(3), QStringLiteral("Varnix GSM 900"));
        QCOMPARE(r.main->panelText(4), QStringLiteral("Feldstärke:  7"));
        QCOMPARE(r.w->lblAngemeldet->text(), QStringLiteral("angemeldet"));
        QCOMPARE(r.w->cmdBreak->text(), kBreakIdle);
        QVERIFY(timerOffDuring);
        QVERIFY(r.main->receiveTimer());
        QVERIFY(r.p.dialogs.shown.isEmpty());
        QVERIFY(r.main->terminalText().contains(QLatin1String("AT+COPS?\r\n")));
        QVERIFY2(r.sim->modem().textMode(), qPrintable(r.main->terminalText()));
    }

    // The modem's quirks, learnt from AT+CGMI, shape the run: a Siemens is not asked AT+CPINR; a
    // SIMCom module refuses AT+CMGF=1 until it has said "SMS Ready", which the run waits for;
    // the Huawei stick's reports inside the answers change no value read from them.
    void knownModemsRegister_data()
    {
        QTest::addColumn<QByteArray>("profile");
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("textModeCommands"); // AT+CMGF=1 sent this often
        QTest::addColumn<bool>("asksCpinr");
        QTest::addColumn<QString>("terminalHas");
        QTest::newRow("siemens") << QByteArray("siemens") << "MC35i" << 1 << false << "^SYSSTART";
        QTest::newRow("huawei") << QByteArray("huawei") << "E173" << 1 << true << "^RSSI:21";
        QTest::newRow("quectel") << QByteArray("quectel") << "EC25" << 1 << true << "+QIND: SMS DONE";
        // "SMS Ready" comes three seconds after the PIN, inside the quiet second of the refusal.
        QTest::newRow("simcom") << QByteArray("simcom") << "SIMCOM_SIM800L" << 2 << true
                                << "ERROR\r\n\r\nCall Ready\r\n\r\nSMS Ready\r\nAT+CMGF=1\r\n\r\nOK";
    }

    void knownModemsRegister()
    {
        QFETCH(QByteArray, profile);
        QFETCH(QString, model);
        QFETCH(int, textModeCommands);
        QFETCH(bool, asksCpinr);
        QFETCH(QString, terminalHas);
        modemsim::Config cfg;
        cfg.profile = profile;
        cfg.mixEvery = 1; // a Huawei line inside every answer
        cfg.cregSearchQueries = 1;
        RegRig r(cfg);
        r.sim->send(r.sim->modem().powerOn());
        r.sim->followClock(r.p.clock);
        r.w->cmdModemOn->click();
        const QStringList sent = r.commands();
        QCOMPARE(sent.count(QStringLiteral("AT+CMGF=1")), textModeCommands);
        QCOMPARE(sent.contains(kPinLeft), asksCpinr);
        QVERIFY2(r.sim->modem().textMode(), qPrintable(r.main->terminalText()));
        QCOMPARE(r.w->lblAngemeldet->text(), QStringLiteral("angemeldet"));
        QCOMPARE(r.main->panelText(3), model);
        QCOMPARE(r.main->panelText(2), QStringLiteral("Varnix Mobil"));
        QCOMPARE(r.main->panelText(4), QStringLiteral("Feldstärke: 21"));
        QVERIFY2(r.main->terminalText().contains(terminalHas), qPrintable(r.main->terminalText()));
        QCOMPARE(r.p.dialogs.texts(), QStringList());
    }

    // A SIMCom module that says "SMS Ready" only long after the refusal, or never: the run waits
    // for it at most 20 s, then tries once more and goes on; no box either way.
    void aLateReadyLineIsWaitedFor_data()
    {
        QTest::addColumn<double>("clockFrom"); // the modem's own clock runs from then on; 0: never
        QTest::addColumn<bool>("textMode");
        QTest::newRow("after 15 s") << 15.0 << true;
        QTest::newRow("never") << 0.0 << false;
    }

    void aLateReadyLineIsWaitedFor()
    {
        QFETCH(double, clockFrom);
        QFETCH(bool, textMode);
        modemsim::Config cfg;
        cfg.profile = "simcom";
        cfg.cregSearchQueries = 0;
        RegRig r(cfg);
        if (clockFrom > 0)
            r.p.clock.schedule(clockFrom, [&r] { r.sim->followClock(r.p.clock); });
        r.w->cmdModemOn->click();
        const QStringList sent = r.commands();
        QCOMPARE(sent.count(QStringLiteral("AT+CMGF=1")), 2);
        QCOMPARE(sent.mid(sent.indexOf(QStringLiteral("AT+CMGF=1")) + 1, 2),
                 (QStringList{"AT+CMGF=1", "AT+CNMI=?"}));
        QVERIFY(sent.contains(QStringLiteral("AT+COPS?")));
        QCOMPARE(r.sim->modem().textMode(), textMode);
        const QString terminal = r.main->terminalText();
        QVERIFY(terminal.contains(QStringLiteral("Das Modem nimmt SMS-Befehle erst nach „SMS Ready“ an; Varnix wartet "
                                                 "bis zu 20 s darauf.\r\n")));
        QCOMPARE(terminal.contains(QLatin1String("SMS Ready\r\nAT+CMGF=1\r\n\r\nOK")), textMode);
        QCOMPARE(r.p.dialogs.texts(), QStringList());
        // The wait ends with the line, or after its 20 s.
        QCOMPARE(r.p.clock.monotonic() > 25, !textMode);
    }

    // With answers ending at their final result code a run sends the same commands and fills
    // in the same texts as with the quiet second, whatever the modem's manners, in a fraction of
    // the time; a modem still searching is asked again every 0.25 s.
    void fastAnswersGiveTheSameRun_data()
    {
        QTest::addColumn<int>("splitMs");
        QTest::addColumn<bool>("garbage");
        QTest::addColumn<QList<QByteArray>>("mixed");
        QTest::addColumn<double>("share"); // the most the fast run takes of the other's time
        QTest::newRow("plain") << 0 << false << QList<QByteArray>{} << 0.15;
        QTest::newRow("split answers") << 15 << false << QList<QByteArray>{} << 0.2;
        QTest::newRow("split longer than the settle time") << 300 << false << QList<QByteArray>{} << 0.9;
        QTest::newRow("line noise before every answer") << 0 << true << QList<QByteArray>{} << 0.15;
        QTest::newRow("notices inside and behind answers")
            << 0 << false << QList<QByteArray>{"^RSSI:17", "+CMTI: \"SM\",1", "RING"} << 0.15;
    }
    void fastAnswersGiveTheSameRun()
    {
        QFETCH(int, splitMs);
        QFETCH(bool, garbage);
        QFETCH(QList<QByteArray>, mixed);
        QFETCH(double, share);
        struct Run {
            QStringList commands;
            QStringList texts;
            double seconds = 0;
        };
        const auto run = [&](bool fast) {
            modemsim::Config cfg;
            cfg.cregSearchQueries = 3;
            cfg.splitPauseMs = splitMs;
            cfg.garbage = garbage;
            cfg.mixLines = mixed;
            cfg.mixEvery = mixed.isEmpty() ? 0 : 1;
            RegRig r(cfg);
            r.p.settings.set(keys::FastAnswers, fast ? QStringLiteral("True") : QStringLiteral("False"));
            const double start = r.p.clock.monotonic();
            r.w->cmdModemOn->click();
            Run out;
            out.seconds = r.p.clock.monotonic() - start;
            out.commands = r.commands();
            out.texts = QStringList{r.main->panelText(2), r.main->panelText(3), r.main->panelText(4),
                                    r.w->lblAngemeldet->text()}
                        + r.p.dialogs.texts();
            return out;
        };
        const Run quiet = run(false);
        const Run fast = run(true);
        QCOMPARE(quiet.commands, fullRun(4));
        QCOMPARE(fast.commands, quiet.commands);
        QCOMPARE(fast.texts, quiet.texts);
        if (QTest::currentDataTag() == QLatin1String("plain"))
            QCOMPARE(quiet.texts, (QStringList{"Varnix Mobil", "VXM-900", "Feldstärke: 21", "angemeldet"}));
        QVERIFY2(fast.seconds < share * quiet.seconds,
                 qPrintable(QStringLiteral("%1 s against %2 s").arg(fast.seconds).arg(quiet.seconds)));
        // Three searching answers, each followed by the pause before the next query.
        QVERIFY(fast.seconds >= 0.75);
    }

    void breakDuringTheSignalQueryClearsOnlyAfterwards()
    {
        RegRig r;
        r.fake->setResponder([&](const QByteArray &b) {
            if (b.startsWith("AT+CSQ"))
                r.p.clock.scheduleIn(0.3, [&] { r.w->cmdBreak->click(); });
            r.sim->send(r.sim->modem().receive(b));
        });
        r.w->cmdModemOn->click();
        QCOMPARE(r.commands(), kFullSequence.mid(0, 6));
        QCOMPARE(r.w->cmdBreak->text(), kBreakIdle);
        QVERIFY(r.main->receiveTimer());
        QVERIFY(r.main->panelText(4).startsWith(QStringLiteral("Feldstärke: ")));
        QCOMPARE(r.main->panelText(2), QStringLiteral("Netz"));
    }

    void aBreakWhileIdleSkipsTheNextRunAndSingleSteps()
    {
        RegRig r;
        r.w->cmdBreak->click();
        r.w->cmdFeld->click();
        r.w->cmdPinTest->click();
        QCOMPARE(r.commands(), QStringList());
        QCOMPARE(r.w->cmdBreak->text(), kBreakAsked);
        r.w->cmdModemOn->click();
        QCOMPARE(r.commands(), QStringList());
        QCOMPARE(r.w->cmdBreak->text(), kBreakIdle);
        r.w->cmdFeld->click();
        QCOMPARE(r.commands(), QStringList{"AT+CSQ"});
    }

    // Every control shows whole, and the window ends a margin after the last one: what the child
    // does not need of the work area's height stays with the terminal.
    void theWindowHoldsItsControlsWithoutAnEmptyBand()
    {
        RegRig r;
        QRect used;
        for (QWidget *c : r.w->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (c->isHidden())
                continue;
            QVERIFY2(r.w->rect().contains(c->geometry()), qPrintable(c->objectName()));
            used |= c->geometry();
        }
        const int margin = twips::toPx(480);
        QCOMPARE(r.w->width() - 1 - used.right(), margin);
        QCOMPARE(r.w->height() - 1 - used.bottom(), margin);
    }

    void pinAndServiceCentreLengths_data()
    {
        QTest::addColumn<QString>("pin");
        QTest::addColumn<QString>("smsc");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("good") << "1234" << "+491710760000"
                              << QStringList{kPinState, kPinLeft, "AT+CPIN=\"1234\"", "AT+CSCA=\"+491710760000\""}
                              << QStringList{};
        // Sent at its full length; the simulated SIM's PIN is 1234.
        QTest::newRow("8-digit PIN") << "12345678" << "+491710760000"
                                     << QStringList{kPinState, kPinLeft, "AT+CPIN=\"12345678\"", kPinLeft,
                                                    "AT+CSCA=\"+491710760000\""}
                                     << QStringList{"Die SIM-Karte hat die PIN abgelehnt. Noch 2 Versuche."};
        QTest::newRow("3-digit PIN") << "123"
                                     << "+491710760000" << QStringList{"AT+CSCA=\"+491710760000\""}
                                     << QStringList{"PIN ist zu kurz! "};
        QTest::newRow("12-char SMSC") << "1234" << "+49171076000" << QStringList{kPinState, kPinLeft, "AT+CPIN=\"1234\""}
                                      << QStringList{"SMSC-Nummer ist falsch! "};
        QTest::newRow("injected PIN") << "1\";A" << "+491710760000" << QStringList{"AT+CSCA=\"+491710760000\""}
                                      << QStringList{kRefusedInput};
        QTest::newRow("injected SMSC") << "1234" << "+49\";AT+CMGD=1,4"
                                       << QStringList{kPinState, kPinLeft, "AT+CPIN=\"1234\""}
                                       << QStringList{kRefusedInput};
    }
    void pinAndServiceCentreLengths()
    {
        QFETCH(QString, pin);
        QFETCH(QString, smsc);
        QFETCH(QStringList, sent);
        QFETCH(QStringList, boxes);
        RegRig r;
        r.w->txtPIN->setText(pin);
        r.w->txtSMSC->setText(smsc);
        r.w->cmdPinTest->click();
        r.w->cmdSMSCneu->click();
        QCOMPARE(r.commands(), sent);
        QCOMPARE(r.p.dialogs.texts(), boxes);
    }

    void operatorButtonsFillInTheNumberOnly_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("number");
        QTest::newRow("D2") << "cmdD2" << "+491722270333";
        QTest::newRow("O2") << "cmdO2" << "+491760000443";
    }
    void operatorButtonsFillInTheNumberOnly()
    {
        QFETCH(QString, button);
        QFETCH(QString, number);
        RegRig r;
        r.w->findChild<QPushButton *>(button)->click();
        QCOMPARE(r.w->txtSMSC->text(), number);
        QCOMPARE(r.commands(), QStringList());
    }

    void ownNumber()
    {
        RegRig r;
        r.sim->modem().receive("AT+CPIN=\"1234\"\r");
        r.sim->modem().writePhoneEntry("ON", {"+491701234567", 145, "Eigene"}, 1);
        r.w->cmdEigene->click();
        QCOMPARE(r.commands(), (QStringList{"AT+CPBS=\"ON\"", "AT+CPBR=1"}));
        QCOMPARE(r.w->txtEigene->text(), QStringLiteral("+491701234567    "));
    }

    void theLabelIsClearedWhenTheUserBringsTheWindowUpNotWhenABoxCloses()
    {
        RegRig r;
        r.sim->modem().receive("AT+CPIN=\"1234\"\r");
        r.main->show();
        r.main->openRegistration();
        frmSMS1 *w = static_cast<frmSMS1 *>(r.main->registrationWindow());
        w->txtPIN->setText(QStringLiteral("1234"));
        w->txtSMSC->setText(QStringLiteral("+49"));
        w->cmdModemOn->click();
        QCOMPARE(r.p.dialogs.texts(), QStringList{QStringLiteral("SMSC-Nummer ist falsch! ")});
        QCOMPARE(w->lblAngemeldet->text(), QStringLiteral("angemeldet"));
        // The window is activated again when the box it opened closes.
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(w, &activate);
        QCOMPARE(w->lblAngemeldet->text(), QStringLiteral("angemeldet"));
        // The user brings it to the front with the icon.
        r.main->openRegistration();
        QCOMPARE(w->lblAngemeldet->text(), QString());
    }

    void aScreenReaderHearsTheCurrentState()
    {
        RegRig r;
        r.sim->modem().receive("AT+CPIN=\"1234\"\r");
        r.w->cmdStep->click();
        r.w->cmdFeld->click();
        const auto spoken = [](QWidget *w) { return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name); };
        QCOMPARE(spoken(r.w->lblAngemeldet), QStringLiteral("angemeldet"));
        QCOMPARE(spoken(r.main->findChild<QLabel *>(QStringLiteral("Panel4"))), QStringLiteral("Feldstärke: 21"));
        QCOMPARE(spoken(r.w->lblModCount), QStringLiteral("0"));
    }

    void closingTheWindowDuringTheSearchStopsTheQueries()
    {
        modemsim::Config cfg;
        cfg.cregSearchQueries = 100000; // no network, ever
        RegRig r(cfg);
        r.main->show();
        r.main->openRegistration();
        auto *w = static_cast<frmSMS1 *>(r.main->registrationWindow());
        w->txtPIN->setText(QStringLiteral("1234"));
        w->txtSMSC->setText(QStringLiteral("+491710760000"));
        int queries = 0;
        r.fake->setResponder([&](const QByteArray &b) {
            if (b.startsWith("AT+CREG?") && ++queries == 3)
                r.main->mdiArea->activeSubWindow()->close();
            r.sim->send(r.sim->modem().receive(b));
        });
        w->cmdModemOn->click();
        QCOMPARE(queries, 3);
        QVERIFY(!w->isVisible());
        QVERIFY(!r.commands().contains(QStringLiteral("AT+COPS?")));
        QVERIFY(r.main->receiveTimer());
        // The next opening starts afresh.
        QCOMPARE(w->cmdBreak->text(), QStringLiteral("Anmeldung &abbrechen"));
    }

    void aSecondClickDuringARunStartsNothing_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("Modem anmelden") << "cmdModemOn";
        QTest::newRow("Anmeldung prüfen") << "cmdStep";
        QTest::newRow("Feldstärke") << "cmdFeld";
        QTest::newRow("PIN testen") << "cmdPinTest";
        QTest::newRow("SMSC neu") << "cmdSMSCneu";
        QTest::newRow("Eigene Nummer") << "cmdEigene";
    }
    void aSecondClickDuringARunStartsNothing()
    {
        QFETCH(QString, button);
        RegRig r;
        bool clicked = false;
        bool timerOn = false;
        r.fake->setResponder([&](const QByteArray &b) {
            timerOn = timerOn || r.main->receiveTimer();
            if (b.startsWith("AT+CGMI") && !clicked) {
                clicked = true;
                r.w->findChild<QPushButton *>(button)->click();
            }
            r.sim->send(r.sim->modem().receive(b));
        });
        r.w->cmdModemOn->click();
        QVERIFY(clicked);
        QVERIFY(!timerOn);
        QCOMPARE(r.commands(), fullRun(3));
        QVERIFY(r.main->receiveTimer());
    }

    void onlyErrorsToTheFirstStepsBreakTheRunOff_data()
    {
        QTest::addColumn<QByteArray>("failing");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("AT E0") << QByteArray("AT E0") << QStringList{"AT", "AT E0"}
                               << QStringList{"Das Modem hat auf AT E0 nicht mit OK geantwortet."};
        QTest::newRow("AT+GMM") << QByteArray("AT+GMM") << QStringList{"AT", "AT E0", "AT+GMM"}
                                << QStringList{"Das Modem hat auf AT+GMM nicht mit OK geantwortet."};
        const QStringList all = fullRun(3);
        QTest::newRow("AT+CGMI") << QByteArray("AT+CGMI") << all << QStringList{};
        QTest::newRow("AT+CSQ") << QByteArray("AT+CSQ") << all << QStringList{};
        QTest::newRow("AT+COPS") << QByteArray("AT+COPS") << all << QStringList{};
        // A modem that cannot announce new messages is polled: the run goes on without the setting.
        QStringList withoutNotices = all;
        withoutNotices.removeAll(QStringLiteral("AT+CNMI=2,1,0,1,0"));
        QTest::newRow("AT+CNMI") << QByteArray("AT+CNMI") << withoutNotices << QStringList{};
    }
    void onlyErrorsToTheFirstStepsBreakTheRunOff()
    {
        QFETCH(QByteArray, failing);
        QFETCH(QStringList, sent);
        QFETCH(QStringList, boxes);
        modemsim::Config cfg;
        cfg.errorFor = failing;
        RegRig r(cfg);
        r.w->cmdModemOn->click();
        QCOMPARE(r.commands(), sent);
        QCOMPARE(r.p.dialogs.texts(), boxes);
        QVERIFY(r.main->receiveTimer());
        QCOMPARE(r.w->cmdBreak->text(), QStringLiteral("Anmeldung &abbrechen"));
    }

    // The modem echoes at once but its result comes after more than a second of quiet: the
    // exchange ends on the echo alone, and the run says which step failed.
    void aLateResultIsNamed()
    {
        RegRig r;
        r.fake->setResponder([&](const QByteArray &b) {
            QList<modemsim::Chunk> answer = r.sim->modem().receive(b);
            if (b.startsWith("AT+GMM")) {
                r.fake->deliver(b);
                for (modemsim::Chunk &c : answer)
                    c.delayMs += 1500;
            }
            r.sim->send(answer);
        });
        r.w->cmdModemOn->click();
        QCOMPARE(r.commands(), (QStringList{"AT", "AT E0", "AT+GMM"}));
        QCOMPARE(r.p.dialogs.texts(), QStringList{"Das Modem hat auf AT+GMM nicht mit OK geantwortet."});
        QCOMPARE(r.p.dialogs.shown[0].icon, MsgIcon::Exclamation);
    }

    // A modem that stops answering in the middle of a run, or a port that goes: one box at
    // most, and the run ends there instead of waiting ten seconds per remaining step.
    void aRunThatLosesTheModemEndsWithOneBox_data()
    {
        QTest::addColumn<QByteArray>("at");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("silent from AT") << QByteArray("AT") << "silent"
                                        << QStringList{"Zeitüberschreitung. Keine Antwort vom Modem. "};
        QTest::newRow("silent from AT+CSQ") << QByteArray("AT+CSQ") << "silent"
                                            << QStringList{"Zeitüberschreitung. Keine Antwort vom Modem. "};
        QTest::newRow("silent from AT+CGMI") << QByteArray("AT+CGMI") << "silent"
                                             << QStringList{"Zeitüberschreitung. Keine Antwort vom Modem. "};
        QTest::newRow("pulled out during AT+CSQ") << QByteArray("AT+CSQ") << "pulled"
                                                  << QStringList{"Die Verbindung zum Modem ist unterbrochen."};
        QTest::newRow("port closed by the user") << QByteArray("AT+CSQ") << "closed" << QStringList{};
    }
    void aRunThatLosesTheModemEndsWithOneBox()
    {
        QFETCH(QByteArray, at);
        QFETCH(QString, how);
        QFETCH(QStringList, boxes);
        RegRig r;
        bool gone = false;
        r.fake->setResponder([&](const QByteArray &b) {
            if (b.startsWith(at) && !gone) {
                gone = true;
                if (how == QLatin1String("pulled"))
                    r.p.clock.scheduleIn(2.0, [&] { r.fake->hangUp(); });
                else if (how == QLatin1String("closed"))
                    r.p.clock.scheduleIn(2.0, [&] { r.main->ComToggle(); });
            }
            if (!gone)
                r.sim->send(r.sim->modem().receive(b));
        });
        const double start = r.p.clock.monotonic();
        r.w->cmdModemOn->click();
        QVERIFY(r.p.clock.monotonic() - start < 20.0);
        QCOMPARE(r.commands().last(), QString::fromLatin1(at));
        QStringList shown;
        for (const QString &t : r.p.dialogs.texts())
            shown << t.section(QLatin1Char('\n'), 0, 0);
        QCOMPARE(shown, boxes);
        QCOMPARE(r.w->cmdBreak->text(), QStringLiteral("Anmeldung &abbrechen"));
        QVERIFY(r.main->receiveTimer());
    }

    // Every button on a closed port says so at once instead of timing out, and leaves the
    // next run free to start.
    void aClosedPortSaysSoAndSendsNothing_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("breakCaption");
        QTest::newRow("Modem anmelden") << "cmdModemOn" << "Anmeldung &abbrechen";
        QTest::newRow("Feldstärke") << "cmdFeld" << "&Anmeldung abbrechen";
        QTest::newRow("Anmeldung prüfen") << "cmdStep" << "&Anmeldung abbrechen";
        QTest::newRow("PIN testen") << "cmdPinTest" << "&Anmeldung abbrechen";
        QTest::newRow("SMSC neu") << "cmdSMSCneu" << "&Anmeldung abbrechen";
        QTest::newRow("Eigene Nummer") << "cmdEigene" << "&Anmeldung abbrechen";
    }
    void aClosedPortSaysSoAndSendsNothing()
    {
        QFETCH(QString, button);
        QFETCH(QString, breakCaption);
        RegRig r;
        r.comm().setPortOpen(false);
        const double start = r.p.clock.monotonic();
        r.w->findChild<QPushButton *>(button)->click();
        QVERIFY(r.p.clock.monotonic() - start < 0.1);
        QCOMPARE(r.p.dialogs.texts(), QStringList{"  Com-Schnittstelle ist geschlossen!  "});
        QCOMPARE(r.commands(), QStringList());
        QCOMPARE(r.w->cmdBreak->text(), breakCaption);
        QVERIFY(r.main->receiveTimer());
    }

    void everyCaptionFitsItsButton()
    {
        RegRig r;
        for (QPushButton *b : r.w->findChildren<QPushButton *>())
            QVERIFY2(b->fontMetrics().horizontalAdvance(b->text().remove(QLatin1Char('&'))) < b->width() - 4,
                     qPrintable(b->objectName()));
    }
};

QTEST_MAIN(TestRegistration)
#include "test_registration.moc"
