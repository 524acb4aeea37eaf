// The modem search on in-process ports and the virtual clock: simulated modems of every
// profile beside devices that answer garbage, echo for ever, answer too late, go away or have
// nothing on them.
#include "config/ModemProbe.h"
#include "config/ProbeDevices.h"
#include "modem/ModemCommand.h"
#include "support/FakeSerialBackend.h"
#include "support/SimulatedModem.h"
#include "support/TestPlatform.h"

#include <QtTest>

#include <map>

Q_DECLARE_METATYPE(ProbeOutcome)

namespace {

// What sits behind a device.
enum class Behind {
    Nothing,  // a plain serial port with no modem on it
    Modem,    // the simulated modem (the row's profile and speed)
    Garbage,  // line noise, without end, whatever is sent
    Echo,     // every byte comes back, again and again
    Late,     // OK, but 20 s after the command
    Vanishes, // pulled out 0.3 s into the search
    Busy,     // another program holds it
    Denied,   // the user may not open it
    Missing,  // gone before the search opened it
};

struct Device {
    QString path;
    Behind behind = Behind::Nothing;
    QByteArray profile = {};
    int baud = 9600;
    QByteArray pin = "1234";
};

// The devices of one search and what happened on them.
struct Rig {
    TestPlatform p;
    std::map<QString, Device> devices;
    std::map<QString, FakeSerialBackend *> ports; // owned by the probe
    std::vector<std::unique_ptr<SimulatedModem>> modems;

    void add(const Device &d) { devices[d.path] = d; }

    std::unique_ptr<SerialBackend> make(const QString &path)
    {
        auto port = std::make_unique<FakeSerialBackend>(p.clock);
        FakeSerialBackend *fake = port.get();
        ports[path] = fake;
        const Device d = devices.at(path);
        switch (d.behind) {
        case Behind::Nothing:
            break;
        case Behind::Modem: {
            modemsim::Config cfg;
            cfg.profile = d.profile;
            cfg.baud = d.baud;
            cfg.pin = d.pin;
            modems.push_back(std::make_unique<SimulatedModem>(*fake, cfg));
            break;
        }
        case Behind::Garbage:
            fake->setResponder([fake](const QByteArray &) {
                for (int i = 0; i < 300; ++i)
                    fake->deliver(QByteArray("\x8f\x03\xfe~\x11OK\x7f\xe0", 10), 0.005 * i);
            });
            break;
        case Behind::Echo:
            fake->setResponder([fake](const QByteArray &b) {
                for (int i = 0; i < 3000; ++i)
                    fake->deliver(b, 0.01 * i);
            });
            break;
        case Behind::Late:
            fake->setResponder([fake](const QByteArray &) { fake->deliver("\r\nOK\r\n", 20.0); });
            break;
        case Behind::Vanishes:
            p.clock.scheduleIn(0.3, [fake] { fake->hangUp(); });
            break;
        case Behind::Busy:
            fake->busy << path;
            break;
        case Behind::Denied:
            fake->denied << path;
            break;
        case Behind::Missing:
            fake->missing << path;
            break;
        }
        return port;
    }

    QList<ProbeCandidate> candidates() const
    {
        QList<ProbeCandidate> out;
        for (const auto &[path, d] : devices)
            out << ProbeCandidate{path, path, {}, false, 0, 0};
        return out;
    }

    // Every command line written to `path`, one an entry, without its CR.
    QStringList written(const QString &path) const
    {
        const auto it = ports.find(path);
        if (it == ports.end())
            return {};
        return QString::fromLatin1(it->second->written()).split(QLatin1Char('\r'), Qt::SkipEmptyParts);
    }
};

const ProbeResult *resultFor(const QList<ProbeResult> &results, const QString &path)
{
    for (const ProbeResult &r : results) {
        if (r.candidate.path == path)
            return &r;
    }
    return nullptr;
}

const QStringList kAllowed{"AT", "AT+CGMI", "AT+CGMM", "AT+CPIN?"};

} // namespace

