// Every text the user types that ends up on the command line, fed with the bytes that could end
// a quoted parameter, end the line, chain a command, send or cancel a message. Whatever the
// window does with it (refuse it or send it), the modem must receive one command per line and
// never the AT+CMGD smuggled in (in a message's text it is only text). A Unicode or a long text
// goes in PDU mode: its PDUs are hex digits, whatever the text holds.
#include "../support/MainRig.h"

#include "modem/frmSMS1.h"
#include "phonelist/frmTelNr.h"
#include "simbook/frmSimList.h"
#include "sms/frmSendSM.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

enum class Field { Pin, ServiceCentre, Recipient, MessageText, UnicodeText, LongText, BookName, BookNumber };

bool codedText(Field f) { return f == Field::UnicodeText || f == Field::LongText; }
bool messageText(Field f) { return f == Field::MessageText || codedText(f); }

struct InjectionRig : MainRig {
    QTemporaryDir dir;
    QString before = QDir::currentPath();

    InjectionRig()
    {
        QDir::setCurrent(dir.path());
        p.settings.set(keys::MyDir, dir.path());
        modemsim::Config cfg;
        cfg.pin.clear(); // an open SIM: a smuggled AT+CMGD would really delete
        modemsim::Modem &m = attachModem(cfg);
        m.receive("AT+CMGF=1\r");
        m.storeSms({"REC UNREAD", "+4917012345678", "26/12/06,10:00:00+04", "Hallo"});
        m.storeSms({"REC READ", "+4915198765432", "26/12/06,11:00:00+04", "Tschüss"});
        m.writePhoneEntry("SM", {"+491701234567", 145, "Anna"});
        fake->takeWritten();
    }
    ~InjectionRig()
    {
        delete frmTelNr::Loaded();
        QDir::setCurrent(before);
    }

    // Types the value into its field and presses the button that sends it.
    void enter(Field field, const QString &value)
    {
        switch (field) {
        case Field::Pin:
        case Field::ServiceCentre: {
            frmSMS1 w(*main);
            w.txtPIN->setText(field == Field::Pin ? value : QStringLiteral("1234"));
            w.txtSMSC->setText(field == Field::ServiceCentre ? value : QStringLiteral("+491710760000"));
            (field == Field::Pin ? w.cmdPinTest : w.cmdSMSCneu)->click();
            break;
        }
        case Field::Recipient:
        case Field::MessageText:
        case Field::UnicodeText:
        case Field::LongText: {
            frmSendSM w(*main);
            w.txtZielNr->setText(field == Field::Recipient ? value : QStringLiteral("+4917012345678"));
            w.Eingabe->setPlainText(messageText(field) ? value : QStringLiteral("Hallo"));
            w.cmdSend->click();
            break;
        }
        case Field::BookName:
        case Field::BookNumber: {
            frmSimList w(*main);
            w.show();
            w.cmdNew->click();
            w.edName->setText(field == Field::BookName ? value : QStringLiteral("Hans"));
            w.edNr->setText(field == Field::BookNumber ? value : QStringLiteral("0171"));
            w.cmdOK->click();
            w.cmdWrite->click();
            break;
        }
        }
    }
};

// The command lines of what was written, and the message bodies that followed the AT+CMGS
// lines up to their Ctrl-Z, as a modem reads the stream.
struct Wire {
    QList<QByteArray> lines;
    QList<QByteArray> bodies;
};
Wire readWire(const QByteArray &bytes)
{
    Wire w;
    QByteArray current;
    bool body = false;
    for (char c : bytes) {
        if (body) {
            if (c == '\x1A' || c == '\x1B') {
                w.bodies << current + c;
                current.clear();
                body = false;
            } else {
                current += c;
            }
        } else if (c == '\r') {
            w.lines << current;
            body = current.startsWith("AT+CMGS=");
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.isEmpty())
        (body ? w.bodies : w.lines) << current;
    return w;
}

QString fieldValue(Field field, const QString &payload)
{
    switch (field) {
    case Field::Pin: return QStringLiteral("12") + payload + QStringLiteral("34");
    case Field::ServiceCentre: return QStringLiteral("+4917107") + payload + QStringLiteral("60000");
    case Field::Recipient: return QStringLiteral("+491701") + payload + QStringLiteral("2345678");
    case Field::MessageText: return QStringLiteral("Hallo") + payload + QStringLiteral("Welt");
    case Field::UnicodeText: return QStringLiteral("Hallo") + payload + QStringLiteral("Welt 😀");
    case Field::LongText: return QStringLiteral("Hallo") + payload + QStringLiteral("Welt ") + QString(200, u'x');
    case Field::BookName: return QStringLiteral("Hans") + payload + QStringLiteral("Meier");
    case Field::BookNumber: return QStringLiteral("0171") + payload + QStringLiteral("23");
    }
    return {};
}

} // namespace

