#include "about/ProgramVersion.h"
#include "about/SysInfo.h"
#include "about/frmAbout.h"
#include "platform/Registry.h"
#include "support/TestPlatform.h"

#include <QtTest>
#include <QtWidgets>

namespace {

const QString kMsinfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");

struct Rig : TestPlatform {
    TestRegistry reg;
    ScriptedRegistry &scripted = reg.scripted;
};

QByteArray utf16(const QString &s)
{
    return QByteArray(reinterpret_cast<const char *>(s.utf16()), s.size() * 2);
}

} // namespace

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void version_data()
    {
        QTest::addColumn<QString>("fileVersion");
        QTest::addColumn<QString>("caption");
        QTest::newRow("padded parts") << "1.02.0016"
                                      << "Version 1.2.16";
        QTest::newRow("project version without revision") << "0.1"
                                                          << "Version 0.1.0";
        QTest::newRow("16-bit limits") << "65535.65536.x"
                                       << "Version 65535.0.0";
    }
    void version()
    {
        QFETCH(QString, fileVersion);
        QTEST(VersionCaption(ProgramVersionFromText(fileVersion)), "caption");
    }

    void captions()
    {
        Rig r;
        frmAbout w(nullptr, ProgramVersionFromText("1.02.0016"));
        QCOMPARE(w.windowTitle(), "Info zu Varnix");
        QCOMPARE(w.lblTitle->text(), "Varnix");
        QCOMPARE(w.lblVersion->text(), "Version 1.2.16");
        QCOMPARE(w.lblDescription->text(), "SMS-Versender\r Zum Versenden von SMS mit GSM-Modem vom PC aus "
                                           "und zum Editieren von Meldungstexten und Telefonnummern.");
    }

    void keyValue_data()
    {
        QTest::addColumn<quint32>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("read");
        QTest::addColumn<QString>("text");
        QTest::newRow("string with NUL") << 1u << utf16(QStringLiteral("C:\\Prog\\msinfo32.exe")) + QByteArray(2, 0)
                                         << true << "C:\\Prog\\msinfo32.exe";
        QTest::newRow("string without NUL") << 1u << utf16(QStringLiteral("abc")) << true << "abc";
        QTest::newRow("empty string") << 1u << QByteArray(2, 0) << true << "";
        QTest::newRow("number") << 4u << QByteArray("\x10\x27\x00\x00", 4) << true << "10000";
        QTest::newRow("binary not used") << 3u << QByteArray("\x01\x02", 2) << false << "";
        QTest::newRow("longer than the buffer") << 1u << utf16(QString(1100, u'x')) << false << "";
    }
    void keyValue()
    {
        QFETCH(quint32, type);
        QFETCH(QByteArray, data);
        ScriptedRegistry reg;
        reg.values.insert(ScriptedRegistry::pathOf("K", "V"), RegistryValue{type, data});
        QString text = QStringLiteral("old");
        QTEST(GetKeyValue(reg, registry::kLocalMachine, "K", "V", text), "read");
        QTEST(text, "text");
        text = QStringLiteral("old");
        QVERIFY(!GetKeyValue(reg, registry::kLocalMachine, "K", "missing", text));
        QCOMPARE(text, "");
    }

    void sysInfo_data()
    {
        QTest::addColumn<QString>("msinfoPath");   // empty: value missing
        QTest::addColumn<QString>("locationPath"); // empty: value missing
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("startWorks");
        QTest::addColumn<QStringList>("started");
        QTest::addColumn<QStringList>("checked");
        QTest::addColumn<bool>("message");
        const QString exe = QStringLiteral("C:\\Tools\\MSINFO32.EXE");
        QTest::newRow("first found: started without a file check")
            << "C:\\nowhere\\msinfo32.exe"
            << "C:\\Tools" << QStringList{} << true << QStringList{"C:\\nowhere\\msinfo32.exe"} << QStringList{}
            << false;
        QTest::newRow("second with the file")
            << ""
            << "C:\\Tools" << QStringList{exe} << true << QStringList{exe} << QStringList{exe} << false;
        QTest::newRow("second without MSINFO32.EXE")
            << ""
            << "C:\\Tools" << QStringList{} << true << QStringList{} << QStringList{exe} << true;
        QTest::newRow("neither") << ""
                                 << "" << QStringList{} << true << QStringList{} << QStringList{} << true;
        QTest::newRow("first found but does not start")
            << "/usr/bin/hardinfo"
            << "C:\\Tools" << QStringList{exe} << false << QStringList{} << QStringList{} << true;
    }
    void sysInfo()
    {
        QFETCH(QString, msinfoPath);
        QFETCH(QString, locationPath);
        Rig r;
        if (!msinfoPath.isEmpty())
            r.scripted.setString(kMsinfoKey, "PATH", msinfoPath);
        if (!locationPath.isEmpty())
            r.scripted.setString(kLocationKey, "MSINFO", locationPath);
        QFETCH(QStringList, files);
        r.scripted.files = files;
        QFETCH(bool, startWorks);
        r.scripted.startSucceeds = startWorks;
        frmAbout w;
        w.cmdSysInfo->click();
        QTEST(r.scripted.started, "started");
        QTEST(r.scripted.checkedFiles, "checked");
        QFETCH(bool, message);
        if (message) {
            QCOMPARE(r.dialogs.shown.size(), 1);
            QCOMPARE(r.dialogs.shown[0].text, "Systeminformationen sind momentan nicht verfügbar");
            QCOMPARE(r.dialogs.shown[0].title, "About");
            QCOMPARE(r.dialogs.shown[0].buttons, MsgButtons::Ok);
        } else {
            QVERIFY(r.dialogs.shown.isEmpty());
        }
        // The look-ups always come in this order, the second only when the first gives nothing.
        const QStringList order{ScriptedRegistry::pathOf(kMsinfoKey, "PATH"),
                                ScriptedRegistry::pathOf(kLocationKey, "MSINFO")};
        QCOMPARE(r.scripted.lookups, order.mid(0, msinfoPath.isEmpty() ? 2 : 1));
    }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
