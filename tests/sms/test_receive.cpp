#include "../support/FileSizeLimit.h"
#include "../support/MainRig.h"

#include "sms/ArchiveModel.h"
#include "sms/PhoneNames.h"
#include "sms/SmsArchive.h"
#include "sms/SmsDataFile.h"
#include "sms/frmListe.h"
#include "sms/frmZyklus.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// The texts as the user reads them, written out: a changed letter in the program shows here.
const QString kLinkLost =
    QStringLiteral("Die Verbindung zum Modem ist unterbrochen.\n\n"
                   "Schnittstelle COM1 (/dev/ttyS0) nicht mehr erreichbar – Kabel oder Gerät entfernt?\n\n"
                   "Ist das Modem wieder angeschlossen, öffnet „Com öffnen und schließen“ die Schnittstelle wieder.");
} // namespace

namespace {

const QString kShutOff = QStringLiteral("Modemabfrage wird abgeschaltet, weil es nicht antwortet. \r\n"
                                        "Für neuen Start bitte Fensterschließen und erneut öffnen.");

struct ReceiveRig : MainRig {
    QTemporaryDir dir;
    QPointer<frmListe> w;

    // Polling off unless asked for: the window's timer runs on the wall clock.
    explicit ReceiveRig(modemsim::Config cfg = {}, const QString &interval = QStringLiteral("0"))
    {
        p.settings.set(keys::MyDir, dir.path());
        if (!interval.isNull())
            p.settings.set(keys::PollInterval, interval);
        smsrun::setCurrentFile({});
        modemsim::Modem &m = attachModem(std::move(cfg));
        m.receive("AT+CPIN=\"1234\"\r");
        m.receive("AT+CMGF=1\r");
        open();
    }
    ~ReceiveRig() { delete w; }
    // The modem as before, but `answer` decides first: an answer of its own for a command
    // line, "" for silence, or a null array to let the modem answer.
    void fault(std::function<QByteArray(const QByteArray &)> answer)
    {
        fake->setResponder([this, answer](const QByteArray &line) {
            const QByteArray own = answer ? answer(line) : QByteArray();
            if (own.isNull())
                sim->send(modem().receive(line));
            else if (!own.isEmpty())
                fake->deliver(own, 0.02);
        });
    }
    void open() { w = new frmListe(*main, main.get()); }
    modemsim::Modem &modem() { return sim->modem(); }
    void store(int slot, const QByteArray &text, const QByteArray &number = "+4917012345678",
               const QByteArray &stamp = "02/11/19,09:57:28+04")
    {
        modem().storeSms({"REC UNREAD", number, stamp, text}, slot);
    }
    // The command lines one read cycle sends, less the character set and header details it
    // asks for around its slot reads (readingSetsTheDetailsAndGivesTheSetBack has them).
    QStringList read()
    {
        fake->takeWritten();
        w->cmdLes->click();
        QStringList lines = sent().split(u'\r');
        lines.removeLast();
        lines.removeIf([](const QString &l) { return l.startsWith(u"AT+CSCS") || l.startsWith(u"AT+CSDH"); });
        return lines;
    }
    QString cell(int row, int column) const
    {
        const QTableWidgetItem *it = w->grSMSListe->item(row, column);
        return it ? it->text() : QString();
    }
    QStringList row(int r) const { return {cell(r, 0), cell(r, 1), cell(r, 2), cell(r, 3), cell(r, 4)}; }
    QByteArray file() const
    {
        QFile f(dir.filePath(QStringLiteral("SMS00001.Dat")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList filesInFolder() const { return QDir(dir.path()).entryList(QDir::Files); }
    void closeAndUnload()
    {
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

QByteArray record(const QByteArray &text)
{
    // The details AT+CSDH=1 adds: type of number, first octet, protocol id, coding, centre, length.
    return "\"+4917012345678\",,\"02/11/19,09:57:28+04\",145,4,0,0,\"+491710760000\",145," +
           QByteArray::number(text.size()) + "\r\n" + text + "\r\n\r\nOK\r\n\r\n";
}

// Runs fn on the next modal dialog that opens.
template <typename Fn> void onModal(Fn fn)
{
    QTimer::singleShot(0, [fn] {
        if (auto *d = qobject_cast<frmZyklus *>(QApplication::activeModalWidget()))
            fn(d);
    });
}

} // namespace

class TestReceive : public QObject {
    Q_OBJECT
private slots:
    void loadingSwitchesTheReceiveTimerOffAndClosingOn()
    {
        ReceiveRig r({}, QString());
        QVERIFY(!r.main->receiveTimer());
        QVERIFY(r.w->Timer1.isActive());
        QCOMPARE(r.w->Timer1.interval(), 9999);
        QCOMPARE(r.w->lblMeldung->text(), QStringLiteral("Automatische Abfrage alle 9 s"));
        r.closeAndUnload();
        QVERIFY(r.w.isNull());
        QVERIFY(r.main->receiveTimer());
        QCOMPARE(r.p.settings.get(keys::PollInterval), QStringLiteral("9999"));
    }

    // The table shows the first line of a text; the file keeps all of it.
    void messagesAreFiledListedAndDeletedUntilTheSimIsEmpty()
    {
        modemsim::Config cfg;
        cfg.storageSize = 10;
        ReceiveRig r(cfg);
        r.store(3, "Hallo");
        r.store(7, "Gru\xDF aus K\xF6ln\rZweite Zeile", "0301234", "24/05/01,23:59:59-08");
        QCOMPARE(r.read(), (QStringList{"AT+CPMS?", "AT+CMGR= 1", "AT+CMGR= 2", "AT+CMGR= 3", "AT+CMGD= 3",
                                        "AT+CPMS?", "AT+CMGR= 4", "AT+CMGR= 5", "AT+CMGR= 6", "AT+CMGR= 7",
                                        "AT+CMGD= 7", "AT+CPMS?"}));
        QCOMPARE(r.modem().storageUsed(), 0);
        QCOMPARE(r.w->grSMSListe->rowCount(), 3);
        QCOMPARE(r.row(1), (QStringList{"1", "19.11.02", "09:57:28", "+4917012345678", "Hallo"}));
        QCOMPARE(r.row(2), (QStringList{"2", "01.05.24", "23:59:59", "0301234", "Gruß aus Köln"}));
        QCOMPARE(r.w->windowTitle(), QStringLiteral(" SMS-Datei [SMS00001.Dat]"));
        QCOMPARE(r.w->sbrMeldung->text(), QStringLiteral("SMS vorhanden:  0   SMS maximal:  10"));
        const QByteArray bytes = r.file();
        QVERIFY(QRegularExpression("^Datei angelegt am: \\d\\d-\\d\\d-\\d{4}, \\d\\d:\\d\\d:\\d\\d\r\n\"")
                    .match(QString::fromLatin1(bytes))
                    .hasMatch());
        // The text as the "GSM" set shows it, one byte a septet (ß 0x1E, ö 0x7C), its CR kept.
        QVERIFY(bytes.endsWith(record("Hallo") +
                               "\"0301234\",,\"24/05/01,23:59:59-08\",129,4,0,0,\"+491710760000\",145,26\r\n"
                               "Gru\x1E aus K\x7Cln\rZweite Zeile\r\n\r\nOK\r\n\r\n"));
        QVERIFY(r.p.dialogs.shown.isEmpty());
    }

    // With answers ending at their final result code the cycle files, lists and deletes the
    // same messages, texts that hold a line "OK" or look like a result code or a notice
    // included, whatever the modem's manners; without the pauses after the storage queries.
    void fastAnswersFileTheSameMessages_data()
    {
        QTest::addColumn<int>("splitMs");
        QTest::addColumn<QList<QByteArray>>("mixed");
        QTest::addColumn<double>("share"); // the most the fast cycle takes of the other's time
        QTest::newRow("plain") << 0 << QList<QByteArray>{} << 0.1;
        QTest::newRow("split answers") << 15 << QList<QByteArray>{} << 0.15;
        QTest::newRow("split longer than the settle time") << 300 << QList<QByteArray>{} << 0.6;
        QTest::newRow("notices inside and behind answers") << 0 << QList<QByteArray>{"^RSSI:17", "+CMTI: \"SM\",9"}
                                                            << 0.1;
    }
    void fastAnswersFileTheSameMessages()
    {
        QFETCH(int, splitMs);
        QFETCH(QList<QByteArray>, mixed);
        QFETCH(double, share);
        const QList<QByteArray> texts{"Treffen?\r\nOK\r\nBis dann", "OK", "ERROR", "RING", "+CMTI: \"SM\",3",
                                      "> ", "Hallo\r\n\r\nOK\r\n"};
        struct Run {
            QByteArray file;
            QList<QStringList> rows;
            int left = -1;
            QStringList boxes;
            double seconds = 0;
        };
        const auto run = [&](bool fast) {
            modemsim::Config cfg;
            cfg.storageSize = 10;
            cfg.splitPauseMs = splitMs;
            cfg.mixLines = mixed;
            cfg.mixEvery = mixed.isEmpty() ? 0 : 1;
            ReceiveRig r(cfg);
            r.p.settings.set(keys::FastAnswers, fast ? QStringLiteral("True") : QStringLiteral("False"));
            for (int i = 0; i < texts.size(); ++i)
                r.store(i + 1, texts[i]);
            const double start = r.p.clock.monotonic();
            r.read();
            Run out;
            out.seconds = r.p.clock.monotonic() - start;
            out.file = r.file().mid(r.file().indexOf('\n')); // behind the line with the date
            for (int row = 1; row < r.w->grSMSListe->rowCount(); ++row)
                out.rows << r.row(row);
            out.left = r.modem().storageUsed();
            out.boxes = r.p.dialogs.texts();
            return out;
        };
        const Run quiet = run(false);
        const Run fast = run(true);
        QCOMPARE(quiet.rows.size(), texts.size());
        QCOMPARE(quiet.left, 0);
        QVERIFY(quiet.boxes.isEmpty());
        QVERIFY(quiet.file.contains("\r\nTreffen?\r\nOK\r\nBis dann\r\n\r\nOK\r\n"));
        QCOMPARE(fast.file, quiet.file);
        QCOMPARE(fast.rows, quiet.rows);
        QCOMPARE(fast.left, quiet.left);
        QCOMPARE(fast.boxes, quiet.boxes);
        QVERIFY2(fast.seconds < share * quiet.seconds,
                 qPrintable(QStringLiteral("%1 s against %2 s").arg(fast.seconds).arg(quiet.seconds)));
    }

    // An empty slot answers OK alone or ERROR; in PDU mode an unread message is "+CMGR: 0".
    void slotsWithoutAMessageToFileAreSkipped_data()
    {
        QTest::addColumn<bool>("errorForEmpty");
        QTest::addColumn<bool>("pdu");
        QTest::addColumn<int>("stored"); // 0: an empty SIM
        QTest::addColumn<QStringList>("sent");
        const QStringList filed{"AT+CPMS?", "AT+CMGR= 1", "AT+CMGR= 2", "AT+CMGD= 2", "AT+CPMS?"};
        QTest::newRow("empty SIM: counts only") << false << false << 0 << QStringList{"AT+CPMS?"};
        QTest::newRow("OK only") << false << false << 2 << filed;
        QTest::newRow("ERROR") << true << false << 2 << filed;
        QTest::newRow("+CMGR: 0") << false << true << 2 << QStringList{"AT+CPMS?", "AT+CMGR= 1", "AT+CMGR= 2", "AT+CMGR= 3"};
    }
    void slotsWithoutAMessageToFileAreSkipped()
    {
        QFETCH(bool, errorForEmpty);
        QFETCH(bool, pdu);
        QFETCH(int, stored);
        QFETCH(QStringList, sent);
        modemsim::Config cfg;
        cfg.storageSize = 3;
        cfg.emptySlotCmsError = errorForEmpty;
        ReceiveRig r(cfg);
        if (pdu)
            r.modem().receive("AT+CMGF=0\r");
        if (stored)
            r.store(stored, "Hallo");
        QCOMPARE(r.read(), sent);
        QCOMPARE(r.modem().slot(2).has_value(), pdu);
        const bool filed = stored && !pdu;
        QCOMPARE(r.file().count("OK\r\n"), filed ? 1 : 0);
        QCOMPARE(r.filesInFolder().isEmpty(), !filed);
        QVERIFY(r.p.dialogs.shown.isEmpty());
    }

    // A pause mid-text longer than the quiet second: no final OK, so the message stays on the
    // SIM. Some modems leave out the empty line before the OK: that answer is whole.
    void theFinalOkDecidesWhetherAnAnswerIsWhole_data()
    {
        QTest::addColumn<QByteArray>("rest");
        QTest::addColumn<double>("pause");
        QTest::addColumn<bool>("filed");
        QTest::newRow("cut short") << QByteArray("ang und der Rest\r\n\r\nOK\r\n") << 2.5 << false;
        QTest::newRow("no empty line before OK") << QByteArray("ang und der Rest\r\nOK\r\n") << 0.0 << true;
    }
    void theFinalOkDecidesWhetherAnAnswerIsWhole()
    {
        QFETCH(QByteArray, rest);
        QFETCH(double, pause);
        QFETCH(bool, filed);
        ReceiveRig r;
        bool deleted = false;
        r.fake->setResponder([&](const QByteArray &line) {
            if (line.startsWith("AT+CPMS?"))
                r.fake->deliver(deleted ? "\r\n+CPMS: \"SM\",0,1\r\n\r\nOK\r\n"
                                        : "\r\n+CPMS: \"SM\",1,1\r\n\r\nOK\r\n");
            if (line.startsWith("AT+CMGR")) {
                r.fake->deliver("\r\n+CMGR: \"REC UNREAD\",\"+4930\",,\"24/05/01,12:30:05+08\"\r\nDer Anf");
                r.fake->deliver(rest, pause);
            }
            if (line.startsWith("AT+CMGD")) {
                deleted = true;
                r.fake->deliver("\r\nOK\r\n");
            }
        });
        r.read();
        QCOMPARE(deleted, filed);
        QCOMPARE(r.filesInFolder().contains("SMS00001.Dat"), filed);
        QCOMPARE(r.cell(1, 4), filed ? QStringLiteral("Der Anfang und der Rest") : QString());
        if (filed) {
            const ArchiveLoad load = LoadSmsArchive(r.dir.path());
            QCOMPARE(load.messages.size(), 1);
            QCOMPARE(load.messages[0].text, QStringLiteral("Der Anfang und der Rest"));
        }
    }

    void aFailureIsToldOnceAndPollingStops_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("filed");
        QTest::newRow("storage query refused") << "AT+CPMS" << QStringList{"AT+CPMS?", "AT+CPMS?"} << kShutOff << 0;
        QTest::newRow("silent after a deletion")
            << "silent 6" << QStringList{"AT+CPMS?", "AT+CMGR= 1", "AT+CMGD= 1", "AT+CPMS?", "AT+CPMS?"} << kShutOff
            << 1;
        QTest::newRow("silent at a slot")
            << "silent 7" << QStringList{"AT+CPMS?", "AT+CMGR= 1", "AT+CMGD= 1", "AT+CPMS?", "AT+CMGR= 2"} << kShutOff
            << 1;
        QTest::newRow("deletion refused")
            << "AT+CMGD" << QStringList{"AT+CPMS?", "AT+CMGR= 1", "AT+CMGD= 1"}
            << "Die SMS auf Platz 1 ist in der SMS-Datei gesichert, aber das Modem hat das Löschen auf der SIM-Karte "
               "abgelehnt (+CMS ERROR: 321)."
            << 1;
        QTest::newRow("disk full") << "disk full" << QStringList{"AT+CPMS?", "AT+CMGR= 1"}
                                   << "Die SMS-Datei %1 kann nicht angelegt werden: Die Datei hat die größte erlaubte "
                                      "Länge erreicht. Die SMS bleibt auf der SIM-Karte."
                                   << 0;
    }
    void aFailureIsToldOnceAndPollingStops()
    {
        QFETCH(QString, fault);
        QFETCH(QStringList, sent);
        QFETCH(QString, box);
        QFETCH(int, filed);
        modemsim::Config cfg;
        cfg.storageSize = 3;
        ReceiveRig r(cfg, QStringLiteral("15000"));
        for (int slot = 1; slot <= 3; ++slot)
            r.store(slot, "Nachricht " + QByteArray::number(slot));
        int lines = 0;
        const int silentAfter = fault.startsWith(u"silent") ? fault.mid(7).toInt() : -1;
        r.fault([&](const QByteArray &line) {
            if (silentAfter >= 0 && ++lines > silentAfter)
                return QByteArray("");
            if (line.startsWith(fault.toLatin1()))
                return QByteArray(fault == u"AT+CMGD" ? "\r\n+CMS ERROR: 321\r\n" : "\r\nERROR\r\n");
            return QByteArray();
        });
        {
            const FileSizeLimit full(fault == u"disk full" ? 0 : RLIM_INFINITY);
            QCOMPARE(r.read(), sent);
        }
        QCOMPARE(r.p.dialogs.texts(), QStringList{box.arg(r.dir.filePath("SMS00001.Dat"))});
        QCOMPARE(r.file().count("\r\nOK\r\n"), filed);
        QCOMPARE(r.w->sbrMeldung->text(),
                 QStringLiteral(" abgebrochen ... Automatische Abfrage angehalten, „Lesen“ startet sie wieder."));
        QVERIFY(!r.w->polling());
        QVERIFY(!r.w->Timer1.isActive());

        // The fault is gone: "Lesen" reads the rest and polls again.
        r.fault(nullptr);
        r.p.dialogs.clear();
        r.read();
        QVERIFY(r.p.dialogs.shown.isEmpty());
        QVERIFY(r.w->Timer1.isActive());
        QCOMPARE(r.modem().storageUsed(), 0);
        QCOMPARE(r.file().count("\r\nOK\r\n"), 3);
        for (int n = 1; n <= 3; ++n)
            QCOMPARE(r.file().count("Nachricht " + QByteArray::number(n)), 1);
    }

    // A new interval starts polling again too, and is kept even if the program then ends with
    // the window open.
    void aNewIntervalStartsPollingAgainAndIsKept()
    {
        ReceiveRig r({}, QStringLiteral("15000"));
        r.fault([](const QByteArray &line) {
            return line.startsWith("AT+CPMS") ? QByteArray("\r\nERROR\r\n") : QByteArray();
        });
        r.read();
        QVERIFY(!r.w->Timer1.isActive());
        onModal([](frmZyklus *d) {
            d->edZyklus->setText(QStringLiteral("20"));
            d->cmdOK->click();
        });
        r.w->cmdZyklus->click();
        QVERIFY(r.w->Timer1.isActive());
        QCOMPARE(r.w->Timer1.interval(), 20000);
        QCOMPARE(r.p.settings.get(keys::PollInterval), QStringLiteral("20000"));
    }

    // A message filed before the program ended, but still on the SIM (killed before AT+CMGD):
    // deleted, not filed again. Another message of the same sender is filed as usual.
    void aMessageFiledBeforeIsOnlyDeleted_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("stamp");
        QTest::addColumn<bool>("filedAgain");
        QTest::newRow("same message") << QByteArray("Hallo\rZeile 2") << QByteArray("02/11/19,09:57:28+04") << false;
        QTest::newRow("other text") << QByteArray("Hallo\rZeile 3") << QByteArray("02/11/19,09:57:28+04") << true;
        QTest::newRow("other time") << QByteArray("Hallo\rZeile 2") << QByteArray("02/11/19,09:57:29+04") << true;
    }
    void aMessageFiledBeforeIsOnlyDeleted()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, stamp);
        QFETCH(bool, filedAgain);
        ReceiveRig r;
        QFile earlier(r.dir.filePath("SMS00001.Dat"));
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("Datei angelegt am: 11-19-2002, 09:57:28\r\n" + record("Hallo\r\nZeile 2"));
        earlier.close();
        r.store(1, text, "+4917012345678", stamp);
        QCOMPARE(r.read(), (QStringList{"AT+CPMS?", "AT+CMGR= 1", "AT+CMGD= 1", "AT+CPMS?"}));
        QCOMPARE(r.modem().storageUsed(), 0);
        QCOMPARE(QFile::exists(r.dir.filePath("SMS00002.DAT")), filedAgain);
        QCOMPARE(r.w->grSMSListe->rowCount() == 2 && r.cell(1, 0).isEmpty(), !filedAgain);
        QVERIFY(r.p.dialogs.shown.isEmpty());
    }

