// Real time against varnix-modemsim as a Quectel-style LTE module, which keeps messages in "ME":
// registration, a send and a read cycle.
#include "ProfileCycle.h"

class TestProfileQuectelE2e : public QObject {
    Q_OBJECT
private slots:
    void registrationSendAndRead_data() { ProfileCycle::addModes(); }
    void registrationSendAndRead()
    {
        QFETCH(bool, fast);
        ProfileCycle c(QStringLiteral("quectel"), {}, fast);
        // +CPIN: READY and +QIND: SMS DONE after the PIN land in the next answer's quiet second;
        // answers that end at their result code may be done with the registration before that.
        QCOMPARE(c.registration(), QStringLiteral("angemeldet"));
        QCOMPARE(c.main().panelText(3), QStringLiteral("EC25"));
        if (!fast)
            QVERIFY(c.main().terminalText().contains(QLatin1String("+QIND: SMS DONE")));
        QVERIFY(c.boxes().isEmpty());

        QCOMPARE(c.send(QStringLiteral("Hallo Anna")), QByteArray("+4917099999999\tHallo Anna\n"));

        // The read cycle takes the storage AT+CPMS? names first, "ME" here, and empties it.
        const QList<QStringList> rows = c.read();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0], (QStringList{"+4917012345678", "Grüße aus Köln"}));
        QCOMPARE(rows[1][0], QStringLiteral("+4915198765432"));
        QCOMPARE(rows[1][1], QStringLiteral("Grüße 😀"));
        QVERIFY(c.main().terminalText().contains(QLatin1String("+CPMS: \"ME\",0,100")));
        // With the quiet second the same costs a minute a profile; the read cycle's benchmark
        // and the in-process tests cover that mode.
        if (fast) {
            c.longMessageAcrossTwoCycles();
            if (QTest::currentTestFailed())
                return;
        }
        QVERIFY(c.boxes().isEmpty());

        c.todaysMessage();
        QVERIFY(c.boxes().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(c.main().terminalText().contains(QLatin1String("+QIND: SMS DONE")), 5000);
    }
};

QTEST_MAIN(TestProfileQuectelE2e)
#include "test_profile_quectel_e2e.moc"