class TestInjection : public QObject {
    Q_OBJECT
private slots:
    void oneCommandPerLine_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("payload");
        // What the modem is to receive of the message text; empty: the input is refused.
        QTest::addColumn<QByteArray>("sentText");
        // What arrives of a text sent in PDU mode (the simulator joins the parts).
        QTest::addColumn<QString>("arrived");
        const QList<QPair<const char *, QString>> payloads = {
            {"quote", QStringLiteral("\"")},
            {"semicolon", QStringLiteral(";")},
            {"CR", QStringLiteral("\r")},
            {"LF", QStringLiteral("\n")},
            {"Ctrl-Z", QString(QChar(26))},
            {"ESC", QString(QChar(27))},
            {"chained CMGD", QStringLiteral("\";+CMGD=1,4;\"")},
        };
        const QList<QPair<const char *, Field>> fields = {
            {"PIN", Field::Pin},           {"service centre", Field::ServiceCentre},
            {"recipient", Field::Recipient}, {"message text", Field::MessageText},
            {"Unicode text", Field::UnicodeText}, {"long text", Field::LongText},
            {"phonebook name", Field::BookName}, {"phonebook number", Field::BookNumber},
        };
        for (const auto &[fieldName, field] : fields) {
            for (const auto &[payloadName, payload] : payloads) {
                QByteArray sent;
                QString arrived;
                // Inside the text after the prompt only Ctrl-Z and ESC mean something to the
                // modem; a quote, a semicolon or a line break is text like any other. Neither
                // is let through into a message, though, whichever way it goes.
                const bool lineBreak = payload == u'\r' || payload == u'\n';
                if (field == Field::MessageText && payload != QChar(26) && payload != QChar(27))
                    sent = "Hallo" + (lineBreak ? QByteArray("\r\n") : payload.toLatin1()) + "Welt";
                if (codedText(field) && payload != QChar(26) && payload != QChar(27))
                    arrived = fieldValue(field, lineBreak ? QStringLiteral("\n") : payload);
                QTest::addRow("%s: %s", fieldName, payloadName) << int(field) << payload << sent << arrived;
            }
        }
    }
    void oneCommandPerLine()
    {
        QFETCH(int, field);
        QFETCH(QString, payload);
        QFETCH(QByteArray, sentText);
        QFETCH(QString, arrived);
        InjectionRig r;
        const modemsim::Modem &modem = r.sim->modem();
        r.enter(Field(field), fieldValue(Field(field), payload));

        const QByteArray written = r.fake->takeWritten();
        const Wire wire = readWire(written);
        for (const QByteArray &line : wire.lines) {
            QVERIFY2(line.startsWith("AT") && !line.contains("CMGD"), line.constData());
            QVERIFY2(!line.contains(';'), line.constData());
            QVERIFY2(line.count('"') % 2 == 0, line.constData());
            for (char c : line)
                QVERIFY2(uchar(c) >= 0x20, line.constData());
        }
        for (const QByteArray &body : wire.bodies) {
            QVERIFY(body.endsWith('\x1A'));
            QCOMPARE(body.count('\x1A') + body.count('\x1B'), 1);
            if (codedText(Field(field)))
                QVERIFY2(QRegularExpression(QStringLiteral("^[0-9A-F]+\x1a$")).match(QString::fromLatin1(body)).hasMatch(),
                         body.constData());
        }
        // The message text either went out whole, as one message, or not at all.
        if (!arrived.isEmpty()) {
            QCOMPARE(modem.arrivals().size(), 1);
            QCOMPARE(modem.arrivals()[0].text, arrived);
        } else if (sentText.isEmpty()) {
            QVERIFY(modem.outbox().isEmpty());
            QVERIFY(modem.arrivals().isEmpty());
        } else {
            QCOMPARE(modem.outbox().size(), 1);
            QCOMPARE(modem.outbox()[0].text, sentText);
        }
        // A refused input is said so; nothing of it reached the line.
        if (!messageText(Field(field)) || (sentText.isEmpty() && arrived.isEmpty())) {
            QVERIFY(!r.p.dialogs.shown.isEmpty());
            QVERIFY(!written.contains(fieldValue(Field(field), payload).toLatin1()));
        }
        QVERIFY(!modem.inTextEntry());
        QCOMPARE(modem.storageUsed(), 2);
        QCOMPARE(modem.phonebookUsed("SM"), 1);
        QCOMPARE(modem.phoneEntry("SM", 1)->name, QByteArray("Anna"));
    }
};

QTEST_MAIN(TestInjection)
#include "test_injection.moc"
