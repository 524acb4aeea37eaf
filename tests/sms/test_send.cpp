#include "../support/MainRig.h"

#include "modem/ModemCommand.h"
#include "phonelist/frmTelNr.h"
#include "sms/frmSendSM.h"
#include "text/AtInput.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// The texts as the user reads them, written out: a changed letter in the program shows here.
const QString kRefusedInput =
    QStringLiteral("Die Eingabe enthält unzulässige Zeichen (Anführungszeichen, Semikolon, "
                   "Steuerzeichen oder nicht übertragbare Sonderzeichen). Es wurde nichts gesendet. ");
const QString kRefusedText =
    QStringLiteral("Der Text enthält unzulässige Steuerzeichen (Strg+Z oder Esc). Es wurde nichts gesendet. ");
const QString kNoAnswer = QStringLiteral("Zeitüberschreitung. Keine Antwort vom Modem. ");
const QString kPortClosed = QStringLiteral("  Com-Schnittstelle ist geschlossen!  ");
} // namespace

namespace {

struct SendRig : MainRig {
    QTemporaryDir dir;
    QString before = QDir::currentPath();
    std::unique_ptr<frmSendSM> w;

    explicit SendRig(const QByteArray &phoneList = "Anna;+4917012345678\r\nbernd;01761234567\r\nZora;0049151999\r\n")
    {
        QDir::setCurrent(dir.path());
        p.settings.set(keys::MyDir, dir.path());
        if (!phoneList.isNull()) {
            QFile f(QStringLiteral("phone.lst"));
            f.open(QIODevice::WriteOnly);
            f.write(phoneList);
        }
        readyModem();
        w = std::make_unique<frmSendSM>(*main);
    }
    // A modem with its PIN given and text mode on, as after "Modem anmelden".
    void readyModem(modemsim::Config cfg = {})
    {
        modemsim::Modem &m = attachModem(std::move(cfg));
        m.receive("AT+CPIN=\"1234\"\r");
        m.receive("AT+CMGF=1\r");
    }
    ~SendRig()
    {
        w.reset();
        delete frmTelNr::Loaded();
        QDir::setCurrent(before);
    }
    void pick(const QString &name)
    {
        const auto items = w->lstEmpf->findItems(name, Qt::MatchExactly);
        QVERIFY(!items.isEmpty());
        w->lstEmpf->setCurrentItem(items.first());
    }
    QByteArray send(const QString &text)
    {
        fake->takeWritten();
        w->Eingabe->setPlainText(text);
        w->cmdSend->click();
        return fake->takeWritten();
    }
};

} // namespace

class TestSend : public QObject {
    Q_OBJECT
private slots:
    void recipientsComeFromThePhoneList()
    {
        SendRig r;
        QStringList names;
        for (int i = 0; i < r.w->lstEmpf->count(); ++i)
            names << r.w->lstEmpf->item(i)->text();
        QCOMPARE(names, (QStringList{"Anna", "bernd", "Zora"}));
        QCOMPARE(r.w->txtZielNr->text(), QStringLiteral("+4917012345678"));
        r.pick(QStringLiteral("Zora"));
        QCOMPARE(r.w->txtZielNr->text(), QStringLiteral("0049151999"));
        QVERIFY(r.w->lstTelNrZiel->isHidden());
        QCOMPARE(r.w->windowTitle(), QStringLiteral("SM senden"));
    }

    void weiterAndZurueckShowAndHideTheSendButton()
    {
        SendRig r;
        r.w->show();
        QVERIFY(!r.w->cmdSend->isVisible());
        r.w->cmdNext->click();
        QVERIFY(r.w->cmdSend->isVisible() && r.w->lstEmpf->isVisible() && r.w->txtZielNr->isVisible()
                && r.w->cmdAdrList->isVisible() && r.w->Label1->isVisible());
        r.w->cmdBack->click();
        QVERIFY(!r.w->cmdSend->isVisible() && r.w->Eingabe->isVisible());
    }

