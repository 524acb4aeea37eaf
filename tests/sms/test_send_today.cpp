// "SM senden" with messages of today, against the in-process simulated modem: Unicode and long
// texts in PDU mode, part after part; what the window says afterwards; the file of sent
// messages; status reports that turn a message delivered (or not) in the archive; and what is
// refused before anything goes to the modem.
#include "../support/MainRig.h"

#include "phonelist/frmTelNr.h"
#include "sms/ArchiveModel.h"
#include "sms/SentStore.h"
#include "sms/frmArchiv.h"
#include "sms/frmSendSM.h"
#include "text/AtInput.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kEmoji = QStringLiteral("😀");
// 18 units and 150 more: parts of 67, 67 and 34.
const QString kThreeParts = QStringLiteral("Grüße aus Köln 😀 ") + QString(150, u'ж');
const QString kAnna = QStringLiteral("+4917012345678");

struct TodayRig : MainRig {
    QTemporaryDir dir;
    QString before = QDir::currentPath();
    std::unique_ptr<frmSendSM> w;

    explicit TodayRig(modemsim::Config cfg = {})
    {
        QDir::setCurrent(dir.path());
        p.settings.set(keys::MyDir, dir.path());
        QFile f(QStringLiteral("phone.lst"));
        f.open(QIODevice::WriteOnly);
        f.write("Anna;+4917012345678\r\nBernd;+4915111122233\r\n");
        f.close();
        modemsim::Modem &m = attachModem(std::move(cfg));
        m.receive("AT+CPIN=\"1234\"\r");
        m.receive("AT+CMGF=1\r");
        // As "Modem anmelden" sets it: reports routed as +CDS.
        m.receive("AT+CNMI=2,1,0,1,0\r");
        w = std::make_unique<frmSendSM>(*main);
    }
    ~TodayRig()
    {
        w.reset();
        delete frmTelNr::Loaded();
        QDir::setCurrent(before);
    }
    modemsim::Modem &modem() { return sim->modem(); }
    // The writes of the send: command lines without their CR, bodies as they went.
    QList<QByteArray> send(const QString &text, const QString &number = kAnna)
    {
        fake->takeWritten();
        w->txtZielNr->setText(number);
        w->Eingabe->setPlainText(text);
        w->cmdSend->click();
        QList<QByteArray> out;
        for (QByteArray b : fake->writes()) {
            if (b.endsWith('\r'))
                b.chop(1);
            out << b;
        }
        return out;
    }
    const SentLog &log() { return SentStore::current().log(); }
    // The modem's clock on past the report delay; the terminal's timer reads what came.
    void reportsCome()
    {
        sim->advance(6000);
        p.clock.advance(0.1);
        main->ReceiveLoop();
    }
};

QStringList commands(const QList<QByteArray> &writes)
{
    QStringList out;
    for (const QByteArray &w : writes) {
        if (w.startsWith("AT"))
            out << QString::fromLatin1(w);
    }
    return out;
}

} // namespace

