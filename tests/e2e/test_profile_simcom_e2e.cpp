// Real time against varnix-modemsim as a SIMCom-style module: registration, a send and a read
// cycle.
#include "ProfileCycle.h"

class TestProfileSimcomE2e : public QObject {
    Q_OBJECT
private slots:
    void registrationSendAndRead_data() { ProfileCycle::addModes(); }
    void registrationSendAndRead()
    {
        QFETCH(bool, fast);
        ProfileCycle c(QStringLiteral("simcom"), {}, fast);
        // "Call Ready" and "SMS Ready" come a few seconds after the PIN, between two answers;
        // answers that end at their result code are done with the registration before that.
        QCOMPARE(c.registration(), QStringLiteral("angemeldet"));
        QCOMPARE(c.main().panelText(3), QStringLiteral("SIMCOM_SIM800L"));
        if (!fast)
            QVERIFY(c.main().terminalText().contains(QLatin1String("SMS Ready")));
        QVERIFY(c.boxes().isEmpty());

        QCOMPARE(c.send(QStringLiteral("Hallo Anna")), QByteArray("+4917099999999\tHallo Anna\n"));

        const QList<QStringList> rows = c.read();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0], (QStringList{"+4917012345678", "Grüße aus Köln"}));
        QCOMPARE(rows[1][0], QStringLiteral("+4915198765432"));
        QCOMPARE(rows[1][1], QStringLiteral("Grüße 😀"));
        QVERIFY(c.main().terminalText().contains(QLatin1String("+CPMS: \"SM\",0,30")));
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
        QTRY_VERIFY_WITH_TIMEOUT(c.main().terminalText().contains(QLatin1String("SMS Ready")), 5000);
    }
};

QTEST_MAIN(TestProfileSimcomE2e)
#include "test_profile_simcom_e2e.moc"
