#include "../support/MainRig.h"

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
    void open() { w = new frmListe(*main, main.get()); }
    modemsim::Modem &modem() { return sim->modem(); }
    void store(int slot, const QByteArray &text, const QByteArray &number = "+4917012345678",
               const QByteArray &stamp = "02/11/19,09:57:28+04")
    {
        modem().storeSms({"REC UNREAD", number, stamp, text}, slot);
    }
    // The command lines one read cycle sends.
    QStringList read()
    {
        fake->takeWritten();
        w->cmdLes->click();
        QStringList lines = sent().split(u'\r');
        lines.removeLast();
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
    return "\"+4917012345678\",,\"02/11/19,09:57:28+04\"\r\n" + text + "\r\n\r\nOK\r\n\r\n";
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
        QVERIFY(bytes.endsWith(record("Hallo") + "\"0301234\",,\"24/05/01,23:59:59-08\"\r\nGru\xDF aus K\xF6ln"
                                                 "\r\nZweite Zeile\r\n\r\nOK\r\n\r\n"));
        QVERIFY(r.p.dialogs.shown.isEmpty());
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

    // A pause mid-text longer than the quiet second: no final OK, so the message stays on the SIM.
    void aMessageCutShortIsNeitherFiledNorDeleted()
    {
        ReceiveRig r;
        r.fake->setResponder([&r](const QByteArray &line) {
            if (line.startsWith("AT+CPMS?"))
                r.fake->deliver("\r\n+CPMS: \"SM\",1,1,\"SM\",1,1,\"SM\",1,1\r\n\r\nOK\r\n");
            if (line.startsWith("AT+CMGR")) {
                r.fake->deliver("\r\n+CMGR: \"REC UNREAD\",\"+4930\",,\"24/05/01,12:30:05+08\"\r\nDer Anf");
                r.fake->deliver("ang und der Rest\r\n\r\nOK\r\n", 2.5);
            }
        });
        QCOMPARE(r.read(), (QStringList{"AT+CPMS?", "AT+CMGR= 1"}));
        QVERIFY(r.filesInFolder().isEmpty());
        QCOMPARE(r.w->grSMSListe->rowCount(), 2);
        QCOMPARE(r.cell(1, 0), QString());
    }

    void twoFailedStorageQueriesStopAutomaticPolling()
    {
        modemsim::Config cfg;
        cfg.errorFor = "AT+CPMS";
        ReceiveRig r(cfg, QStringLiteral("15000"));
        QVERIFY(r.w->Timer1.isActive());
        QCOMPARE(r.read(), (QStringList{"AT+CPMS?", "AT+CPMS?"}));
        QCOMPARE(r.p.dialogs.texts(), QStringList{kShutOff});
        QCOMPARE(r.w->sbrMeldung->text(), QStringLiteral(" abgebrochen ..."));
        QVERIFY(!r.w->Timer1.isActive());
        // The button still works; a new interval does not start the timer again.
        QCOMPARE(r.read(), (QStringList{"AT+CPMS?", "AT+CPMS?"}));
        r.w->setPollInterval(20000);
        QVERIFY(!r.w->Timer1.isActive());
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
        r.p.clock.scheduleIn(2.5, [&] { framed ? frame->close() : r.w->close(); }); // while slot 1 is read
        QCOMPARE(r.read(), (QStringList{"AT+CPMS?", "AT+CMGR= 1"}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(r.w.isNull());
        QVERIFY(frame.isNull());
        QVERIFY(r.main->receiveTimer());
        QVERIFY(r.modem().slot(1).has_value());
        QVERIFY(r.filesInFolder().isEmpty());
        QVERIFY(r.p.dialogs.shown.isEmpty());
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
        QCOMPARE(r.filesInFolder(), QStringList{"SMS00001.Dat"});
        QCOMPARE(r.file().count("Datei angelegt am: "), 1);
        QVERIFY(r.file().endsWith(record("Eins") + record("")));
        QCOMPARE(r.row(1), (QStringList{"1", "19.11.02", "09:57:28", "+4917012345678", ""}));
        QCOMPARE(r.modem().storageUsed(), 0);
    }

    // The disk fills up between two messages: the second stays on the SIM.
    void aFailedWriteDeletesNothing()
    {
        if (!QFile::exists("/dev/full"))
            QSKIP("no /dev/full here");
        ReceiveRig r;
        r.store(1, "Eins");
        r.read();
        const QString path = r.dir.filePath("SMS00001.Dat");
        QVERIFY(QFile::remove(path));
        QVERIFY(QFile::link("/dev/full", path));
        r.store(1, "Zwei");
        QCOMPARE(r.read(), (QStringList{"AT+CPMS?", "AT+CMGR= 1"}));
        QCOMPARE(r.p.dialogs.texts(), QStringList{"Die SMS-Datei " + path + " kann nicht geschrieben werden: Der "
                                                  "Datenträger ist voll. Die SMS bleibt auf der SIM-Karte."});
        QCOMPARE(r.modem().slot(1)->text, QByteArray("Zwei"));
        QCOMPARE(r.w->grSMSListe->rowCount(), 2);
    }

    // The last status (empty slot 1) is named first, then the closed port.
    void aClosedPortEndsTheCycleWithTheLastStatus()
    {
        ReceiveRig r;
        r.store(2, "Hallo");
        r.fake->setResponder([&r](const QByteArray &line) {
            if (line.startsWith("AT+CPMS?"))
                r.fake->deliver("\r\n+CPMS: \"SM\",1,5\r\n\r\nOK\r\n");
            if (line.startsWith("AT+CMGR= 1")) {
                r.fake->deliver("\r\nOK\r\n");
                r.p.clock.scheduleIn(0.3, [&r] { r.comm().setPortOpen(false); });
            }
        });
        QCOMPARE(r.read(), (QStringList{"AT+CPMS?", "AT+CMGR= 1"}));
        QCOMPARE(r.p.dialogs.texts(), (QStringList{"Keine SMS auf dem Platz in der Sim-Card",
                                                   "Schnittstelle COM1 (/dev/ttyS0) ist nicht geöffnet"}));
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
        r.closeAndUnload();
        QCOMPARE(r.p.settings.get(keys::PollInterval), QString::number(interval));
    }
};

QTEST_MAIN(TestReceive)
#include "test_receive.moc"