class TestSendToday : public QObject {
    Q_OBJECT
private slots:
    void aLongUnicodeMessageGoesPartAfterPart()
    {
        TodayRig r;
        QCOMPARE(r.w->lblTextLang->text(), QStringLiteral("0 Zeichen, 160 frei\n1 Teil, GSM"));
        const QList<QByteArray> writes = r.send(kThreeParts);
        QCOMPARE(r.w->lblTextLang->text(), QStringLiteral("168 Zeichen, 33 frei\n3 Teile, Unicode"));
        QCOMPARE(r.w->lblTextLang->accessibleName(),
                 QStringLiteral("Länge: 168 Zeichen, noch 33 frei, 3 Teile, Kodierung Unicode"));
        // 15 octets up to TP-UDL, then 140, 140 and 74 of user data.
        QCOMPARE(commands(writes), (QStringList{"AT+CMGF=0", "AT+CMGS=155", "AT+CMGS=155", "AT+CMGS=89", "AT+CMGF=1"}));
        for (const QByteArray &w : writes) {
            if (!w.startsWith("AT"))
                QVERIFY2(QRegularExpression(QStringLiteral("^[0-9A-F]+\x1a$")).match(QString::fromLatin1(w)).hasMatch(),
                         w.constData());
        }
        // The simulator joins the parts: exactly the typed text.
        QCOMPARE(r.modem().arrivals().size(), 1);
        QCOMPARE(r.modem().arrivals()[0].text, kThreeParts);
        QCOMPARE(r.modem().arrivals()[0].parts, 3);
        QCOMPARE(r.modem().arrivals()[0].number, QByteArray("+4917012345678"));
        QCOMPARE(r.w->lblFortschritt->text(), QStringLiteral("Gesendet in 3 Teilen (Referenzen 1, 2, 3)."));
        QCOMPARE(r.w->lblFortschritt->accessibleName(), r.w->lblFortschritt->text());
        QVERIFY(r.p.dialogs.shown.isEmpty());
        QVERIFY(r.main->receiveTimer());
        QVERIFY(!r.modem().inTextEntry());

        QCOMPARE(r.log().messages.size(), 1);
        const SentMessage &m = r.log().messages[0];
        QCOMPARE(m.text, kThreeParts);
        QCOMPARE(m.name, QStringLiteral("Anna"));
        QCOMPARE(m.coding, SmsCoding::Ucs2);
        QCOMPARE(m.route, SendRoute::Pdu);
        QCOMPARE(SentPartsText(m), QStringLiteral("Teil 1: gesendet (Referenz 1)\nTeil 2: gesendet (Referenz 2)\n"
                                                  "Teil 3: gesendet (Referenz 3)"));
        QCOMPARE(SentStateText(m), QStringLiteral("gesendet"));
    }

    // A plain text goes in text mode as always, and is on record too.
    void aPlainTextKeepsTextMode()
    {
        TodayRig r;
        const QList<QByteArray> writes = r.send(QStringLiteral("Grüße aus Köln"));
        QCOMPARE(writes, (QList<QByteArray>{"AT+CMGS=\"+4917012345678\"", "Gr\xFE\xFD"
                                                                          "e aus K\xFC"
                                                                          "ln\x1A"}));
        QCOMPARE(r.w->lblFortschritt->text(), QStringLiteral("Gesendet (Referenz 1)."));
        QCOMPARE(r.log().messages[0].route, SendRoute::TextMode);
        QCOMPARE(r.log().messages[0].text, QStringLiteral("Grüße aus Köln"));
        QCOMPARE(r.log().messages[0].parts[0].reference, 1);
    }

