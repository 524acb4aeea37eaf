// The modem profiles: each differs from the standard modem in a few known ways, and only in
// those.

#include "SimTest.h"

#include <QtTest>

using namespace modemsim;
using simtest::bringUp;
using simtest::joined;
using simtest::talk;

namespace {

Modem withProfile(const QByteArray &name, Config cfg = {})
{
    cfg.profile = name;
    cfg.networkTime = "24/05/01,12:30:05+08";
    return Modem(cfg);
}

QByteArray urc(const QByteArray &line)
{
    return "\r\n" + line + "\r\n";
}

const QByteArray kOk = "\r\nOK\r\n";

} // namespace

class TestProfiles : public QObject {
    Q_OBJECT

private slots:
    void knownNames()
    {
        QCOMPARE(profileNames(), QByteArray("siemens, huawei, quectel, simcom"));
        QVERIFY(findProfile("Quectel"));
        QVERIFY(!findProfile("nokia"));
        // An unknown name is the standard modem.
        Modem m = withProfile("nokia");
        QCOMPARE(talk(m, "ATE0\rAT+CGMI\r"), QByteArray("ATE0\r\r\nOK\r\n\r\nVarnix\r\n\r\nOK\r\n"));
    }

    // One command line, after the registration's settings, for each profile and the standard.
    void answers_data()
    {
        QTest::addColumn<QByteArray>("profile");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("answer");

        const QByteArray six = "+CSCS: (\"GSM\",\"IRA\",\"8859-1\",\"PCCP437\",\"UCS2\",\"HEX\")";
        QTest::newRow("standard: maker") << QByteArray() << QByteArray("AT+CGMI") << QByteArray("Varnix\r\n\r\nOK");
        QTest::newRow("standard: +CPINR")
            << QByteArray() << QByteArray("AT+CPINR=\"SIM PIN\"") << QByteArray("+CPINR: SIM PIN,3,3\r\n\r\nOK");
        QTest::newRow("standard: sets") << QByteArray() << QByteArray("AT+CSCS=?") << six + "\r\n\r\nOK";
        QTest::newRow("standard: set") << QByteArray() << QByteArray("AT+CSCS?")
                                       << QByteArray("+CSCS: \"IRA\"\r\n\r\nOK");
        QTest::newRow("standard: storages") << QByteArray() << QByteArray("AT+CPMS?")
                                            << QByteArray("+CPMS: \"SM\",0,30,\"SM\",0,30,\"SM\",0,30\r\n\r\nOK");

        QTest::newRow("siemens: maker") << QByteArray("siemens") << QByteArray("AT+CGMI")
                                        << QByteArray("SIEMENS\r\n\r\nOK");
        QTest::newRow("siemens: model") << QByteArray("siemens") << QByteArray("AT+GMM")
                                        << QByteArray("MC35i\r\n\r\nOK");
        QTest::newRow("siemens: no +CPINR") << QByteArray("siemens") << QByteArray("AT+CPINR") << QByteArray("ERROR");
        QTest::newRow("siemens: no UCS2") << QByteArray("siemens") << QByteArray("AT+CSCS=?")
                                          << QByteArray("+CSCS: (\"GSM\",\"IRA\",\"PCCP437\")\r\n\r\nOK");
        QTest::newRow("siemens: UCS2 refused") << QByteArray("siemens") << QByteArray("AT+CSCS=\"UCS2\"")
                                               << QByteArray("+CME ERROR: Incorrect parameters");
        QTest::newRow("siemens: GSM at power-up")
            << QByteArray("siemens") << QByteArray("AT+CSCS?") << QByteArray("+CSCS: \"GSM\"\r\n\r\nOK");

        QTest::newRow("huawei: maker") << QByteArray("huawei") << QByteArray("AT+CGMI")
                                       << QByteArray("huawei\r\n\r\nOK");
        QTest::newRow("quectel: maker") << QByteArray("quectel") << QByteArray("AT+CGMI")
                                        << QByteArray("Quectel\r\n\r\nOK");
        QTest::newRow("quectel: ME") << QByteArray("quectel") << QByteArray("AT+CPMS?")
                                     << QByteArray("+CPMS: \"ME\",0,100,\"ME\",0,100,\"ME\",0,100\r\n\r\nOK");
        QTest::newRow("simcom: maker") << QByteArray("simcom") << QByteArray("AT+CGMI")
                                       << QByteArray("SIMCOM_Ltd\r\n\r\nOK");
    }

