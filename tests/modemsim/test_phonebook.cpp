// The SIM phonebooks "SM" and "ON": +CPBS, +CPBR, +CPBW, +CNUM.

#include "SimTest.h"

#include <QtTest>

using namespace modemsim;
using simtest::bringUp;
using simtest::talk;

namespace {

QByteArray okAnswer(const QByteArray &info)
{
    return "\r\n" + info + "\r\n\r\nOK\r\n";
}

const QByteArray kOk = "\r\nOK\r\n";

// Entries 1 and 2 taken, the rest of 250 free.
Modem prepared(Config cfg = {})
{
    cfg.ownNumber = "+491701234567";
    Modem m(cfg);
    bringUp(m);
    m.writePhoneEntry("SM", {"+4915100001", 145, "Anna"}, 1);
    m.writePhoneEntry("SM", {"0301234", 129, "Bernd"}, 2);
    return m;
}

} // namespace

class TestPhonebook : public QObject {
    Q_OBJECT

private slots:
    void write_data();
    void write();
    void read_data();
    void read();
    void ownNumber();
    void characterSets_data();
    void characterSets();
    void fullPhonebook();
    void writtenListReadsBack();
};

void TestPhonebook::write_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("index");         // location to look at afterwards
    QTest::addColumn<QByteArray>("entry");  // its +CPBR line, empty: free

    const QByteArray tooMany = "\r\n+CME ERROR: Incorrect parameters\r\n";
    QTest::newRow("quoted, with index") << QByteArray("AT+CPBW=5,\"+4917012345\",145,\"Hans\"") << kOk
                                        << 5 << QByteArray("+CPBR: 5,\"+4917012345\",145,\"Hans\"");
    // The program's form: no index, nothing quoted, blanks inside the name kept.
    QTest::newRow("program's form") << QByteArray("AT+CPBW=,+4917012345,145,Hans Meier") << kOk
                                    << 3 << QByteArray("+CPBR: 3,\"+4917012345\",145,\"Hans Meier\"");
    QTest::newRow("national number") << QByteArray("AT+CPBW=,0171123456,129,Otto") << kOk
                                     << 3 << QByteArray("+CPBR: 3,\"0171123456\",129,\"Otto\"");
    QTest::newRow("plus decides the type") << QByteArray("AT+CPBW=,+4917012345,129,X") << kOk
                                           << 3 << QByteArray("+CPBR: 3,\"+4917012345\",145,\"X\"");
    QTest::newRow("type 145 adds the plus") << QByteArray("AT+CPBW=,4917012345,145,X") << kOk
                                            << 3 << QByteArray("+CPBR: 3,\"+4917012345\",145,\"X\"");
    QTest::newRow("type left out") << QByteArray("AT+CPBW=,\"+4917012345\",,\"X\"") << kOk
                                   << 3 << QByteArray("+CPBR: 3,\"+4917012345\",145,\"X\"");
    QTest::newRow("number only") << QByteArray("AT+CPBW=,\"0171\"") << kOk << 3 << QByteArray("+CPBR: 3,\"0171\",129,\"\"");
    QTest::newRow("high bytes in name") << QByteArray("AT+CPBW=,0171,129,M\xfcller Gr\xf6\xdf") << kOk
                                        << 3 << QByteArray("+CPBR: 3,\"0171\",129,\"M\xfcller Gr\xf6\xdf\"");
    QTest::newRow("semicolon in name") << QByteArray("AT+CPBW=,0171,129,Meier;Ernst") << kOk
                                       << 3 << QByteArray("+CPBR: 3,\"0171\",129,\"Meier;Ernst\"");
    QTest::newRow("overwrite") << QByteArray("AT+CPBW=1,\"0171\",129,\"Neu\"") << kOk << 1 << QByteArray("+CPBR: 1,\"0171\",129,\"Neu\"");
    QTest::newRow("18 characters") << QByteArray("AT+CPBW=,0171,129,") + QByteArray(18, 'n') << kOk
                                   << 3 << "+CPBR: 3,\"0171\",129,\"" + QByteArray(18, 'n') + "\"";

    // Deleting: the index alone.
    QTest::newRow("delete") << QByteArray("AT+CPBW=2") << kOk << 2 << QByteArray();
    QTest::newRow("delete, blank") << QByteArray("AT+CPBW= 2") << kOk << 2 << QByteArray();
    QTest::newRow("delete free location") << QByteArray("AT+CPBW=9") << kOk << 9 << QByteArray();

    // Refused, nothing written.
    QTest::newRow("comma in unquoted name") << QByteArray("AT+CPBW=,0171,129,Meier, Ernst") << tooMany << 3 << QByteArray();
    QTest::newRow("empty row") << QByteArray("AT+CPBW=,,129,") << QByteArray("\r\n+CME ERROR: invalid index\r\n") << 3 << QByteArray();
    QTest::newRow("name too long") << QByteArray("AT+CPBW=,0171,129,") + QByteArray(19, 'n')
                                   << QByteArray("\r\n+CME ERROR: text string too long\r\n") << 3 << QByteArray();
    QTest::newRow("number too long") << QByteArray("AT+CPBW=,") + QByteArray(41, '1') + ",129,X"
                                     << QByteArray("\r\n+CME ERROR: dial string too long\r\n") << 3 << QByteArray();
    QTest::newRow("letters in number") << QByteArray("AT+CPBW=,01x1,129,X")
                                       << QByteArray("\r\n+CME ERROR: invalid characters in dial string\r\n") << 3 << QByteArray();
    QTest::newRow("index 0") << QByteArray("AT+CPBW=0,0171,129,X") << QByteArray("\r\n+CME ERROR: invalid index\r\n") << 3 << QByteArray();
    QTest::newRow("index 251") << QByteArray("AT+CPBW=251,0171,129,X") << QByteArray("\r\n+CME ERROR: invalid index\r\n") << 3 << QByteArray();
    QTest::newRow("open quote") << QByteArray("AT+CPBW=,\"0171,129,X") << tooMany << 3 << QByteArray();
    QTest::newRow("bad type") << QByteArray("AT+CPBW=,0171,12,X") << tooMany << 3 << QByteArray();
}