    void aSecondCycleIsRefusedWhileOneRuns()
    {
        ReceiveRig r;
        r.store(1, "Hallo");
        r.p.clock.scheduleIn(0.5, [&r] {
            r.w->cmdLes->click();
            QMetaObject::invokeMethod(&r.w->Timer1, "timeout");
            QVERIFY(r.w->cycleRunning());
        });
        QCOMPARE(r.read(), (QStringList{"AT+CPMS?", "AT+CMGR= 1", "AT+CMGD= 1", "AT+CPMS?"}));
        QCOMPARE(r.w->grSMSListe->rowCount(), 2);
        QVERIFY(!r.w->cycleRunning());
    }


    // A long UCS2 message with an emoji, its parts arriving out of order over two read cycles:
    // each part is filed and deleted at once, the list shows one row that is completed when
    // the missing part comes, and the archive shows the joined text.
    void aLongUnicodeMessageIsOneRowOnceItsPartsAreIn()
    {
        ReceiveRig r;
        const QString text = QStringLiteral("Grüße aus İstanbul 😀 ") + QString(150, u'ж') + QStringLiteral(" Ende");
        modemsim::Incoming msg;
        msg.number = "+4917012345678";
        msg.text = text;
        msg.timestamp = "24/06/01,10:00:00+08";
        msg.reference = 42;
        msg.parts = {3, 1};
        QString error;
        QVERIFY2(r.modem().preload(msg, &error), qPrintable(error));
        r.read();
        QCOMPARE(r.modem().storageUsed(), 0);
        QCOMPARE(r.w->grSMSListe->rowCount(), 2);
        const QString half = r.cell(1, 4);
        QVERIFY2(half.startsWith(QStringLiteral("Grüße aus İstanbul 😀 жж")), qPrintable(half));
        QVERIFY(half.contains(QStringLiteral("жж[Teil 2 von 3 fehlt]жж")));
        QVERIFY(half.endsWith(QStringLiteral("жж Ende")));

        msg.parts = {2};
        QVERIFY2(r.modem().preload(msg, &error), qPrintable(error));
        r.read();
        QCOMPARE(r.modem().storageUsed(), 0);
        QCOMPARE(r.w->grSMSListe->rowCount(), 2);
        QCOMPARE(r.row(1), (QStringList{"1", "01.06.24", "10:00:00", "+4917012345678", text}));
        // Three records of hex digits, each with its header's details.
        QCOMPARE(r.file().count(",145,68,0,8,\"+491710760000\",145,"), 3);

        ArchiveModel model;
        model.setMessages(LoadSmsArchive(r.dir.path()).messages, PhoneNames());
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.message(0).text, text);
    }