    void internationalNumberSendsWithoutAQuestion()
    {
        SendRig r;
        // The receive timer would take the prompt out of the buffer: off for every write.
        bool timerOnDuringSend = false;
        r.fake->setResponder([&](const QByteArray &b) {
            timerOnDuringSend = timerOnDuringSend || r.main->receiveTimer();
            r.sim->send(r.sim->modem().receive(b));
        });
        const QByteArray wire = r.send(QStringLiteral("Grüße aus Köln, ß!"));
        QVERIFY(!timerOnDuringSend);
        QCOMPARE(wire, QByteArray("AT+CMGS=\"+4917012345678\"\rGr\xFE\xFD" "e aus K\xFC" "ln, \xFD!\x1A"));
        QVERIFY(r.p.dialogs.shown.isEmpty());
        QVERIFY(r.main->receiveTimer());
        QCOMPARE(r.sim->modem().outbox().size(), 1);
        QCOMPARE(r.sim->modem().outbox()[0].number, QByteArray("+4917012345678"));
        QCOMPARE(r.sim->modem().outbox()[0].text, QByteArray("Gr\xFE\xFD" "e aus K\xFC" "ln, \xFD!"));
        // The send waits for the final answer and says it in the window, and so to a screen reader.
        QVERIFY(r.main->terminalText().contains(QLatin1String("+CMGS: 1")));
        QCOMPARE(r.w->lblFortschritt->text(), QStringLiteral("Gesendet (Referenz 1)."));
        QCOMPARE(r.w->lblFortschritt->accessibleName(), QStringLiteral("Gesendet (Referenz 1)."));
    }