    void statusReportsTurnTheMessage_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("state");
        QTest::newRow("delivered") << 0x00 << "zugestellt";
        QTest::newRow("failed") << 0x40 << "fehlgeschlagen";
        QTest::newRow("pending") << 0x20 << "ausstehend";
    }
    void statusReportsTurnTheMessage()
    {
        QFETCH(int, status);
        QFETCH(QString, state);
        modemsim::Config cfg;
        cfg.reportStatus = quint8(status);
        TodayRig r(cfg);
        r.w->chkBericht->setChecked(true);
        const QList<QByteArray> writes = r.send(kThreeParts);
        QCOMPARE(commands(writes).size(), 5);
        // TP-SRR in every part's first octet, 71 with the header.
        QVERIFY(writes[2].startsWith("0071") && writes[4].startsWith("0071") && writes[6].startsWith("0071"));
        QCOMPARE(r.w->lblFortschritt->text(),
                 QStringLiteral("Gesendet in 3 Teilen (Referenzen 1, 2, 3). Empfangsbestätigung angefordert."));

        auto *archive = new frmArchiv(r.main.get());
        const auto cell = [archive](int column) { return archive->model()->index(0, column).data().toString(); };
        QCOMPARE(cell(ArchiveModel::Status), QStringLiteral("gesendet"));
        QCOMPARE(cell(ArchiveModel::Telefonnr), kAnna);
        QCOMPARE(cell(ArchiveModel::Name), QStringLiteral("Anna"));
        r.reportsCome();
        QVERIFY(r.main->terminalText().contains(QLatin1String("+CDS: ")));
        // The open archive shows it at once.
        QVERIFY2(cell(ArchiveModel::Status).startsWith(state + u' '), qPrintable(cell(ArchiveModel::Status)));
        QCOMPARE(SentStateText(r.log().messages[0]).left(state.size()), state);
        for (const SentPart &part : r.log().messages[0].parts)
            QCOMPARE(part.reportStatus, status);
        QVERIFY(r.log().unknown.isEmpty());
        delete archive;
    }

    // Reports that come while the next part goes out in PDU mode come as +CDS: <length> and
    // the PDU; a line may be read in two pieces.
    void aReportInPduFormAndInPieces()
    {
        TodayRig r;
        r.w->chkBericht->setChecked(true);
        r.send(QStringLiteral("Hallo"));
        QCOMPARE(SentStateText(r.log().messages[0]), QStringLiteral("gesendet"));
        // Reference 1 to +4917012345678, delivered.
        r.main->modemSent(QStringLiteral("\r\n+CDS: 26\r\n0791947101670000060"));
        QCOMPARE(SentStateText(r.log().messages[0]), QStringLiteral("gesendet"));
        r.main->modemSent(QStringLiteral("10D91947110325476F8622160329270006221603292800000\r\n"));
        QCOMPARE(SentStateText(r.log().messages[0]), QStringLiteral("zugestellt 06.12.26 23:29:08"));
    }

    // A network that delivers at once: the report follows +CMGS inside the same answer.
    void aReportInsideItsOwnAnswer()
    {
        TodayRig r;
        r.w->chkBericht->setChecked(true);
        r.fake->setResponder([&](const QByteArray &b) {
            QByteArray answer;
            for (const modemsim::Chunk &c : r.modem().receive(b))
                answer += c.bytes;
            if (answer.contains("+CMGS: 1\r\n"))
                answer +=
                    "\r\n+CDS: 6,1,\"+4917012345678\",145,\"24/05/01,12:00:00+08\",\"24/05/01,12:00:01+08\",0\r\n";
            r.fake->deliver(answer, 0.02);
        });
        r.send(QStringLiteral("Hallo"));
        QCOMPARE(SentStateText(r.log().messages[0]), QStringLiteral("zugestellt 01.05.24 12:00:01"));
        QVERIFY(r.log().unknown.isEmpty());
    }

    void aReportOfNoMessageIsKeptAsSuch()
    {
        TodayRig r;
        r.w->chkBericht->setChecked(true);
        r.send(QStringLiteral("Hallo"));
        r.main->modemSent(QStringLiteral("\r\n+CDS: 6,99,\"+4917012345678\",145,\"24/05/01,12:00:00+08\","
                                         "\"24/05/01,12:00:05+08\",0\r\n"));
        r.main->modemSent(QStringLiteral("\r\n+CDS: 6,1,\"+4915111122233\",145,\"24/05/01,12:00:00+08\","
                                         "\"24/05/01,12:00:05+08\",0\r\n"));
        QCOMPARE(r.log().unknown.size(), 2);
        QCOMPARE(SentStateText(r.log().messages[0]), QStringLiteral("gesendet"));
        frmArchiv archive;
        ArchiveModel *model = archive.model();
        QStringList states;
        for (int row = 0; row < model->rowCount(); ++row)
            states << model->index(row, ArchiveModel::Status).data().toString();
        QCOMPARE(states.count(QStringLiteral("Bestätigung ohne Nachricht")), 2);
        QCOMPARE(states.count(QStringLiteral("gesendet")), 1);
        const int row = states.indexOf(QStringLiteral("Bestätigung ohne Nachricht"));
        QVERIFY(model->index(row, ArchiveModel::Text).data().toString().contains(QLatin1String("zu Referenz")));
        QVERIFY(archive.sbrMeldung->text().endsWith(QLatin1String(", 3 gesendet")));
    }

    void aRefusedPartStopsTheRest()
    {
        TodayRig r;
        int cmgs = 0;
        r.fake->setResponder([&](const QByteArray &b) {
            if (b.startsWith("AT+CMGS=") && ++cmgs == 2) {
                r.fake->deliver(b + "\r\n+CMS ERROR: 42\r\n", 0.02);
                return;
            }
            r.sim->send(r.modem().receive(b));
        });
        const QList<QByteArray> writes = r.send(kThreeParts);
        QCOMPARE(commands(writes), (QStringList{"AT+CMGF=0", "AT+CMGS=155", "AT+CMGS=155", "AT+CMGF=1"}));
        // A prompt that may still wait is cancelled before text mode comes back.
        QCOMPARE(writes[writes.size() - 2], QByteArray("\x1B"));
        QCOMPARE(r.w->lblFortschritt->text(),
                 QStringLiteral("Nicht gesendet: Teil 2 von 3, abgelehnt: Netz überlastet (+CMS ERROR: 42). "
                                "Teil 1 ist gesendet."));
        QVERIFY(r.modem().arrivals().isEmpty());
        const SentMessage &m = r.log().messages[0];
        QCOMPARE(m.parts[0].state, PartState::Sent);
        QCOMPARE(m.parts[1].state, PartState::Refused);
        QCOMPARE(m.parts[2].state, PartState::NotSent);
        QCOMPARE(SentStateText(m), QStringLiteral("fehlgeschlagen"));
        QVERIFY(r.p.dialogs.shown.isEmpty());
        QVERIFY(r.main->receiveTimer());
    }

    void aModemWithoutPduModeSaysSo()
    {
        modemsim::Config cfg;
        cfg.errorFor = "AT+CMGF=0";
        TodayRig r(cfg);
        const QList<QByteArray> writes = r.send(kThreeParts);
        QCOMPARE(commands(writes), QStringList{"AT+CMGF=0"});
        QCOMPARE(r.w->lblFortschritt->text(), QStringLiteral("Nicht gesendet: Teil 1 von 3, das Modem nimmt den "
                                                             "PDU-Modus nicht an (ERROR)."));
        QCOMPARE(r.log().messages[0].parts[0].state, PartState::Refused);
        QVERIFY(r.p.dialogs.shown.isEmpty());
    }

    void aPartWithoutAnswerIsUncertain()
    {
        TodayRig r;
        int bodies = 0;
        r.fake->setResponder([&](const QByteArray &b) {
            if (b.endsWith('\x1A') && ++bodies == 2) {
                r.modem().receive(b); // the part goes out, its answer is lost
                return;
            }
            r.sim->send(r.modem().receive(b));
        });
        const QList<QByteArray> writes = r.send(kThreeParts);
        QCOMPARE(commands(writes), (QStringList{"AT+CMGF=0", "AT+CMGS=155", "AT+CMGS=155", "AT+CMGF=1"}));
        QCOMPARE(r.p.dialogs.texts(), QStringList{QStringLiteral("Zeitüberschreitung. Keine Antwort vom Modem. ")});
        QCOMPARE(r.w->lblFortschritt->text(), QStringLiteral("Ungewiss, ob gesendet: Teil 2 von 3, keine Antwort vom "
                                                             "Modem. Teil 1 ist gesendet."));
        QCOMPARE(r.log().messages[0].parts[1].state, PartState::Uncertain);
        QCOMPARE(SentStateText(r.log().messages[0]),
                 QStringLiteral("unterbrochen: 1 von 3 Teilen gesendet, 1 ungewiss"));
    }

    void aPulledCableEndsTheSend()
    {
        TodayRig r;
        int cmgs = 0;
        r.fake->setResponder([&](const QByteArray &b) {
            if (b.startsWith("AT+CMGS=") && ++cmgs == 2) {
                r.fake->hangUp();
                return;
            }
            r.sim->send(r.modem().receive(b));
        });
        const QList<QByteArray> writes = r.send(kThreeParts);
        // Nothing more after the modem is gone.
        QCOMPARE(commands(writes), (QStringList{"AT+CMGF=0", "AT+CMGS=155", "AT+CMGS=155"}));
        QCOMPARE(r.w->lblFortschritt->text(), QStringLiteral("Nicht gesendet: Teil 2 von 3, Verbindung zum Modem "
                                                             "unterbrochen. Teil 1 ist gesendet."));
        QCOMPARE(r.p.dialogs.shown.size(), 1); // the main window's own
        QCOMPARE(SentStateText(r.log().messages[0]), QStringLiteral("fehlgeschlagen"));
    }

    void theReportBoxIsStored()
    {
        TodayRig r;
        QVERIFY(!r.w->chkBericht->isChecked());
        r.w->chkBericht->setChecked(true);
        QCOMPARE(r.p.settings.get(keys::DeliveryReport), QStringLiteral("1"));
        frmSendSM second(*r.main);
        QVERIFY(second.chkBericht->isChecked());
        // A short plain text goes in PDU mode once a report is asked for.
        r.w->Eingabe->setPlainText(QStringLiteral("Hallo"));
        QCOMPARE(r.w->plan().route, SendRoute::Pdu);
        r.w->chkBericht->setChecked(false);
        QCOMPARE(r.p.settings.get(keys::DeliveryReport), QStringLiteral("0"));
        QCOMPARE(r.w->plan().route, SendRoute::TextMode);
    }

    void refusedBeforeAnythingGoesOut_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("box");
        const QString nothing = QStringLiteral(" Es wurde nichts gesendet.");
        QTest::newRow("not a number") << "Anna"
                                      << "Hallo"
                                      << "„Anna“ ist keine Telefonnummer: erlaubt sind Ziffern, am Anfang ein +, "
                                         "dazwischen Leerzeichen und - / ( )." +
                                             nothing;
        QTest::newRow("no number") << "  "
                                   << "Hallo"
                                   << "Bitte die Telefonnummer des Empfängers eingeben." + nothing;
        QTest::newRow("10,000 characters") << kAnna << QString(10000, u'a')
                                           << "Der Text ist zu lang: 10000 Zeichen ergäben 66 Teile, möglich sind "
                                              "höchstens 10 Teile (1530 Zeichen im GSM-Alphabet, 670 mit "
                                              "Unicode-Zeichen)." +
                                                  nothing;
        QTest::newRow("lone surrogate") << kAnna << QString("ab") + QChar(0xD83D)
                                        << "Der Text enthält an Stelle 3 ein halbes Unicode-Zeichen (ein Teil eines "
                                           "Zeichenpaars ohne den anderen). Bitte dieses Zeichen löschen." +
                                               nothing;
        QTest::newRow("TAB") << kAnna << "a\tb"
                             << "Der Text enthält einen Tabulator an Stelle 2; so ein Zeichen überträgt keine SMS." +
                                    nothing;
        QTest::newRow("Ctrl-Z in a Unicode text") << kAnna << kEmoji + QChar(26) << kUnsafeBodyMessage;
        QTest::newRow("ESC in a long text") << kAnna << QString(200, u'a') + QChar(27) << kUnsafeBodyMessage;
    }
    void refusedBeforeAnythingGoesOut()
    {
        QFETCH(QString, number);
        QFETCH(QString, text);
        QFETCH(QString, box);
        TodayRig r;
        QVERIFY(r.send(text, number).isEmpty());
        QCOMPARE(r.p.dialogs.texts(), QStringList{box});
        QVERIFY(r.log().messages.isEmpty());
        QVERIFY(r.main->receiveTimer());
    }

    void aLongTextToSeveralNames()
    {
        TodayRig r;
        r.w->cmdNext->click();
        r.w->lstEmpf->item(0)->setSelected(true);
        r.w->lstEmpf->item(1)->setSelected(true);
        const QString text = QString(200, u'x');
        r.send(text, QString());
        QCOMPARE(r.p.dialogs.texts(),
                 QStringList{QStringLiteral("2 von 2 Nachrichten gesendet.\r\nGesendet an: Anna, Bernd")});
        QCOMPARE(r.modem().arrivals().size(), 2);
        QCOMPARE(r.modem().arrivals()[1].text, text);
        QCOMPARE(r.modem().arrivals()[1].number, QByteArray("+4915111122233"));
        QCOMPARE(r.log().messages.size(), 2);
        QCOMPARE(r.log().messages[1].name, QStringLiteral("Bernd"));
        QCOMPARE(r.log().messages[1].parts.size(), 2);
        QVERIFY(r.w->lblFortschritt->text().isEmpty());
    }
};

QTEST_MAIN(TestSendToday)
#include "test_send_today.moc"