    // The cycle reads in the "GSM" set with the header details, and gives the modem's set back
    // at the end; messages waiting in another storage ("ME") are read too, and the storage read
    // before is chosen again.
    void readingSetsTheDetailsAndGivesTheSetBack()
    {
        ReceiveRig r;
        r.modem().receive("AT+CSCS=\"IRA\"\r");
        r.modem().receive("AT+CPMS=\"SM\",\"SM\",\"ME\"\r"); // it receives into its own memory
        r.store(2, "Hallo");
        modemsim::StoredSms own{"REC UNREAD", "+4915198765432", "24/06/01,10:00:00+08", "Im Ger\xE4t"};
        QVERIFY(r.modem().storeSms("ME", own, 5) == 5);
        r.fake->takeWritten();
        r.w->cmdLes->click();
        QStringList lines = r.sent().split(u'\r');
        lines.removeLast();
        QCOMPARE(lines, (QStringList{"AT+CPMS?", "AT+CSCS?", "AT+CSCS=\"GSM\"", "AT+CSDH=1", "AT+CMGR= 1",
                                     "AT+CMGR= 2", "AT+CMGD= 2", "AT+CPMS?", "AT+CPMS=\"ME\"", "AT+CPMS?", "AT+CMGR= 1",
                                     "AT+CMGR= 2", "AT+CMGR= 3", "AT+CMGR= 4", "AT+CMGR= 5", "AT+CMGD= 5", "AT+CPMS?",
                                     "AT+CPMS=\"SM\"", "AT+CSCS=\"IRA\""}));
        QCOMPARE(r.modem().charset(), modemsim::te::Charset::Ira);
        QCOMPARE(r.modem().storageUsed("ME"), 0);
        QCOMPARE(r.cell(2, 4), QStringLiteral("Im Gerät"));
        QCOMPARE(r.file().count("GSM"), 0); // the set is named in the index, not in the records
        QFile index(r.dir.filePath(QStringLiteral("SMS00001.IDX")));
        QVERIFY(index.open(QIODevice::ReadOnly));
        QCOMPARE(index.readAll().count(" GSM\r\n"), 2);
    }


