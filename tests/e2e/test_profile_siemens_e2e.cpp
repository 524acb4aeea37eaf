// Real time against varnix-modemsim as an old Siemens-style modem: registration, a send and a
// read cycle.
#include "ProfileCycle.h"

class TestProfileSiemensE2e : public QObject {
    Q_OBJECT
private slots:
    void registrationSendAndRead_data() { ProfileCycle::addModes(); }
    void registrationSendAndRead()
    {
        QFETCH(bool, fast);
        ProfileCycle c(QStringLiteral("siemens"), {}, fast);
        // It has no AT+CPINR: known from its AT+CGMI, it is not asked, and the PIN goes in.
        QCOMPARE(c.registration(), QStringLiteral("angemeldet"));
        QCOMPARE(c.main().panelText(3), QStringLiteral("MC35i"));
        QVERIFY(!c.main().terminalText().contains(QLatin1String("AT+CPINR")));
        QVERIFY(c.main().terminalText().contains(QLatin1String("AT+CPIN=\"1234\"\r\n\r\nOK")));
        QVERIFY(c.boxes().isEmpty());

        QCOMPARE(c.send(QStringLiteral("Hallo Anna")), QByteArray("+4917099999999\tHallo Anna\n"));

        const QList<QStringList> rows = c.read();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0][0], QStringLiteral("+4917012345678"));
        // The umlauts come as GSM septets (ü 0x7E, ß 0x1E, ö 0x7C), filed as such and decoded.
        QCOMPARE(rows[0][1], QStringLiteral("Grüße aus Köln"));
        QCOMPARE(rows[1][0], QStringLiteral("+4915198765432"));
        // UCS2 comes as hex in text mode, decoded for the list.
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
    }
};

QTEST_MAIN(TestProfileSiemensE2e)
#include "test_profile_siemens_e2e.moc"