void TestPhonebook::write()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, answer);
    QFETCH(int, index);
    QFETCH(QByteArray, entry);
    Modem m = prepared();
    QCOMPARE(talk(m, "AT+CPBS=\"SM\"\r"), kOk);
    QCOMPARE(talk(m, line + "\r"), answer);
    const QByteArray read = "AT+CPBR= " + QByteArray::number(index) + ", " + QByteArray::number(index) + "\r";
    QCOMPARE(talk(m, read), entry.isEmpty() ? kOk : okAnswer(entry));
}

void TestPhonebook::read_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("answer");

    const QByteArray anna = "+CPBR: 1,\"+4915100001\",145,\"Anna\"";
    const QByteArray bernd = "+CPBR: 2,\"0301234\",129,\"Bernd\"";
    const QByteArray e21 = "\r\n+CME ERROR: invalid index\r\n";
    QTest::newRow("range") << QByteArray("AT+CPBR=?") << okAnswer("+CPBR: (1-250),40,18");
    QTest::newRow("one") << QByteArray("AT+CPBR=1") << okAnswer(anna);
    QTest::newRow("one, program's form") << QByteArray("AT+CPBR= 2, 2") << okAnswer(bernd);
    QTest::newRow("span") << QByteArray("AT+CPBR=1,250") << okAnswer(anna + "\r\n" + bernd);
    QTest::newRow("span with blanks") << QByteArray("AT+CPBR= 1, 250") << okAnswer(anna + "\r\n" + bernd);
    QTest::newRow("free location") << QByteArray("AT+CPBR= 3, 3") << kOk;
    QTest::newRow("index 0") << QByteArray("AT+CPBR=0") << e21;
    QTest::newRow("index 251") << QByteArray("AT+CPBR=251") << e21;
    QTest::newRow("backwards") << QByteArray("AT+CPBR=5,3") << e21;
    QTest::newRow("no index") << QByteArray("AT+CPBR=") << QByteArray("\r\n+CME ERROR: Incorrect parameters\r\n");
    QTest::newRow("storage state") << QByteArray("AT+CPBS?") << okAnswer("+CPBS: \"SM\",2,250");
    QTest::newRow("storages") << QByteArray("AT+CPBS=?") << okAnswer("+CPBS: (\"SM\",\"ON\")");
    QTest::newRow("unknown storage") << QByteArray("AT+CPBS=\"XX\"") << QByteArray("\r\n+CME ERROR: operation not supported\r\n");
    QTest::newRow("write range") << QByteArray("AT+CPBW=?") << okAnswer("+CPBW: (1-250),40,(129,145,161),18");
}

void TestPhonebook::read()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, answer);
    Modem m = prepared();
    QCOMPARE(talk(m, line + "\r"), answer);
}

