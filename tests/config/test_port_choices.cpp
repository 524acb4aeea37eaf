#include "config/PortChoices.h"
#include "config/SerialDevices.h"

#include <QtTest>

class TestPortChoices : public QObject {
    Q_OBJECT
private slots:
    void storedSettingsSplit_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("items"); // speed, parity, data bits, stop bits
        const QStringList none{"", "", "", ""};
        QTest::newRow("9600,n,8,1") << "9600,n,8,1" << QStringList{"9600", "None", "8", "1"};
        QTest::newRow("1.5 stop bits") << "19200,e,7,1.5" << QStringList{"19200", "Even", "7", "1.5"};
        QTest::newRow("mark") << "4800,m,8,2" << QStringList{"4800", "Mark", "8", "2"};
        QTest::newRow("odd") << "4800,o,8,2" << QStringList{"4800", "Odd", "8", "2"};
        QTest::newRow("upper-case parity") << "9600,N,8,1" << QStringList{"9600", "None", "8", "1"};
        QTest::newRow("speed not in the list") << "12345,n,8,1" << QStringList{"12345", "None", "8", "1"};
        QTest::newRow("nothing stored") << "" << none;
        QTest::newRow("commas only") << ",,," << none;
        QTest::newRow("dot only") << "." << none;
        QTest::newRow("cut short") << "9600,n,8" << none;
        QTest::newRow("trailing comma") << "9600,n,8,1," << none;
        QTest::newRow("unknown parity") << "4800,x,8,2" << none;
        QTest::newRow("stop bits 1.0") << "9600,n,8,1.0" << none;
        QTest::newRow("dot in the speed") << "96.00,n,8,1" << none;
        QTest::newRow("blanks") << "9600, n, 8, 1" << none;
        QTest::newRow("garbage") << "Zeilenm\xc3\xbcll \r\n\t" << none;
        QTest::newRow("long garbage with dots") << QString(300, QLatin1Char('.')) << none;
    }
    void storedSettingsSplit()
    {
        QFETCH(QString, stored);
        const auto c = portchoices::splitStoredSettings(stored);
        QTEST((QStringList{c.speed, c.parity, c.dataBits, c.stopBits}), "items");
    }

    void modemDevicesFilteredAndOrdered()
    {
        const QList<SerialDevice> found{{"/dev/ttyS10", "", ""},  {"/dev/ttyS2", "", ""},   {"/dev/ttyACM0", "", ""},
                                        {"/dev/ttyAMA0", "", ""}, {"/dev/ttyUSB1", "", ""}, {"/dev/pts/3", "", ""},
                                        {"/dev/ttyUSB0", "", ""}, {"/dev/ttyUSBx", "", ""}};
        QStringList paths;
        for (const SerialDevice &d : SerialDevices::modemDevices(found))
            paths << d.path;
        QCOMPARE(paths, (QStringList{"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyACM0", "/dev/ttyS2", "/dev/ttyS10"}));
    }

    void deviceChoiceText_data()
    {
        QTest::addColumn<QString>("maker");
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("text");
        QTest::newRow("maker and product") << "Huawei" << "E3372" << "/dev/ttyUSB0 – Huawei E3372";
        QTest::newRow("product repeats the maker") << "FTDI" << "FTDI FT232R USB UART" << "/dev/ttyUSB0 – FTDI FT232R USB UART";
        QTest::newRow("maker only") << "Siemens" << "" << "/dev/ttyUSB0 – Siemens";
        QTest::newRow("nothing known") << "" << " " << "/dev/ttyUSB0";
    }
    void deviceChoiceText()
    {
        QFETCH(QString, maker);
        QFETCH(QString, product);
        const QString shown = SerialDevices::choiceText({"/dev/ttyUSB0", maker, product});
        QTEST(shown, "text");
        QCOMPARE(SerialDevices::pathFromChoice(shown), QStringLiteral("/dev/ttyUSB0"));
    }
};

QTEST_MAIN(TestPortChoices)
#include "test_port_choices.moc"