    // The first part was filed by an earlier program run into its own SMS file: the window of
    // the next run shows the whole message once the second part comes.
    void aPartFiledInAnEarlierRunCompletesItsRow()
    {
        ReceiveRig r;
        const QString text = QStringLiteral("Zwei Teile: ") + QString(200, u'x') + QStringLiteral(" {Ende}");
        modemsim::Incoming msg;
        msg.number = "+4917012345678";
        msg.text = text;
        msg.reference = 7;
        msg.parts = {1};
        QString error;
        QVERIFY2(r.modem().preload(msg, &error), qPrintable(error));
        r.read();
        r.closeAndUnload();
        smsrun::setCurrentFile({}); // the program ends; the next run files into a new file
        r.open();
        msg.parts = {2};
        QVERIFY2(r.modem().preload(msg, &error), qPrintable(error));
        r.read();
        QCOMPARE(r.filesInFolder(), (QStringList{"SMS00001.Dat", "SMS00001.IDX", "SMS00002.DAT", "SMS00002.IDX"}));
        QCOMPARE(r.w->grSMSListe->rowCount(), 2);
        QCOMPARE(r.cell(1, 4), text);
    }

    // +CMTI announces a message: the window reads at the modem's next free moment, without
    // waiting for its polling interval.
    void aNewMessageNoticeStartsARead()
    {
        ReceiveRig r;
        r.modem().receive("AT+CNMI=2,1,0,0,0\r");
        r.modem().receive("AT+CPMS=\"SM\",\"SM\",\"ME\"\r"); // announced as +CMTI: "ME",1
        modemsim::Incoming msg;
        msg.number = "+4917012345678";
        msg.text = QStringLiteral("Bin gleich da 🚲");
        msg.timestamp = "24/06/01,10:00:00+08";
        QString error;
        r.sim->send(r.modem().deliver(msg, &error));
        QVERIFY2(error.isEmpty(), qPrintable(error));
        r.p.clock.advance(0.1);
        QCOMPARE(r.w->grSMSListe->rowCount(), 2);
        QVERIFY(r.cell(1, 0).isEmpty());
        r.fake->takeWritten();
        r.w->checkNotices();
        QVERIFY(r.sent().startsWith(QStringLiteral("AT+CPMS?\r")));
        QCOMPARE(r.row(1), (QStringList{"1", "01.06.24", "10:00:00", "+4917012345678", "Bin gleich da 🚲"}));
        QCOMPARE(r.modem().storageUsed(), 0);
        QCOMPARE(r.modem().storageUsed("ME"), 0);
        QVERIFY(r.main->terminalText().contains(QLatin1String("+CMTI: \"ME\",1")));
    }