    void answers()
    {
        QFETCH(QByteArray, profile);
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, answer);
        Config cfg;
        cfg.mixEvery = -1; // no Huawei lines in the middle of this
        Modem m = withProfile(profile, cfg);
        bringUp(m);
        QCOMPARE(talk(m, line + "\r"), "\r\n" + answer + "\r\n");
    }

    // What each modem says at power-up with a SIM that asks for its PIN, and after the PIN.
    void startLines_data()
    {
        QTest::addColumn<QByteArray>("profile");
        QTest::addColumn<QByteArray>("boot");
        QTest::addColumn<QList<int>>("times");     // after the PIN, ms
        QTest::addColumn<QByteArrayList>("lines"); // what comes by each time

        QTest::newRow("standard") << QByteArray() << QByteArray() << QList<int>{0, 5000} << QByteArrayList{{}, {}};
        QTest::newRow("siemens") << QByteArray("siemens") << urc("^SYSSTART") << QList<int>{0} << QByteArrayList{{}};
        QTest::newRow("quectel") << QByteArray("quectel") << urc("RDY") + urc("+CPIN: SIM PIN")
                                 << QList<int>{0, 999, 1000, 2000}
                                 << QByteArrayList{
                                        urc("+CPIN: READY"), {}, urc("+QIND: SMS DONE"), urc("+QIND: PB DONE")};
        QTest::newRow("simcom") << QByteArray("simcom") << urc("RDY") + urc("+CFUN: 1") + urc("+CPIN: SIM PIN")
                                << QList<int>{0, 2000, 3000} << QByteArrayList{{}, urc("Call Ready"), urc("SMS Ready")};
    }

    void startLines()
    {
        QFETCH(QByteArray, profile);
        QFETCH(QByteArray, boot);
        QFETCH(QList<int>, times);
        QFETCH(QByteArrayList, lines);
        Modem m = withProfile(profile);
        QCOMPARE(joined(m.powerOn()), boot);
        QCOMPARE(talk(m, "ATE0\rAT+CPIN=\"1234\"\r"), QByteArray("ATE0\r\r\nOK\r\n\r\nOK\r\n"));
        for (int i = 0; i < times.size(); ++i)
            QCOMPARE(joined(m.advanceTo(times[i])), lines[i]);
    }

    void quectelWithoutPin()
    {
        Config cfg;
        cfg.pin.clear();
        Modem m = withProfile("quectel", cfg);
        QCOMPARE(joined(m.powerOn()), urc("RDY") + urc("+CPIN: READY"));
        QCOMPARE(joined(m.advanceTo(1000)), urc("+QIND: SMS DONE"));
        // New messages land in "ME" and are announced so.
        QCOMPARE(joined(m.injectSms({"REC UNREAD", "+49170", "24/05/01,12:30:05+08", "Hallo"})),
                 urc("+CMTI: \"ME\",1"));
        QCOMPARE(m.storageUsed("ME"), 1);
        QCOMPARE(m.storageUsed("SM"), 0);
    }

    // The SIM800 refuses the message commands from the PIN until it has said "SMS Ready"; what
    // is no message command works meanwhile.
    void simcomRefusesMessagesUntilSmsReady()
    {
        Modem m = withProfile("simcom");
        m.powerOn();
        QCOMPARE(talk(m, "ATE0\rAT+CMEE=2\rAT+CMGF=1\r"), QByteArray("ATE0\r") + kOk + kOk + kOk);
        QCOMPARE(talk(m, "AT+CPIN=\"1234\"\r"), kOk);
        QCOMPARE(talk(m, "AT+CMGF=1\r"), QByteArray("\r\nERROR\r\n"));
        QCOMPARE(talk(m, "AT+CPMS?\r"), QByteArray("\r\nERROR\r\n"));
        QCOMPARE(talk(m, "AT+CSQ\r"), urc("+CSQ: 21,99") + kOk);
        QCOMPARE(joined(m.advanceTo(2999)), urc("Call Ready"));
        QCOMPARE(talk(m, "AT+CMGF=1\r"), QByteArray("\r\nERROR\r\n"));
        QCOMPARE(joined(m.advanceTo(3000)), urc("SMS Ready"));
        QCOMPARE(talk(m, "AT+CMGF=1\r"), kOk);
    }

    // Huawei: its own lines come at any moment, and inside every fourth answer.
    void huaweiLines()
    {
        Modem m = withProfile("huawei");
        QCOMPARE(joined(m.powerOn()), QByteArray());
        QCOMPARE(talk(m, "ATE0\r"), "ATE0\r" + kOk);
        QCOMPARE(talk(m, "AT+CSQ\r"), urc("+CSQ: 21,99") + kOk);
        QCOMPARE(talk(m, "AT+CSQ\r"), urc("+CSQ: 21,99") + kOk);
        QCOMPARE(talk(m, "AT+CSQ\r"), urc("+CSQ: 21,99") + urc("^RSSI:21") + kOk);
        QCOMPARE(joined(m.advanceTo(5000)), urc("^BOOT:20952548,0,0,0,72"));
        QCOMPARE(joined(m.advanceTo(15000)), urc("^RSSI:21") + urc("^MODE:5,4"));
        QCOMPARE(m.nextDue(), qint64(20000));
    }

    // Huawei refuses a send through a service centre other than the network's with 500.
    void huaweiWrongCentre_data()
    {
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<QByteArray>("send");
        QTest::addColumn<QByteArray>("answer");

        const QByteArray refused = "\r\n+CMS ERROR: 500\r\n";
        const QByteArray sent = "\r\n+CMGS: 1\r\n\r\nOK\r\n";
        const QByteArray text = "AT+CMGS=\"+4917012345\"\rHallo\x1a";
        QTest::newRow("network's centre") << QByteArray() << text << "\r\n> " + sent;
        QTest::newRow("another centre") << QByteArray("AT+CSCA=\"+491722270333\"\r") << text << "\r\n> " + refused;
        // In PDU mode a centre in the PDU counts; 00 leaves the one of +CSCA.
        const QByteArray submit = "1100 0A91947110325400 00 FF 05 C8309BFD06";
        QTest::newRow("PDU, no centre in it")
            << QByteArray("AT+CMGF=0\r") << "AT+CMGS=18\r00" + QByteArray(submit).replace(' ', "") + "\x1a"
            << "\r\n> " + sent;
        QTest::newRow("PDU, another centre in it")
            << QByteArray("AT+CMGF=0\r")
            << "AT+CMGS=18\r0791947122723033" + QByteArray(submit).replace(' ', "") + "\x1a"
            << "\r\n> " + refused;
    }

    void huaweiWrongCentre()
    {
        QFETCH(QByteArray, setup);
        QFETCH(QByteArray, send);
        QFETCH(QByteArray, answer);
        Config cfg;
        cfg.mixEvery = -1;
        Modem m = withProfile("huawei", cfg);
        bringUp(m);
        talk(m, "AT+CMEE=1\r");
        QCOMPARE(talk(m, setup), setup.isEmpty() ? QByteArray() : kOk);
        QCOMPARE(talk(m, send), answer);
        QCOMPARE(m.arrivals().size(), answer.contains("CMGS:") ? 1 : 0);
    }

    void huaweiFullStorage()
    {
        Config cfg;
        cfg.mixEvery = -1;
        cfg.storageSize = 1;
        Modem m = withProfile("huawei", cfg);
        bringUp(m);
        Incoming in;
        in.number = "+4917012345";
        in.text = QStringLiteral("eins");
        QCOMPARE(joined(m.deliver(in)), urc("+CMTI: \"SM\",1"));
        QCOMPARE(joined(m.deliver(in)), urc("^SMMEMFULL:\"SM\""));
    }

    // ATZ restores what AT&W stored; the SIMCom module turns echo on whatever was stored.
    void resetEcho_data()
    {
        QTest::addColumn<QByteArray>("profile");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("standard") << QByteArray() << kOk;
        QTest::newRow("simcom") << QByteArray("simcom") << QByteArray("AT\r") + kOk;
    }

    void resetEcho()
    {
        QFETCH(QByteArray, profile);
        QFETCH(QByteArray, answer);
        Modem m = withProfile(profile);
        QCOMPARE(talk(m, "ATE0&W\r"), QByteArray("ATE0&W\r") + kOk);
        QCOMPARE(talk(m, "ATZ\r"), kOk);
        QCOMPARE(talk(m, "AT\r"), answer);
        // AT&F: the factory settings, echo on.
        talk(m, "AT&F\r");
        QCOMPARE(talk(m, "AT\r"), QByteArray("AT\r") + kOk);
    }
};

QTEST_GUILESS_MAIN(TestProfiles)
#include "test_profiles.moc"