// Names as the host's character set has them: the SIM keeps Windows-1252.
void TestPhonebook::characterSets_data()
{
    QTest::addColumn<QByteArray>("set");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QByteArray>("read");

    QTest::newRow("IRA passes bytes") << QByteArray("IRA") << QByteArray("Z\xeb") << kOk << QByteArray("Z\xeb") << QByteArray("Z\xeb");
    QTest::newRow("UCS2") << QByteArray("UCS2") << QByteArray("005A00EB20AC") << kOk << QByteArray("Z\xeb\x80")
                          << QByteArray("005A00EB20AC");
    QTest::newRow("UCS2 lower case") << QByteArray("UCS2") << QByteArray("005a00eb") << kOk << QByteArray("Z\xeb")
                                     << QByteArray("005A00EB");
    QTest::newRow("UCS2 beyond the code page") << QByteArray("UCS2") << QByteArray("03A9") << kOk << QByteArray("?")
                                               << QByteArray("003F");
    QTest::newRow("UCS2 odd length") << QByteArray("UCS2") << QByteArray("005A0")
                                     << QByteArray("\r\n+CME ERROR: invalid characters in text string\r\n") << QByteArray() << QByteArray();
    QTest::newRow("UCS2 not hex") << QByteArray("UCS2") << QByteArray("Anna")
                                  << QByteArray("\r\n+CME ERROR: invalid characters in text string\r\n") << QByteArray() << QByteArray();
    QTest::newRow("HEX") << QByteArray("HEX") << QByteArray("5AEB") << kOk << QByteArray("Z\xeb") << QByteArray("5AEB");
}

void TestPhonebook::characterSets()
{
    QFETCH(QByteArray, set);
    QFETCH(QByteArray, written);
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, read);
    Modem m = prepared();
    QCOMPARE(talk(m, "AT+CSCS=\"" + set + "\"\r"), kOk);
    QCOMPARE(talk(m, "AT+CPBW=5,\"0171\",129,\"" + written + "\"\r"), answer);
    if (stored.isEmpty()) {
        QVERIFY(!m.phoneEntry("SM", 5));
        return;
    }
    QCOMPARE(m.phoneEntry("SM", 5)->name, stored);
    QCOMPARE(talk(m, "AT+CPBR=5\r"), okAnswer("+CPBR: 5,\"0171\",129,\"" + read + "\""));
}

// The program's own-number query: select "ON", read entry 1.
void TestPhonebook::ownNumber()
{
    Modem m = prepared();
    QCOMPARE(talk(m, "AT+CPBS=\"ON\"\r"), kOk);
    QCOMPARE(talk(m, "AT+CPBR=1\r"), okAnswer("+CPBR: 1,\"+491701234567\",145,\"\""));
    QCOMPARE(talk(m, "AT+CPBS?\r"), okAnswer("+CPBS: \"ON\",1,4"));
    QCOMPARE(talk(m, "AT+CNUM\r"), okAnswer("+CNUM: \"\",\"+491701234567\",145"));
    // Without an own number the location is simply free.
    Modem plain;
    bringUp(plain);
    talk(plain, "AT+CPBS=\"ON\"\r");
    QCOMPARE(talk(plain, "AT+CPBR=1\r"), kOk);
}

void TestPhonebook::fullPhonebook()
{
    Config cfg;
    cfg.phonebookSize = 3;
    Modem m = prepared(cfg);
    QCOMPARE(talk(m, "AT+CPBW=,0171,129,C\r"), kOk);
    QCOMPARE(talk(m, "AT+CPBW=,0172,129,D\r"), QByteArray("\r\n+CME ERROR: memory full\r\n"));
    // With an index the entry replaces what is there.
    QCOMPARE(talk(m, "AT+CPBW=2,0172,129,D\r"), kOk);
    QCOMPARE(m.phonebookUsed("SM"), 3);
    QCOMPARE(m.phoneEntry("SM", 2)->name, QByteArray("D"));
}

// Writing back a list read from the card adds every entry a second time.
void TestPhonebook::writtenListReadsBack()
{
    Modem m = prepared();
    talk(m, "AT+CPBS=\"SM\"\r");
    talk(m, "AT+CPBW=,+4915100001,145,Anna\r");
    talk(m, "AT+CPBW=,0301234,129,Bernd\r");
    QCOMPARE(m.phonebookUsed("SM"), 4);
    QCOMPARE(*m.phoneEntry("SM", 3), *m.phoneEntry("SM", 1));
    QCOMPARE(m.phoneEntry("SM", 4)->number, QByteArray("0301234"));
}

QTEST_GUILESS_MAIN(TestPhonebook)
#include "test_phonebook.moc"