    // The window's own close button, or the close box of the frame the work area puts it in.
    void closingDuringACycleEndsItAtItsNextStep_data()
    {
        QTest::addColumn<bool>("framed");
        QTest::newRow("own close") << false;
        QTest::newRow("frame's close box") << true;
    }
    void closingDuringACycleEndsItAtItsNextStep()
    {
        QFETCH(bool, framed);
        ReceiveRig r;
        QPointer<QMdiSubWindow> frame;
        if (framed) {
            frame = r.main->mdiArea->addSubWindow(r.w);
            frame->setAttribute(Qt::WA_DeleteOnClose);
            frame->show();
        }
        r.store(1, "Hallo");
        // Closed while slot 1 is read.
        r.fault([&](const QByteArray &line) {
            if (line.startsWith("AT+CMGR"))
                r.p.clock.scheduleIn(0.01, [&] { framed ? frame->close() : r.w->close(); });
            return QByteArray();
        });
        QCOMPARE(r.read(), (QStringList{"AT+CPMS?", "AT+CMGR= 1"}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(r.w.isNull());
        QVERIFY(frame.isNull());
        QVERIFY(r.main->receiveTimer());
        QVERIFY(r.modem().slot(1).has_value());
        QVERIFY(r.filesInFolder().isEmpty());
        QVERIFY(r.p.dialogs.shown.isEmpty());
    }

    // In the work area the frame is what gets activated: bringing it to the front refreshes the
    // note as activating a window does.
    void bringingTheFrameToTheFrontRefreshesTheNote()
    {
        ReceiveRig r;
        QMdiSubWindow *frame = r.main->mdiArea->addSubWindow(r.w);
        QMdiSubWindow *other = r.main->mdiArea->addSubWindow(new QLabel(QStringLiteral("anderes Fenster")));
        frame->show();
        other->show();
        r.main->mdiArea->setActiveSubWindow(other);
        QTest::mouseClick(r.w->lblMeldung, Qt::LeftButton);
        QCOMPARE(r.w->lblMeldung->text(), QStringLiteral("+491701234567"));
        r.main->mdiArea->setActiveSubWindow(frame);
        QCOMPARE(r.w->lblMeldung->text(), QStringLiteral("Automatische Abfrage alle 0 s"));
    }

    void reopeningTheWindowGoesOnWithTheSameFile()
    {
        ReceiveRig r;
        r.store(1, "Eins");
        r.read();
        r.closeAndUnload();
        r.store(1, ""); // an empty text is filed and deleted like any other
        r.open();
        QCOMPARE(r.w->windowTitle(), QStringLiteral("SMS-Datei"));
        r.read();
        QCOMPARE(r.filesInFolder(), (QStringList{"SMS00001.Dat", "SMS00001.IDX"}));
        QCOMPARE(r.file().count("Datei angelegt am: "), 1);
        QVERIFY(r.file().endsWith(record("Eins") + record("")));
        QCOMPARE(r.row(1), (QStringList{"1", "19.11.02", "09:57:28", "+4917012345678", ""}));
        QCOMPARE(r.modem().storageUsed(), 0);
    }

    // The disk fills up between two messages: the second stays on the SIM, and the file is
    // as it was before.
    void aFailedWriteDeletesNothing()
    {
        ReceiveRig r;
        r.store(1, "Eins");
        r.read();
        const QByteArray before = r.file();
        r.store(1, "Zwei");
        {
            const FileSizeLimit full(before.size() + 10);
            QCOMPARE(r.read(), (QStringList{"AT+CPMS?", "AT+CMGR= 1"}));
        }
        QCOMPARE(
            r.p.dialogs.texts(),
            QStringList{"Die SMS-Datei " + r.dir.filePath("SMS00001.Dat") +
                        " kann nicht geschrieben werden: Die Datei hat die größte erlaubte Länge erreicht. Die SMS "
                        "bleibt auf der SIM-Karte."});
        QCOMPARE(r.file(), before);
        QCOMPARE(r.modem().slot(1)->text, QByteArray("Zwei"));
        QCOMPARE(r.w->grSMSListe->rowCount(), 2);
    }

    // The modem pulled out mid-cycle: the main window says so, the cycle adds nothing; polling
    // goes on once the port is open again.
    void aPortLostMidCycleIsToldOnce_data()
    {
        QTest::addColumn<bool>("lost");
        QTest::newRow("pulled out") << true;
        QTest::newRow("closed by the user") << false;
    }
    void aPortLostMidCycleIsToldOnce()
    {
        QFETCH(bool, lost);
        ReceiveRig r({}, QStringLiteral("15000"));
        r.store(2, "Hallo");
        r.fake->setResponder([&r, lost](const QByteArray &line) {
            if (line.startsWith("AT+CPMS?"))
                r.fake->deliver("\r\n+CPMS: \"SM\",1,5\r\n\r\nOK\r\n");
            if (line.startsWith("AT+CMGR= 1")) {
                r.fake->deliver("\r\nOK\r\n");
                r.p.clock.scheduleIn(0.3, [&r, lost] { lost ? r.fake->hangUp() : (void)r.comm().setPortOpen(false); });
            }
        });
        QCOMPARE(r.read(), (QStringList{"AT+CPMS?", "AT+CMGR= 1"}));
        QCOMPARE(r.p.dialogs.shown.size(), lost ? 1 : 0);
        if (lost)
            QCOMPARE(r.p.dialogs.shown[0].text, kLinkLost);
        QCOMPARE(r.w->sbrMeldung->text(), QStringLiteral(" abgebrochen ..."));
        QVERIFY(r.w->polling());
    }

    // A lost or closed port: the polling ticks pass quietly, the button says why nothing happens.
    void aClosedPortIsNotPolled()
    {
        ReceiveRig r;
        r.store(1, "Hallo");
        r.comm().setPortOpen(false);
        r.fake->takeWritten();
        QMetaObject::invokeMethod(&r.w->Timer1, "timeout");
        QMetaObject::invokeMethod(&r.w->Timer1, "timeout");
        QCOMPARE(r.p.dialogs.texts(), QStringList());
        r.w->cmdLes->click();
        QCOMPARE(r.p.dialogs.texts(), QStringList{"  Com-Schnittstelle ist geschlossen!  "});
        QCOMPARE(r.fake->takeWritten(), QByteArray());
        QCOMPARE(r.modem().slot(1)->text, QByteArray("Hallo"));
    }

    void intervalDialog_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("interval");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("15") << "15" << true << 15000 << QStringList{};
        QTest::newRow("fraction") << "12.5 s" << true << 12500 << QStringList{};
        QTest::newRow("90 capped") << "90" << true << 60000 << QStringList{"Maximalwert = 60s wird eingestellt!"};
        QTest::newRow("slider only") << "-" << true << 42000 << QStringList{};
        QTest::newRow("empty stops polling") << "" << true << 0 << QStringList{};
        QTest::newRow("negative stops polling") << "-5" << true << 0 << QStringList{};
        QTest::newRow("text stops polling") << "abc" << true << 0 << QStringList{};
        QTest::newRow("Abbrechen") << "30" << false << 9999 << QStringList{};
    }
    void intervalDialog()
    {
        QFETCH(QString, typed);
        QFETCH(bool, ok);
        QFETCH(int, interval);
        QFETCH(QStringList, messages);
        ReceiveRig r({}, QString());
        onModal([&](frmZyklus *d) {
            QCOMPARE(d->edZyklus->text(), QStringLiteral("9.999"));
            QCOMPARE(d->sldZyklus->value(), 10);
            d->sldZyklus->setValue(42);
            QCOMPARE(d->edZyklus->text(), QStringLiteral("42"));
            if (typed != u"-") // "-": the 42 s the slider set
                d->edZyklus->setText(typed);
            (ok ? d->cmdOK : d->cmdClose)->click();
        });
        r.w->cmdZyklus->click();
        QCOMPARE(r.p.dialogs.texts(), messages);
        QCOMPARE(r.w->pollInterval(), interval);
        QCOMPARE(r.w->Timer1.isActive(), interval > 0);
        QCOMPARE(r.w->lblMeldung->text(), QStringLiteral("Automatische Abfrage alle %1 s").arg(interval / 1000));
        QCOMPARE(r.p.settings.get(keys::PollInterval), ok ? QString::number(interval) : QString());
        r.closeAndUnload();
        QCOMPARE(r.p.settings.get(keys::PollInterval), QString::number(interval));
    }
};

QTEST_MAIN(TestReceive)
#include "test_receive.moc"