class TestModemProbe : public QObject {
    Q_OBJECT
private slots:
    // Eight devices at once: three modems among five that are none. The search ends within
    // its budget, tells each device's outcome, sends nothing but the four questions, and
    // leaves every port closed.
    void eightDevicesSideBySide_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<ProbeOutcome>("outcome");
        QTest::addColumn<QString>("maker");
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("speed");
        QTest::addColumn<QString>("sim");
        QTest::newRow("siemens at 9600") << "/dev/ttyS0" << ProbeOutcome::Modem << "SIEMENS"
                                         << "MC35i" << 9600 << "PIN nötig";
        QTest::newRow("huawei at any speed") << "/dev/ttyUSB0" << ProbeOutcome::Modem << "huawei"
                                             << "E173" << 115200 << "PIN nötig";
        QTest::newRow("quectel at 115200, no PIN") << "/dev/ttyUSB2" << ProbeOutcome::Modem << "Quectel"
                                                   << "EC25" << 115200 << "bereit";
        QTest::newRow("nothing on it") << "/dev/ttyS1" << ProbeOutcome::NoAnswer << ""
                                       << "" << 0 << "";
        QTest::newRow("garbage") << "/dev/ttyUSB1" << ProbeOutcome::NoAnswer << ""
                                 << "" << 0 << "";
        QTest::newRow("echo for ever") << "/dev/ttyUSB3" << ProbeOutcome::NoAnswer << ""
                                       << "" << 0 << "";
        QTest::newRow("answers after 20 s") << "/dev/ttyACM0" << ProbeOutcome::NoAnswer << ""
                                            << "" << 0 << "";
        QTest::newRow("pulled out") << "/dev/ttyACM1" << ProbeOutcome::Gone << ""
                                    << "" << 0 << "";
    }

    void eightDevicesSideBySide()
    {
        QFETCH(QString, path);
        QFETCH(ProbeOutcome, outcome);
        Rig r;
        r.add({"/dev/ttyS0", Behind::Modem, "siemens", 9600});
        r.add({"/dev/ttyUSB0", Behind::Modem, "huawei", 0});
        r.add({"/dev/ttyUSB2", Behind::Modem, "quectel", 115200, ""});
        r.add({"/dev/ttyS1", Behind::Nothing});
        r.add({"/dev/ttyUSB1", Behind::Garbage});
        r.add({"/dev/ttyUSB3", Behind::Echo});
        r.add({"/dev/ttyACM0", Behind::Late});
        r.add({"/dev/ttyACM1", Behind::Vanishes});
        ModemProbe probe(r.candidates(), [&r](const QString &p) { return r.make(p); });
        QList<int> told;
        probe.run([&told](int ended, int total) {
            QCOMPARE(total, 8);
            told << ended;
        });
        QVERIFY(r.p.clock.monotonic() <= 10.0);
        QCOMPARE(told.last(), 8);
        QVERIFY(std::is_sorted(told.begin(), told.end()));

        const QList<ProbeResult> results = probe.results();
        const ProbeResult *got = resultFor(results, path);
        QVERIFY(got);
        QCOMPARE(got->outcome, outcome);
        QTEST(got->maker, "maker");
        QTEST(got->model, "model");
        QTEST(got->speed, "speed");
        QTEST(ProbeSimText(*got), "sim");
        for (const QString &line : r.written(path))
            QVERIFY2(kAllowed.contains(line), qPrintable(line));
        QVERIFY(!r.ports.at(path)->isOpen());
    }

    // A device nobody can open is listed with the reason and nothing is written to it; the
    // program's own port is not even opened.
    void devicesThatCannotBeAsked_data()
    {
        QTest::addColumn<int>("behind");
        QTest::addColumn<ProbeOutcome>("outcome");
        QTest::addColumn<QString>("text");
        QTest::newRow("busy") << int(Behind::Busy) << ProbeOutcome::Busy << "belegt";
        QTest::newRow("denied") << int(Behind::Denied) << ProbeOutcome::Denied << "kein Zugriff";
        QTest::newRow("missing") << int(Behind::Missing) << ProbeOutcome::Missing << "nicht vorhanden";
    }

    void devicesThatCannotBeAsked()
    {
        QFETCH(int, behind);
        QFETCH(ProbeOutcome, outcome);
        QFETCH(QString, text);
        Rig r;
        r.add({"/dev/ttyUSB0", Behind(behind)});
        r.add({"/dev/ttyUSB1", Behind::Modem, "huawei", 0});
        ModemProbe probe(r.candidates(), [&r](const QString &p) { return r.make(p); }, {"/dev/ttyUSB1"});
        probe.run();
        const QList<ProbeResult> results = probe.results();
        QCOMPARE(results.size(), 2);
        QCOMPARE(results[0].outcome, outcome);
        QCOMPARE(ProbeOutcomeText(results[0]), text);
        QVERIFY(!results[0].detail.isEmpty());
        QCOMPARE(r.written(QStringLiteral("/dev/ttyUSB0")), QStringList());
        QCOMPARE(results[1].outcome, ProbeOutcome::OwnPort);
        QCOMPARE(ProbeOutcomeText(results[1]), QStringLiteral("in Benutzung durch Varnix"));
        QVERIFY(!r.ports.count(QStringLiteral("/dev/ttyUSB1")));
        // Nothing to wait for: it ends at once.
        QVERIFY(r.p.clock.monotonic() < 0.1);
    }

    // Stopped by the user: what answered so far stands, the rest says so, all ports closed.
    void aStoppedSearchClosesEverything()
    {
        Rig r;
        r.add({"/dev/ttyUSB0", Behind::Modem, "huawei", 0});
        r.add({"/dev/ttyUSB1", Behind::Nothing});
        ModemProbe probe(r.candidates(), [&r](const QString &p) { return r.make(p); });
        // The modem has answered AT (and is being asked who it is); the empty port still waits.
        probe.run({}, [&r] { return r.p.clock.monotonic() > 0.2; });
        const QList<ProbeResult> results = probe.results();
        QCOMPARE(results[0].outcome, ProbeOutcome::Modem);
        QCOMPARE(results[1].outcome, ProbeOutcome::Stopped);
        QVERIFY(!r.ports.at(QStringLiteral("/dev/ttyUSB0"))->isOpen());
        QVERIFY(!r.ports.at(QStringLiteral("/dev/ttyUSB1"))->isOpen());
        QVERIFY(r.p.clock.monotonic() < 0.3);
    }

    // A modem whose identity queries go unanswered is still a modem, found at its speed; the
    // whole search ends within its budget.
    void aModemThatAnswersOnlyAt()
    {
        Rig r;
        r.add({"/dev/ttyUSB0", Behind::Nothing});
        ModemProbe probe(r.candidates(), [&r](const QString &p) {
            auto port = r.make(p);
            auto *fake = static_cast<FakeSerialBackend *>(port.get());
            fake->setResponder([fake](const QByteArray &b) {
                if (b == "AT\r" && fake->lineSettings.speed == 57600)
                    fake->deliver("AT\r\r\nOK\r\n", 0.05);
            });
            return port;
        });
        probe.run();
        const ProbeResult got = probe.results().at(0);
        QCOMPARE(got.outcome, ProbeOutcome::Modem);
        QCOMPARE(got.speed, 57600);
        QCOMPARE(got.maker, QString());
        QCOMPARE(ProbeSimText(got), QStringLiteral("?"));
        QCOMPARE(r.written(QStringLiteral("/dev/ttyUSB0")),
                 (QStringList{"AT", "AT", "AT", "AT+CGMI", "AT+CGMM", "AT+CPIN?"}));
        QVERIFY(r.p.clock.monotonic() <= ModemProbe::kBudgetSeconds + 0.1);
    }

    // What the SIM column says for the answers to AT+CPIN? (27.007 8.3, 9.2).
    void simText_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        QTest::newRow("ready") << "\r\n+CPIN: READY\r\n\r\nOK\r\n" << int(kStatusOk) << "bereit";
        QTest::newRow("pin") << "\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n" << int(kStatusOk) << "PIN nötig";
        QTest::newRow("puk") << "\r\n+CPIN: SIM PUK\r\n\r\nOK\r\n" << int(kStatusOk) << "gesperrt (PUK nötig)";
        QTest::newRow("no SIM, numeric") << "\r\n+CME ERROR: 10\r\n" << int(kStatusError) << "keine SIM-Karte";
        QTest::newRow("no SIM, verbose") << "\r\n+CME ERROR: SIM not inserted\r\n"
                                         << int(kStatusError) << "keine SIM-Karte";
        QTest::newRow("busy") << "\r\n+CME ERROR: 14\r\n" << int(kStatusError) << "SIM-Karte beschäftigt";
        QTest::newRow("failure") << "\r\n+CME ERROR: SIM failure\r\n" << int(kStatusError) << "SIM-Karte defekt";
        QTest::newRow("another code") << "\r\n+CPIN: PH-SIM PIN\r\n\r\nOK\r\n" << int(kStatusOk) << "PH-SIM PIN";
        QTest::newRow("plain error") << "\r\nERROR\r\n" << int(kStatusError) << "unbekannt";
        QTest::newRow("no answer") << "" << int(kStatusTimeout) << "?";
    }

    void simText()
    {
        QFETCH(QString, answer);
        QFETCH(int, status);
        ProbeResult r;
        r.outcome = ProbeOutcome::Modem;
        r.sim = CpinReadState(answer, qint16(status));
        QTEST(ProbeSimText(r), "text");
        r.outcome = ProbeOutcome::NoAnswer;
        QCOMPARE(ProbeSimText(r), QString());
    }

    // The order devices are asked and listed in: the stable by-id links first, then the USB,
    // ACM and built-in ports no link reaches; each device once, with what the system knows;
    // the kernel's console never.
    void candidates()
    {
        const QList<ByIdLink> links{
            {"/dev/serial/by-id/usb-Quectel_EC25-if02-port0", "/dev/ttyUSB2"},
            {"/dev/serial/by-id/usb-HUAWEI_Mobile-if00-port0", "/dev/ttyUSB0"},
            {"/dev/serial/by-id/usb-Quectel_EC25-if02-port0-copy", "/dev/ttyUSB2"},
            {"/dev/serial/by-id/broken", ""},
        };
        QList<SystemPort> ports;
        const auto port = [&ports](const char *device, const char *maker, const char *product, quint16 vid,
                                   quint16 pid) {
            SystemPort p;
            p.device = QString::fromLatin1(device);
            p.maker = QString::fromLatin1(maker);
            p.product = QString::fromLatin1(product);
            p.hasIds = vid != 0;
            p.vendorId = vid;
            p.productId = pid;
            ports << p;
        };
        port("/dev/ttyS0", "", "", 0, 0);
        port("/dev/ttyS1", "", "", 0, 0); // the kernel's console
        port("/dev/ttyUSB2", "Quectel", "EC25", 0x2c7c, 0x0125);
        port("/dev/ttyACM0", "Siemens", "MC35i", 0x0681, 0x0041);
        port("/dev/ttyUSB0", "HUAWEI", "HUAWEI Mobile", 0x12d1, 0x1506);
        port("/dev/ttyUSB1", "HUAWEI", "HUAWEI Mobile", 0x12d1, 0x1506);
        port("/dev/ttyAMA0", "", "", 0, 0);
        QStringList got;
        for (const ProbeCandidate &c : ProbeCandidates(links, ports, {"ttyS1", "tty0"}))
            got << QStringLiteral("%1 %2 [%3] %4:%5")
                       .arg(c.path, c.device, c.about)
                       .arg(c.vendorId, 4, 16, QLatin1Char('0'))
                       .arg(c.productId, 4, 16, QLatin1Char('0'));
        QCOMPARE(got, (QStringList{
                          "/dev/serial/by-id/usb-HUAWEI_Mobile-if00-port0 /dev/ttyUSB0 [HUAWEI Mobile] 12d1:1506",
                          "/dev/serial/by-id/usb-Quectel_EC25-if02-port0 /dev/ttyUSB2 [Quectel EC25] 2c7c:0125",
                          "/dev/ttyUSB1 /dev/ttyUSB1 [HUAWEI Mobile] 12d1:1506",
                          "/dev/ttyACM0 /dev/ttyACM0 [Siemens MC35i] 0681:0041",
                          "/dev/ttyS0 /dev/ttyS0 [] 0000:0000",
                      }));
    }
};

QTEST_MAIN(TestModemProbe)
#include "test_modem_probe.moc"
