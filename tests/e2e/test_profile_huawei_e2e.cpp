// Real time against varnix-modemsim as a Huawei-style USB stick, whose own lines come at any
// moment and inside answers: registration, a send and a read cycle.
#include "ProfileCycle.h"

class TestProfileHuaweiE2e : public QObject {
    Q_OBJECT
private slots:
    void registrationSendAndRead_data() { ProfileCycle::addModes(); }
    void registrationSendAndRead()
    {
        QFETCH(bool, fast);
        // Its own lines inside every answer (not only every fourth), so that where they fall
        // does not depend on how many commands came before.
        ProfileCycle c(QStringLiteral("huawei"), {QStringLiteral("--mix-every"), QStringLiteral("1")}, fast);
        // ^RSSI, ^MODE and ^BOOT inside the answers do not disturb the registration.
        QCOMPARE(c.registration(), QStringLiteral("angemeldet"));
        // The stick's own line inside the AT+GMM answer is no part of the model name; the
        // terminal shows it all the same.
        QCOMPARE(c.main().panelText(3), QStringLiteral("E173"));
        QVERIFY(c.main().terminalText().contains(QLatin1String("^RSSI:")));
        QCOMPARE(c.main().panelText(2), QStringLiteral("Varnix Mobil"));
        QCOMPARE(c.main().panelText(4), QStringLiteral("Feldstärke: 21"));
        QVERIFY(c.boxes().isEmpty());

        QCOMPARE(c.send(QStringLiteral("Hallo Anna")), QByteArray("+4917099999999\tHallo Anna\n"));

        const QList<QStringList> rows = c.read();
        QCOMPARE(rows.size(), 2);
        // The stick's line falls between the +CMGR header and the text: the data's length says
        // where the text is.
        QCOMPARE(rows[0][0], QStringLiteral("+4917012345678"));
        QCOMPARE(rows[0][1], QStringLiteral("Grüße aus Köln"));
        QCOMPARE(rows[1][0], QStringLiteral("+4915198765432"));
        QCOMPARE(rows[1][1], QStringLiteral("Grüße 😀"));
        QVERIFY(c.main().terminalText().contains(QLatin1String("+CPMS: \"SM\",0,30")));

        // The stick's own lines inside the answers of a send in PDU mode.
        c.todaysMessage();
        const QByteArray outbox = "+4917099999999\tHallo Anna\n+4917099999999\t" + kTodayText.toUtf8() + "\tpdu 3\n";

        // Through another service centre than the network's the stick refuses to send
        // (+CMS ERROR: 500); the send window says why, in German.
        c.main().setReceiveTimer(false);
        QString answer;
        Exchange(c.main(), QStringLiteral("AT+CSCA=\"+491722270333\""), answer);
        c.main().setReceiveTimer(true);
        QCOMPARE(c.send(QStringLiteral("Noch einmal")), outbox);
        QVERIFY(c.main().terminalText().contains(QLatin1String("+CMS ERROR: unknown error")));
        QCOMPARE(c.lastSaid, QStringLiteral("Nicht gesendet: abgelehnt: unbekannter Fehler (+CMS ERROR: unknown error)."));
        // With the quiet second the same costs a minute a profile; the read cycle's benchmark
        // and the in-process tests cover that mode.
        if (fast) {
            c.longMessageAcrossTwoCycles();
            if (QTest::currentTestFailed())
                return;
        }
        QVERIFY(c.boxes().isEmpty());
    }
};

QTEST_MAIN(TestProfileHuaweiE2e)
#include "test_profile_huawei_e2e.moc"