    void nationalNumberAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("sent");
        QTest::newRow("no") << int(MsgAnswer::No) << false;
        QTest::newRow("yes") << int(MsgAnswer::Yes) << true;
    }
    void nationalNumberAsksFirst()
    {
        QFETCH(int, answer);
        QFETCH(bool, sent);
        SendRig r;
        r.pick(QStringLiteral("bernd"));
        r.p.dialogs.answers << MsgAnswer(answer);
        const QByteArray wire = r.send(QStringLiteral("Hallo"));
        QCOMPARE(r.p.dialogs.texts(), QStringList{QStringLiteral("Telefonnummer am Anfang falsch! \r\nTrotzdem senden?")});
        QCOMPARE(r.p.dialogs.shown[0].buttons, MsgButtons::YesNo);
        QCOMPARE(r.p.dialogs.shown[0].icon, MsgIcon::None);
        QCOMPARE(wire.isEmpty(), !sent);
        QVERIFY(r.main->receiveTimer());
    }

    void textIsPreparedBeforeItGoesOut_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("blanks around") << "  Hallo Welt  " << QByteArray("Hallo Welt\x1A");
        QTest::newRow("line break kept") << "Zeile 1\nZeile 2" << QByteArray("Zeile 1\r\nZeile 2\x1A");
        QTest::newRow("empty text") << "" << QByteArray("\x1A");
        QTest::newRow("all seven") << "ÄÖÜäöüß" << QByteArray("\xDB\xDC\xDE\xFB\xFC\xFE\xFD\x1A");
    }
    void textIsPreparedBeforeItGoesOut()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, body);
        SendRig r;
        const QByteArray wire = r.send(typed);
        QCOMPARE(wire, QByteArray("AT+CMGS=\"+4917012345678\"\r") + body);
    }

    // Nothing of the text may reach the modem, and the receive timer must run again.
    void aFailedSendSendsNoText_data()
    {
        QTest::addColumn<int>("trouble"); // 0 none, 1 ERROR for AT+CMGS, 2 silent modem, 3 closed port
        QTest::addColumn<QString>("number"); // null: Anna's
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<QStringList>("dialogs");
        const QByteArray cmgs("AT+CMGS=\"+4917012345678\"\r");
        QTest::newRow("ERROR") << 1 << QString() << "Hallo" << cmgs << QStringList{};
        QTest::newRow("no answer: one time-out") << 2 << QString() << "Hallo" << cmgs << QStringList{kNoAnswer};
        QTest::newRow("closed port") << 3 << QString() << "Hallo" << QByteArray() << QStringList{kPortClosed};
        QTest::newRow("quote in number") << 0 << "+49170\";AT+CMGD=1,4" << "x" << QByteArray()
                                         << QStringList{kRefusedInput};
        QTest::newRow("CR in number") << 0 << "+49170\rAT+CMGD=1" << "x" << QByteArray()
                                      << QStringList{kRefusedInput};
        QTest::newRow("Ctrl-Z in text") << 0 << "+49170" << "Hallo\x1A" "AT+CMGD=1,4\r" << QByteArray()
                                        << QStringList{kRefusedText};
        QTest::newRow("ESC in text") << 0 << "+49170" << "Hallo\x1B" << QByteArray() << QStringList{kRefusedText};
    }
    void aFailedSendSendsNoText()
    {
        QFETCH(int, trouble);
        QFETCH(QString, number);
        QFETCH(QString, text);
        QFETCH(QByteArray, wire);
        QFETCH(QStringList, dialogs);
        SendRig r;
        modemsim::Config cfg;
        cfg.errorFor = trouble == 1 ? "AT+CMGS" : "";
        cfg.silent = trouble == 2;
        if (trouble == 1 || trouble == 2)
            r.readyModem(cfg);
        if (trouble == 3)
            r.comm().setPortOpen(false);
        if (!number.isNull())
            r.w->txtZielNr->setText(number);
        QCOMPARE(r.send(text), wire);
        QCOMPARE(r.p.dialogs.texts(), dialogs);
        if (trouble == 1)
            QVERIFY(r.main->terminalText().contains(QLatin1String("ERROR")));
        QVERIFY(r.main->receiveTimer());
    }

    // The counter says what the text takes as it is typed; red only when it cannot go.
    void counterAndColour_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("maxParts"); // the setting; "" for none
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("spoken");
        QTest::addColumn<bool>("red");
        QTest::newRow("160") << QString(160, u'x') << "" << "160 Zeichen, 0 frei\n1 Teil, GSM"
                             << "Länge: 160 Zeichen, noch 0 frei, 1 Teil, Kodierung GSM" << false;
        QTest::newRow("161") << QString(161, u'x') << "" << "161 Zeichen, 145 frei\n2 Teile, GSM"
                             << "Länge: 161 Zeichen, noch 145 frei, 2 Teile, Kodierung GSM" << false;
        QTest::newRow("0") << "" << "" << "0 Zeichen, 160 frei\n1 Teil, GSM"
                           << "Länge: 0 Zeichen, noch 160 frei, 1 Teil, Kodierung GSM" << false;
        QTest::newRow("emoji") << "Hallo 😀" << "" << "8 Zeichen, 62 frei\n1 Teil, Unicode"
                               << "Länge: 8 Zeichen, noch 62 frei, 1 Teil, Kodierung Unicode" << false;
        QTest::newRow("eleven parts") << QString(1531, u'x') << "" << "1531 Zeichen, 11 Teile\nGSM, höchstens 10 Teile"
                                      << "Länge: 1531 Zeichen, 11 Teile, Kodierung GSM, zu lang, höchstens 10 Teile" << true;
        QTest::newRow("two parts allowed") << QString(307, u'x') << "2" << "307 Zeichen, 3 Teile\nGSM, höchstens 2 Teile"
                                           << "Länge: 307 Zeichen, 3 Teile, Kodierung GSM, zu lang, höchstens 2 Teile" << true;
        QTest::newRow("setting out of range") << QString(1531, u'x') << "999"
                                              << "1531 Zeichen, 152 frei\n11 Teile, GSM"
                                              << "Länge: 1531 Zeichen, noch 152 frei, 11 Teile, Kodierung GSM" << false;
    }
    void counterAndColour()
    {
        QFETCH(QString, text);
        QFETCH(QString, maxParts);
        QFETCH(QString, shown);
        QFETCH(QString, spoken);
        QFETCH(bool, red);
        SendRig r;
        if (!maxParts.isEmpty())
            r.p.settings.set(keys::MaxParts, maxParts);
        r.w->Eingabe->setPlainText(text);
        QCOMPARE(r.w->lblTextLang->text(), shown);
        QCOMPARE(r.w->lblTextLang->accessibleName(), spoken);
        const QColor base = r.w->Eingabe->palette().color(QPalette::Base);
        QCOMPARE(base, red ? QColor(255, 0, 0) : QColor(255, 255, 255));
    }

    void anEmptyPhoneListOpensWithEmptyLists()
    {
        SendRig r(QByteArray{});
        QCOMPARE(r.w->lstEmpf->count(), 0);
        QCOMPARE(r.w->txtZielNr->text(), QString());
        QCOMPARE(r.p.dialogs.texts(), QStringList{QStringLiteral("Keine Telefonliste gefunden!")});
    }

    void editedPhoneListReachesTheRecipients()
    {
        SendRig r;
        frmTelNr &tel = frmTelNr::Instance(r.main.get());
        QTimer::singleShot(0, [&] {
            tel.tabTelefon->item(1, 2)->setText(QStringLiteral("+4930111"));
            tel.DataChanged = false;
            tel.cmdEsc->click();
        });
        r.w->cmdAdrList->click();
        r.pick(QStringLiteral("Anna"));
        QCOMPARE(r.w->txtZielNr->text(), QStringLiteral("+4930111"));
    }
};

QTEST_MAIN(TestSend)
#include "test_send.moc"
