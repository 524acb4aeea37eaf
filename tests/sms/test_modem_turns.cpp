#include "../support/MainRig.h"

#include "modem/ModemTask.h"
#include "modem/frmSMS1.h"
#include "sms/frmListe.h"
#include "sms/frmSendSM.h"
#include "sms/SmsDataFile.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// The texts as the user reads them, written out: a changed letter in the program shows here.
QString busyWith(const QString &task)
{
    return QStringLiteral("Das Modem ist gerade mit „%1“ beschäftigt.\nBitte warten, bis das fertig ist.").arg(task);
}
} // namespace

namespace {

// Three windows that talk to the modem, open side by side as the user may have them.
struct TurnsRig : MainRig {
    QTemporaryDir dir;
    std::unique_ptr<frmSendSM> send;
    std::unique_ptr<frmListe> list;
    std::unique_ptr<frmSMS1> registration;

    TurnsRig()
    {
        p.settings.set(keys::MyDir, dir.path());
        p.settings.set(keys::PollInterval, QStringLiteral("0"));
        smsrun::setCurrentFile({});
        QFile phones(dir.filePath(QStringLiteral("phone.lst")));
        phones.open(QIODevice::WriteOnly);
        phones.write("Anna;+4917012345678\r\n");
        phones.close();
        modemsim::Modem &m = attachModem();
        m.receive("AT+CPIN=\"1234\"\r");
        m.receive("AT+CMGF=1\r");
        m.storeSms({"REC UNREAD", "+4917099999999", "02/11/19,09:57:28+04", "Bin gleich da"}, 1);
        send = std::make_unique<frmSendSM>(*main);
        send->Eingabe->setPlainText(QStringLiteral("Hallo Anna"));
        list = std::make_unique<frmListe>(*main);
        registration = std::make_unique<frmSMS1>(*main);
    }
    ~TurnsRig() { smsrun::setCurrentFile({}); }
    modemsim::Modem &modem() { return sim->modem(); }
    bool messageStillOnSim() { return modem().slot(1).has_value(); }
    void tick() { QMetaObject::invokeMethod(&list->Timer1, "timeout"); }
};

} // namespace

class TestModemTurns : public QObject {
    Q_OBJECT
private slots:
    // The list's timer fires while the send waits at the modem's "> " prompt: its read cycle
    // would put AT+CMGR into the message's text.
    void aListTickDuringASendWaitsForTheNextTick()
    {
        TurnsRig r;
        r.p.clock.scheduleIn(0.3, [&] { r.tick(); });
        r.fake->takeWritten();
        r.send->cmdSend->click();
        QCOMPARE(r.fake->takeWritten(), QByteArray("AT+CMGS=\"+4917012345678\"\rHallo Anna\x1A"));
        QCOMPARE(r.modem().outbox().size(), 1);
        QCOMPARE(r.modem().outbox()[0].text, QByteArray("Hallo Anna"));
        QVERIFY(r.messageStillOnSim());
        QVERIFY(r.p.dialogs.shown.isEmpty());

        // The send is over: the next tick reads the message.
        r.tick();
        QVERIFY(!r.messageStillOnSim());
    }

