#include "support/TaskExchange.h"
#include "../support/MainRig.h"

#include "modem/ModemCommand.h"

#include <QtTest>

class TestModemCommand : public QObject {
    Q_OBJECT
private slots:
    void classification_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("status");
        QTest::newRow("OK") << QByteArray("\r\nOK\r\n") << 0;
        QTest::newRow("ERROR") << QByteArray("\r\nERROR\r\n") << 2;
        QTest::newRow("CME ERROR") << QByteArray("\r\n+CME ERROR: 10\r\n") << 2;
        QTest::newRow("CMS ERROR") << QByteArray("\r\n+CMS ERROR: 321\r\n") << 2;
        QTest::newRow("OK and ERROR") << QByteArray("\r\nOK\r\n\r\nERROR\r\n") << 2;
        QTest::newRow("prompt alone") << QByteArray("\r\n> ") << 9;
        QTest::newRow("OK inside a text") << QByteArray("\r\n+CMGR: x\r\nBOOK\r\n") << 0;
        QTest::newRow("lower-case ok") << QByteArray("\r\nok\r\n") << 9;
    }
    void classification()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, status);
        MainRig r;
        r.fake->deliver(reply, 0.3);
        QString answer;
        qint16 st = -1;
        ModemCommand(r.comm(), answer, st);
        QCOMPARE(int(st), status);
        QCOMPARE(answer, QString::fromLatin1(reply));
        QVERIFY(r.p.dialogs.shown.isEmpty());
    }

    // The answer ends about one quiet second after its last character; shorter gaps keep it
    // collecting, and what comes after the quiet second stays in the buffer.
    void gapsUnderASecondKeepItCollecting()
    {
        MainRig r;
        r.fake->deliver("\r\n+CSQ: 21,99\r\n", 0.2);
        r.fake->deliver("\r\nOK\r\n", 1.1);
        r.fake->deliver("\r\nRING\r\n", 2.0);
        r.fake->deliver("late", 3.5);
        const double start = r.p.clock.monotonic();
        QString answer;
        qint16 st = -1;
        ModemCommand(r.comm(), answer, st);
        const double quiet = r.p.clock.monotonic() - start - 2.0;
        QVERIFY2(quiet > 0.99 && quiet < 1.05, qPrintable(QString::number(quiet)));
        QCOMPARE(answer, QStringLiteral("\r\n+CSQ: 21,99\r\n\r\nOK\r\n\r\nRING\r\n"));
        QCOMPARE(st, qint16(kStatusOk));
        r.p.clock.advance(1.0);
        QCOMPARE(r.comm().input(), QStringLiteral("late"));
    }

    void midnightDoesNotCutTheWaitShortOrHangIt()
    {
        MainRig r;
        r.p.clock.setTimeOfDay(24 * 3600.0 - 3.0);
        r.fake->deliver("\r\nOK\r\n", 6.0); // arrives after midnight
        QString answer;
        qint16 st = -1;
        ModemCommand(r.comm(), answer, st);
        QCOMPARE(st, qint16(kStatusOk));
        QVERIFY(r.p.dialogs.shown.isEmpty());
    }

    // Silence times out once after ten seconds. Summer time, an NTP step or midnight moves the
    // time of day in the middle of a wait; the ten seconds and WaitSeconds are unmoved by it.
    void clockStepsDoNotMoveTheWaits_data()
    {
        QTest::addColumn<double>("timeOfDay");
        QTest::addColumn<double>("step");
        QTest::newRow("steady clock") << 50000.0 << 0.0;
        QTest::newRow("one hour forward") << 50000.0 << 3600.0;
        QTest::newRow("one hour back") << 50000.0 << -3600.0;
        QTest::newRow("NTP step back") << 50000.0 << -5.0;
        QTest::newRow("midnight") << 24 * 3600.0 - 2.0 << 0.0;
    }
    void clockStepsDoNotMoveTheWaits()
    {
        QFETCH(double, timeOfDay);
        QFETCH(double, step);
        MainRig r;
        r.p.clock.setTimeOfDay(timeOfDay);
        const auto jump = [&] { r.p.clock.setTimeOfDay(r.p.clock.now() + step); };
        double start = r.p.clock.monotonic();
        r.p.clock.schedule(start + 2.0, jump);
        QString answer = QStringLiteral("stale");
        qint16 st = -1;
        ModemCommand(r.comm(), answer, st);
        const double waited = r.p.clock.monotonic() - start;
        QCOMPARE(st, qint16(kStatusTimeout));
        QCOMPARE(answer, QString());
        QCOMPARE(r.p.dialogs.texts(), QStringList{"Zeitüberschreitung. Keine Antwort vom Modem. "});
        QCOMPARE(r.p.dialogs.shown[0].icon, MsgIcon::None);
        QVERIFY2(waited > 9.9 && waited < 10.2, qPrintable(QString::number(waited)));

        start = r.p.clock.monotonic();
        r.p.clock.schedule(start + 0.5, jump);
        WaitSeconds(3);
        const double slept = r.p.clock.monotonic() - start;
        QVERIFY2(slept > 2.4 && slept < 3.6, qPrintable(QString::number(slept)));
    }

    void waitSecondsRoundsItsStart_data()
    {
        QTest::addColumn<double>("timeOfDay");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::newRow("on a whole second") << 100.0 << 1.0 << 1.05;
        QTest::newRow("just after one") << 100.4 << 0.6 << 0.65;
        QTest::newRow("rounded up") << 100.6 << 1.4 << 1.45;
        QTest::newRow("across midnight") << 24 * 3600.0 - 0.2 << 1.0 << 1.3;
    }
    void waitSecondsRoundsItsStart()
    {
        QFETCH(double, timeOfDay);
        QFETCH(double, low);
        QFETCH(double, high);
        TestPlatform p;
        p.clock.setTimeOfDay(timeOfDay);
        const double start = p.clock.monotonic();
        WaitSeconds(1);
        const double waited = p.clock.monotonic() - start;
        QVERIFY2(waited >= low && waited <= high, qPrintable(QString::number(waited)));
    }

    // A modem babbling at the wrong speed, or a stream of unsolicited lines, never falls
    // quiet: the answer is cut, says so, and counts as no answer.
    void anAnswerThatNeverFallsQuietIsCut_data()
    {
        QTest::addColumn<QByteArray>("piece");
        QTest::addColumn<double>("every");
        QTest::addColumn<QString>("note");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::newRow("1 KB of noise every 0.1 s") << QByteArray(1024, '\xF0') << 0.1
                                                   << "\r\n*** Antwort abgebrochen: mehr als 65536 Zeichen ohne Pause ***\r\n"
                                                   << 6.2 << 6.5;
        QTest::newRow("an OK line every 0.5 s") << QByteArray("\r\nOK\r\n") << 0.5
                                                << "\r\n*** Antwort abgebrochen: das Modem sendet seit 30 s ohne Pause ***\r\n"
                                                << 30.0 << 30.6;
    }
    void anAnswerThatNeverFallsQuietIsCut()
    {
        QFETCH(QByteArray, piece);
        QFETCH(double, every);
        QFETCH(QString, note);
        QFETCH(double, low);
        QFETCH(double, high);
        MainRig r;
        for (int i = 0; i < 200; ++i)
            r.fake->deliver(piece, 0.2 + i * every);
        const double start = r.p.clock.monotonic();
        QString answer;
        qint16 st = -1;
        ModemCommand(r.comm(), answer, st);
        const double took = r.p.clock.monotonic() - start - 0.2;
        QCOMPARE(st, qint16(kStatusNoResult));
        QVERIFY2(took > low && took < high, qPrintable(QString::number(took)));
        QVERIFY(answer.endsWith(note));
        QVERIFY(r.p.dialogs.shown.isEmpty());
    }

    // A modal dialog opened from a click in the middle of an exchange (the phone list, the
    // log's file dialog) holds the waiting loop up; the modem goes on answering meanwhile.
    void aWaitHeldUpByADialogStillTakesTheAnswer_data()
    {
        QTest::addColumn<double>("heldAt");
        QTest::addColumn<double>("heldFor");
        QTest::addColumn<QByteArray>("before");
        QTest::newRow("15 s before the first character") << 0.5 << 15.0 << QByteArray();
        QTest::newRow("40 s in the middle of the answer") << 0.5 << 40.0 << QByteArray("\r\n+CSQ: 21,99\r\n");
    }
    void aWaitHeldUpByADialogStillTakesTheAnswer()
    {
        QFETCH(double, heldAt);
        QFETCH(double, heldFor);
        QFETCH(QByteArray, before);
        MainRig r;
        if (!before.isEmpty())
            r.fake->deliver(before, 0.2);
        r.p.clock.scheduleIn(heldAt, [&] {
            r.fake->deliver("\r\nOK\r\n");
            r.p.clock.advance(heldFor);
        });
        QString answer;
        qint16 st = -1;
        ModemCommand(r.comm(), answer, st);
        QCOMPARE(st, qint16(kStatusOk));
        QCOMPARE(answer, QString::fromLatin1(before + "\r\nOK\r\n"));
        QVERIFY(r.p.dialogs.shown.isEmpty());
    }

    void aClosedPortEndsTheWaitAtOnce_data()
    {
        QTest::addColumn<double>("closeAt");
        QTest::addColumn<bool>("pulled");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("boxes");
        const QString lost = QStringLiteral("Die Verbindung zum Modem ist unterbrochen.");
        QTest::newRow("closed before") << -1.0 << false << "" << QStringList{"  Com-Schnittstelle ist geschlossen!  "};
        QTest::newRow("closed by the user") << 3.0 << false << "" << QStringList{};
        QTest::newRow("pulled while waiting") << 3.0 << true << "" << QStringList{lost};
        QTest::newRow("pulled in mid-answer") << 0.5 << true << "\r\n+CSQ: 2" << QStringList{lost};
    }
    void aClosedPortEndsTheWaitAtOnce()
    {
        QFETCH(double, closeAt);
        QFETCH(bool, pulled);
        QFETCH(QString, answer);
        QFETCH(QStringList, boxes);
        MainRig r;
        if (!answer.isEmpty())
            r.fake->deliver(answer.toLatin1(), 0.2);
        if (closeAt < 0)
            r.comm().setPortOpen(false);
        else
            r.p.clock.scheduleIn(closeAt, [&] {
                if (pulled)
                    r.fake->hangUp();
                else
                    r.comm().setPortOpen(false);
            });
        const double start = r.p.clock.monotonic();
        QString got;
        qint16 st = -1;
        ModemCommand(r.comm(), got, st);
        QCOMPARE(st, qint16(kStatusTimeout));
        QCOMPARE(got, answer);
        QVERIFY(r.p.clock.monotonic() - start < std::max(closeAt, 0.0) + 0.05);
        QStringList shown;
        for (const QString &t : r.p.dialogs.texts())
            shown << t.section(QLatin1Char('\n'), 0, 0);
        QCOMPARE(shown, boxes);
    }

    // Ending at the final result code gives the status and the answer the quiet second gives,
    // less what the modem sent on its own behind it, a settle time behind the code instead of
    // a second. Where the rule cannot tell, the quiet second ends it as before.
    void atTheFinalResultCode_data()
    {
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QByteArray>("first");  // at 0.3 s
        QTest::addColumn<QByteArray>("second"); // 10 ms later
        QTest::addColumn<QString>("beyond");
        QTest::addColumn<double>("ends"); // seconds from the start, give or take two clock steps
        const QString at = QStringLiteral("AT\r");
        QTest::newRow("OK") << at << QByteArray("AT\r\r\nOK\r\n") << QByteArray() << "" << 0.32;
        QTest::newRow("ERROR") << at << QByteArray("\r\nERROR\r\n") << QByteArray() << "" << 0.32;
        QTest::newRow("+CME ERROR") << at << QByteArray("\r\n+CME ERROR: 10\r\n") << QByteArray() << "" << 0.32;
        QTest::newRow("prompt") << "AT+CMGS=\"+49\"\r" << QByteArray("\r\n> ") << QByteArray() << "" << 0.32;
        QTest::newRow("ATV0 numeric OK") << at << QByteArray("0\r") << QByteArray() << "" << 0.32;
        QTest::newRow("OK split across reads") << at << QByteArray("\r\nO") << QByteArray("K\r\n") << "" << 0.33;
        QTest::newRow("LF behind the CR comes late") << at << QByteArray("\r\nOK\r") << QByteArray("\n") << "" << 0.33;
        QTest::newRow("notice behind OK") << at << QByteArray("\r\nOK\r\n") << QByteArray("\r\n+CMTI: \"SM\",3\r\n")
                                          << "\r\n+CMTI: \"SM\",3\r\n" << 0.33;
        QTest::newRow("information behind OK") << at << QByteArray("\r\nOK\r\n")
                                               << QByteArray("\r\n+CPMS: \"SM\",1,30\r\n") << "" << 1.31;
        QTest::newRow("no result code") << at << QByteArray("\r\n+CSQ: 21,99\r\n") << QByteArray() << "" << 1.3;
        QTest::newRow("OK inside a message text")
            << "AT+CMGR=1\r" << QByteArray("\r\n+CMGR: \"REC READ\",\"+49\",,\"24/05/01,12:30:05+08\"\r\nOK\r\n")
            << QByteArray("Bis dann\r\n\r\nOK\r\n") << "" << 1.31;
        QTest::newRow("prompt to a command without one") << at << QByteArray("\r\n> ") << QByteArray() << "" << 1.3;
    }
    void atTheFinalResultCode()
    {
        QFETCH(QString, sent);
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QFETCH(QString, beyond);
        QFETCH(double, ends);
        struct Run {
            qint16 status = -1;
            QString answer;
            QString rest;
            QString left; // what the next exchange would find
            double took = 0;
            bool boxes = false;
        };
        const auto run = [&](const FinalResultWait *fast) {
            Run out;
            MainRig r;
            r.fake->deliver(first, 0.3);
            if (!second.isEmpty())
                r.fake->deliver(second, 0.31);
            const double start = r.p.clock.monotonic();
            ModemCommand(r.comm(), out.answer, out.status, TimeoutBox::Show, fast, &out.rest);
            out.took = r.p.clock.monotonic() - start;
            r.p.clock.advance(2.0);
            out.left = r.comm().input();
            out.boxes = !r.p.dialogs.shown.isEmpty();
            return out;
        };
        const FinalResultWait wait{&FinalResultEnd, sent, 0.02};
        const Run fast = run(&wait);
        const Run quiet = run(nullptr);
        QCOMPARE(fast.status, quiet.status);
        QCOMPARE(fast.answer + fast.rest, quiet.answer);
        QCOMPARE(fast.rest, beyond);
        QVERIFY(quiet.rest.isEmpty());
        QVERIFY(fast.left.isEmpty() && quiet.left.isEmpty());
        QVERIFY(!fast.boxes && !quiet.boxes);
        QVERIFY2(fast.took > ends - 0.02 && fast.took < ends + 0.02, qPrintable(QString::number(fast.took)));
    }

    // What comes after the settle time is the next exchange's to find; a silent modem still
    // times out after ten seconds with its box.
    void atTheFinalResultCodeLaterLinesAndSilence()
    {
        MainRig r;
        r.fake->deliver("\r\nOK\r\n", 0.3);
        r.fake->deliver("\r\nRING\r\n", 0.5);
        const FinalResultWait fast{&FinalResultEnd, QStringLiteral("AT\r"), 0.02};
        QString answer, rest;
        qint16 st = -1;
        ModemCommand(r.comm(), answer, st, TimeoutBox::Show, &fast, &rest);
        QCOMPARE(answer, QStringLiteral("\r\nOK\r\n"));
        QCOMPARE(st, qint16(kStatusOk));
        r.p.clock.advance(0.3);
        QCOMPARE(r.comm().input(), QStringLiteral("\r\nRING\r\n"));

        const double start = r.p.clock.monotonic();
        ModemCommand(r.comm(), answer, st, TimeoutBox::Show, &fast, &rest);
        QCOMPARE(st, qint16(kStatusTimeout));
        QVERIFY(r.p.clock.monotonic() - start > 9.9);
        QCOMPARE(r.p.dialogs.texts(), QStringList{kTimeoutMessage});
    }

    // Through the task, as the setting asks: a notice that came between two exchanges goes to
    // the terminal and the line listeners before the command, not into its answer.
    void aNoticeBetweenExchanges_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("answer");
        QTest::newRow("quiet second") << "False" << "\r\n+CMTI: \"SM\",4\r\n\r\nOK\r\n";
        QTest::newRow("final result code") << "True" << "\r\nOK\r\n";
    }
    void aNoticeBetweenExchanges()
    {
        QFETCH(QString, setting);
        QFETCH(QString, answer);
        MainRig r;
        r.p.settings.set(keys::FastAnswers, setting);
        QStringList heard;
        r.main->addLineListener([&](const QString &line) { heard << line; });
        r.fake->deliver("\r\n+CMTI: \"SM\",4\r\n");
        r.p.clock.advance(0.1);
        r.fake->setResponder([&](const QByteArray &) { r.fake->deliver("\r\nOK\r\n", 0.05); });
        QString got;
        QCOMPARE(Exchange(*r.main, QStringLiteral("AT"), got), qint16(kStatusOk));
        QCOMPARE(got, answer);
        QCOMPARE(heard, (QStringList{"+CMTI: \"SM\",4", "OK"}));
        const QString terminal = r.main->terminalText();
        QVERIFY2(terminal.endsWith(QLatin1String("\r\nOK\r\n")) && terminal.contains(QLatin1String("+CMTI")),
                 qPrintable(terminal));
    }

    void exchangeWritesFirstThenEchoesBoth()
    {
        MainRig r;
        r.attachModem();
        QString answer;
        const qint16 st = Exchange(*r.main, QStringLiteral("AT"), answer);
        QCOMPARE(st, qint16(kStatusOk));
        QCOMPARE(r.sent(), QStringLiteral("AT\r"));
        QCOMPARE(answer, QStringLiteral("AT\r\n\r\nOK\r\n"));
        QCOMPARE(r.main->terminalText(), QStringLiteral("AT\r\nAT\r\n\r\nOK\r\n"));
    }
};

QTEST_MAIN(TestModemCommand)
#include "test_modem_command.moc"