    // What the user starts in one window while another window's task waits for the modem is
    // refused with a box that names that window; nothing goes to the modem.
    void aClickDuringAnotherWindowsTaskIsRefused_data()
    {
        QTest::addColumn<int>("running");
        QTest::addColumn<int>("clicked");
        QTest::addColumn<QString>("holder");
        enum { Send, Read, Signal, Scan, Settings };
        QTest::newRow("send while the list reads") << int(Read) << int(Send) << "SMS-Datei";
        QTest::newRow("read while a message goes out") << int(Send) << int(Read) << "SM senden";
        QTest::newRow("signal query while the list reads") << int(Read) << int(Signal) << "SMS-Datei";
        QTest::newRow("baud scan while a message goes out") << int(Send) << int(Scan) << "SM senden";
        QTest::newRow("port settings while the list reads") << int(Read) << int(Settings) << "SMS-Datei";
        QTest::newRow("read during registration") << int(Signal) << int(Read) << "Modem anmelden";
    }
    void aClickDuringAnotherWindowsTaskIsRefused()
    {
        QFETCH(int, running);
        QFETCH(int, clicked);
        QFETCH(QString, holder);
        TurnsRig r;
        const auto press = [&r](int which) {
            switch (which) {
            case 0: r.send->cmdSend->click(); break;
            case 1: r.list->cmdLes->click(); break;
            case 2: r.registration->cmdFeld->click(); break;
            case 3: r.main->openBaudScan(); break;
            default: r.main->openPortSettings(); break;
            }
        };
        QByteArray duringTask;
        r.p.clock.scheduleIn(0.3, [&] {
            r.fake->takeWritten();
            press(clicked);
            duringTask = r.fake->takeWritten();
        });
        press(running);

        QCOMPARE(r.p.dialogs.texts(), QStringList{busyWith(holder)});
        // The box does not hold up the task it names.
        QVERIFY(!r.p.dialogs.shown[0].waited);
        QCOMPARE(duringTask, QByteArray());
        QVERIFY(r.comm().portOpen());
        QCOMPARE(r.modem().outbox().size(), running == 0 ? 1 : 0);

        // Once the task is over the same click goes through.
        r.p.dialogs.clear();
        r.fake->takeWritten();
        if (clicked < 3) { // the modal windows would wait for the user
            press(clicked);
            QVERIFY(!r.fake->takeWritten().isEmpty());
        }
        QVERIFY(!r.p.dialogs.texts().contains(busyWith(holder)));
    }

    void theTerminalDoesNotReadDuringATask()
    {
        TurnsRig r;
        // A window left the main timer on, and its tick comes right after the modem answered
        // a command of the read cycle.
        r.main->setReceiveTimer(true);
        r.fake->setResponder([&](const QByteArray &b) {
            r.sim->send(r.sim->modem().receive(b));
            // Due with the answer's first bytes: the tick comes before the exchange looks.
            r.p.clock.scheduleIn(0.02, [&] { QMetaObject::invokeMethod(&r.main->Timer1, "timeout"); });
        });
        r.list->cmdLes->click();
        QVERIFY(!r.messageStillOnSim());
        QVERIFY(r.p.dialogs.shown.isEmpty());
    }

    // One task at a time: the same window asking again in the middle of its own task is
    // refused quietly, another window with the box; the receive timer is held by the task and
    // by the windows that read the modem themselves, and runs again only when all are done.
    void oneTaskAtATimeAndTheTimerComesBackWhenAllAreDone()
    {
        MainRig r;
        QWidget a, b;
        {
            ModemTask outer(*r.main, &a, QStringLiteral("A"));
            QVERIFY(outer);
            QVERIFY(!r.main->receiveTimer());
            {
                const ModemTask again(*r.main, &a, QStringLiteral("A"));
                const ModemTask other(*r.main, &b, QStringLiteral("B"));
                const ModemTask tick(*r.main, &b, QStringLiteral("B"), ModemTask::Busy::Quiet);
                QVERIFY(!again && !other && !tick);
            }
            QCOMPARE(r.p.dialogs.texts(), QStringList{busyWith(QStringLiteral("A"))});
            QCOMPARE(r.main->modemTask(), QStringLiteral("A"));
            QVERIFY(ModemTask::runsFor(*r.main, &a));
            ModemTask::cancelFor(*r.main, &b);
            QVERIFY(!outer.cancelled());
            ModemTask::cancelFor(*r.main, &a);
            QVERIFY(outer.cancelled());
            r.main->holdReceiveTimer(); // a window that reads the modem itself, loaded meanwhile
        }
        QCOMPARE(r.main->modemTask(), QString());
        QVERIFY(!r.main->receiveTimer());
        QVERIFY(bool(ModemTask(*r.main, &b, QStringLiteral("B"))));
        r.main->releaseReceiveTimer();
        QVERIFY(r.main->receiveTimer());
    }
};

QTEST_MAIN(TestModemTurns)
#include "test_modem_turns.moc"
