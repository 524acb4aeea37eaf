#include "../support/FileSizeLimit.h"
#include "../support/MainRig.h"

#include "main/Handbook.h"
#include "main/IconLabel.h"

#include <QAction>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {
QByteArray fileBytes(const QString &name)
{
    QFile f(name);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}
void fileWrite(const QString &name, const QByteArray &bytes)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}
} // namespace

class TestMainCommands : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString before;
private slots:
    void init() { before = QDir::currentPath(); }
    void cleanup() { QDir::setCurrent(before); }

    void comToggleClosesReopensAndReportsAMissingPort()
    {
        MainRig r;
        QAction *toggle = r.main->toolButton(QStringLiteral("Com Close"));
        toggle->trigger();
        QVERIFY(!r.comm().portOpen());
        QVERIFY(!r.main->panel1ShowsOpen());
        QCOMPARE(r.main->panelText(1), QStringLiteral("COM1,9600,n,8,1 not active"));
        toggle->trigger();
        QVERIFY(r.comm().portOpen());
        QVERIFY(r.main->panel1ShowsOpen());
        QCOMPARE(r.main->panelText(1), QStringLiteral("COM1,9600,n,8,1 active"));
        QVERIFY(r.p.dialogs.shown.isEmpty());

        toggle->trigger();
        r.fake->missing << QStringLiteral("/dev/ttyS0");
        toggle->trigger();
        QCOMPARE(r.p.dialogs.shown.size(), 1);
        QCOMPARE(r.p.dialogs.shown[0].icon, MsgIcon::Exclamation);
        QCOMPARE(r.p.dialogs.shown[0].title, QStringLiteral("Varnix"));
        QVERIFY(!r.main->panel1ShowsOpen());
        QCOMPARE(r.main->panelText(1), QStringLiteral("COM1,9600,n,8,1 not active"));
    }

    void terminalIconTogglesThePane()
    {
        MainRig r;
        QString t = QStringLiteral("OK\r");
        r.main->ShowData(t);
        emit r.main->imgTerm->clicked();
        QVERIFY(r.main->txtTerm->isHidden());
        emit r.main->imgTerm->clicked();
        QVERIFY(!r.main->txtTerm->isHidden());
        QCOMPARE(r.main->terminalText(), QStringLiteral("OK\r\n"));
    }

    void hoverBordersTheIconsAndAnIconLosesItsOwn()
    {
        MainRig r;
        r.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(r.main.get()));
        QTest::mouseMove(r.main->picTerminal, QPoint(r.main->picTerminal->width() / 2, 8));
        for (IconLabel *i : {r.main->imgModem, r.main->imgSend, r.main->imgTerm, r.main->imgRec})
            QVERIFY(i->bordered());
        QTest::mouseMove(r.main->imgSend, QPoint(5, 5));
        QVERIFY(!r.main->imgSend->bordered());
        QVERIFY(r.main->imgModem->bordered());
    }

    void modelessWindowsOpenOnceInsideTheWorkArea()
    {
        MainRig r;
        r.main->show();
        r.main->openRegistration();
        QWidget *first = r.main->registrationWindow();
        QVERIFY(first && first->isVisible());
        // A child of the work area with its caption, not a window of its own.
        auto *frame = qobject_cast<QMdiSubWindow *>(first->parentWidget());
        QVERIFY(frame);
        QCOMPARE(r.main->mdiArea->subWindowList(), QList<QMdiSubWindow *>{frame});
        QCOMPARE(frame->windowTitle(), QStringLiteral("Modem anmelden"));
        QVERIFY(!first->isWindow());
        // The frame's close box hides it; the next opening shows the same window again.
        frame->close();
        QVERIFY(!frame->isVisible());
        r.main->openRegistration();
        QCOMPARE(r.main->registrationWindow(), first);
        QVERIFY(first->isVisible() && frame->isVisible());
        QCOMPARE(r.main->mdiArea->activeSubWindow(), frame);

        r.main->openSend();
        QCOMPARE(r.main->mdiArea->subWindowList().size(), 2);
        QCOMPARE(r.main->mdiArea->activeSubWindow()->windowTitle(), QStringLiteral("SM senden"));
    }

    // A child window taller than the work area: the terminal gives up height, then the window
    // grows as far as the screen allows; whatever is still missing can be scrolled to.
    void aTallChildGetsRoomInTheWorkArea()
    {
        MainRig r;
        r.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(r.main.get()));
        const int terminalBefore = r.main->txtTerm->height();
        r.main->openSimList();
        QMdiSubWindow *frame = r.main->mdiArea->activeSubWindow();
        QVERIFY(frame);
        QTRY_VERIFY(r.main->txtTerm->height() < terminalBefore);
        // The window's growth and the terminal's second step come through the event queue.
        const int screenBottom = r.main->screen()->availableGeometry().bottom();
        QTRY_VERIFY(frame->geometry().bottom() < r.main->mdiArea->viewport()->height()
                    || r.main->frameGeometry().bottom() >= screenBottom - 1);
    }

    void logCommandsFollowTheLog()
    {
        MainRig r;
        const auto commandsAre = [&](bool open) {
            QCOMPARE(r.main->mnuFileLogOpen->isEnabled(), !open);
            QCOMPARE(r.main->toolButton(QStringLiteral("OpenLogFile"))->isEnabled(), !open);
            QCOMPARE(r.main->mnuFileLogClose->isEnabled(), open);
            QCOMPARE(r.main->toolButton(QStringLiteral("CloseLogFile"))->isEnabled(), open);
            QCOMPARE(r.main->logOpen(), open);
        };
        commandsAre(false);
        r.main->LogOpen(); // cancelled
        commandsAre(false);
        QCOMPARE(r.p.dialogs.fileRequests.size(), 1);
        QCOMPARE(r.p.dialogs.fileRequests[0].title, QStringLiteral("Protokolldatei öffnen"));
        QCOMPARE(r.p.dialogs.fileRequests[0].filter,
                 QStringLiteral("Protokolldateien (*.LOG)|*.log|Alle Dateien (*.*)|*.*"));
        // A dialog in which the name of a new log can be typed.
        QVERIFY(r.p.dialogs.fileRequests[0].newName);

        r.p.dialogs.fileAnswers << dir.filePath(QStringLiteral("a.log"));
        r.main->mnuFileLogOpen->trigger();
        commandsAre(true);
        r.main->toolButton(QStringLiteral("CloseLogFile"))->trigger();
        commandsAre(false);
    }

    void logHoldsTheDialogueByteForByte()
    {
        MainRig r;
        r.attachModem();
        const QString name = dir.filePath(QStringLiteral("traffic.log"));
        QFile::remove(name);
        r.p.dialogs.fileAnswers << name;
        r.main->LogOpen();
        QString line = QStringLiteral("AT\r");
        r.comm().output(line);
        r.main->ShowData(line);
        r.p.clock.advance(0.1);
        r.main->ReceiveLoop();
        r.main->optDisplay[1]->setChecked(true);
        r.comm().output(QStringLiteral("AT\r"));
        r.p.clock.advance(0.1);
        r.main->ReceiveLoop();
        QString umlaut = QStringLiteral("ü\n");
        r.main->ShowData(umlaut);
        r.main->LogClose();
        QCOMPARE(fileBytes(name), QByteArray("AT\r\nAT\r\n\r\nOK\r\n"
                                             "<65><84><13><13><10><79><75><13><10>"
                                             "\xFC"));
    }

    void replaceYesGivesOnlyNewTrafficAndNoAppends_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("yes") << int(MsgAnswer::Yes) << QByteArray("new\r\n");
        QTest::newRow("no") << int(MsgAnswer::No) << QByteArray("old\r\nnew\r\n");
        QTest::newRow("cancel, then cancel the dialog") << int(MsgAnswer::Cancel) << QByteArray("old\r\n");
    }
    void replaceYesGivesOnlyNewTrafficAndNoAppends()
    {
        QFETCH(int, answer);
        QFETCH(QByteArray, content);
        MainRig r;
        const QString name = dir.filePath(QStringLiteral("old.log"));
        {
            QFile f(name);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write("old\r\n");
        }
        r.p.dialogs.fileAnswers << name;
        r.p.dialogs.answers << MsgAnswer(answer);
        r.main->LogOpen();
        QCOMPARE(r.p.dialogs.shown[0].text, QStringLiteral("Bestehende Datei ersetzen - %1?").arg(name));
        QCOMPARE(r.p.dialogs.shown[0].buttons, MsgButtons::YesNoCancel);
        QCOMPARE(r.p.dialogs.shown[0].icon, MsgIcon::Question);
        QString text = QStringLiteral("new\r");
        r.main->ShowData(text);
        r.main->LogClose();
        QCOMPARE(fileBytes(name), content);
        if (answer == int(MsgAnswer::Cancel))
            QCOMPARE(r.p.dialogs.fileRequests.size(), 2); // the dialog came again
    }

    // The disk is full from the start: the log's first write fails on the real file.
    void aFailingWriteAsksRetryOrCancel()
    {
        MainRig r;
        const QString name = dir.filePath(QStringLiteral("voll.log"));
        fileWrite(name, "alt\r\n");
        r.p.dialogs.fileAnswers << name;
        r.p.dialogs.answers << MsgAnswer::No; // keep the existing file
        r.main->LogOpen();
        QVERIFY(r.main->logOpen());
        r.p.dialogs.answers << MsgAnswer::Retry << MsgAnswer::Cancel;
        QString text = QStringLiteral("OK\r");
        {
            const FileSizeLimit full(6);
            r.main->ShowData(text);
        }
        QCOMPARE(r.p.dialogs.shown.size(), 3);
        QCOMPARE(r.p.dialogs.shown[1].buttons, MsgButtons::RetryCancel);
        QCOMPARE(r.p.dialogs.shown[1].icon, MsgIcon::Critical);
        QCOMPARE(
            r.p.dialogs.shown[1].text,
            QStringLiteral("Fehler beim Schreiben der Protokolldatei \"%1\": Der Datenträger ist voll.").arg(name));
        QCOMPARE(fileBytes(name), QByteArray("alt\r\nO")); // what fitted
        QVERIFY(!r.main->logOpen());
        QVERIFY(r.main->mnuFileLogOpen->isEnabled());
        QCOMPARE(r.main->terminalText(), QStringLiteral("OK\r\n"));
    }

    // A full disk takes part of a write, then nothing. One question at a time while ticks go
    // on showing traffic; Retry writes what was not written, and everything lands once, in order.
    void aFullDiskAsksOnceAndRetryWritesTheRest()
    {
        MainRig r;
        const QString name = dir.filePath(QStringLiteral("full.log"));
        QFile::remove(name);
        r.p.dialogs.fileAnswers << name;
        r.main->LogOpen();
        QVERIFY(r.main->logOpen());

        std::signal(SIGXFSZ, SIG_IGN);
        rlimit normal{};
        getrlimit(RLIMIT_FSIZE, &normal);
        const rlimit full{4, normal.rlim_max};
        setrlimit(RLIMIT_FSIZE, &full);
        int asked = 0;
        r.p.dialogs.onMessage = [&](const ShownMessage &) {
            if (++asked > 1)
                return;
            QString tick = QStringLiteral("tick\r");
            r.main->ShowData(tick);
            r.main->ShowData(tick);
            setrlimit(RLIMIT_FSIZE, &normal);
        };
        r.p.dialogs.answers << MsgAnswer::Retry;
        QString text = QStringLiteral("AT+CSQ\r");
        r.main->ShowData(text);
        setrlimit(RLIMIT_FSIZE, &normal);
        QCOMPARE(asked, 1);
        // The system took part of the line: a full disk, not an unknown error.
        QCOMPARE(r.p.dialogs.texts(),
                 QStringList{QStringLiteral("Fehler beim Schreiben der Protokolldatei \"%1\": Der Datenträger ist voll.")
                                 .arg(QDir::toNativeSeparators(name))});
        QVERIFY(r.main->logOpen());
        r.main->LogClose();
        QCOMPARE(fileBytes(name), QByteArray("AT+CSQ\r\ntick\r\ntick\r\n"));
    }

    void anUnopenableLogLeavesTheCommandsAsTheyWere()
    {
        MainRig r;
        r.p.dialogs.fileAnswers << dir.filePath(QStringLiteral("no/such/folder/x.log"));
        r.main->LogOpen();
        QVERIFY(!r.main->logOpen());
        QCOMPARE(r.p.dialogs.shown.size(), 1);
        QCOMPARE(r.p.dialogs.shown[0].icon, MsgIcon::Exclamation);
        QVERIFY(r.main->mnuFileLogOpen->isEnabled());
        QVERIFY(!r.main->mnuFileLogClose->isEnabled());
    }

    // Where the handbook is looked for, from the folder the program lies in.
    void findHandbook_data()
    {
        QTest::addColumn<QStringList>("files"); // name[=content] in a fresh folder, "<root>"
        QTest::addColumn<QString>("program");   // the program's folder
        QTest::addColumn<QString>("handbook");  // a file under the folder, a URL, or ""
        const QString cache = QStringLiteral("build/CMakeCache.txt=CMAKE_BUILD_TYPE:STRING=Debug\n"
                                             "Varnix_SOURCE_DIR:STATIC=<root>/src\n");
        QTest::newRow("installed") << QStringList{"usr/share/doc/varnix/README.md", "usr/share/man/man1/varnix.1.gz"}
                                   << "usr/bin"
                                   << "usr/share/doc/varnix/README.md";
        QTest::newRow("installed without its documents") << QStringList{"usr/share/man/man1/varnix.1.gz"} << "usr/bin"
                                                         << "man:varnix(1)";
        QTest::newRow("manual page not compressed") << QStringList{"usr/share/man/man1/varnix.1"} << "usr/bin"
                                                    << "man:varnix(1)";
        QTest::newRow("build folder") << QStringList{"src/README.md", cache} << "build/bin"
                                      << "src/README.md";
        QTest::newRow("build folder, tests") << QStringList{"src/README.md", cache} << "build/tests"
                                             << "src/README.md";
        QTest::newRow("build of another project")
            << QStringList{"src/README.md", "build/CMakeCache.txt=Other_SOURCE_DIR:STATIC=<root>/src\n"} << "build/bin"
            << "";
        QTest::newRow("source tree gone") << QStringList{cache} << "build/bin"
                                          << "";
        QTest::newRow("nothing") << QStringList{} << "usr/bin"
                                 << "";
    }
    void findHandbook()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, program);
        QFETCH(QString, handbook);
        QTemporaryDir root;
        QDir(root.path()).mkpath(program);
        for (const QString &entry : files) {
            const QString name = entry.section(u'=', 0, 0);
            QString content = entry.section(u'=', 1);
            content.replace(QLatin1String("<root>"), root.path());
            QDir(root.path()).mkpath(QFileInfo(name).path());
            QFile f(root.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content.toUtf8());
        }
        const QUrl found = FindHandbook(root.filePath(program));
        if (handbook.isEmpty())
            QVERIFY(found.isEmpty());
        else if (handbook.contains(u':'))
            QCOMPARE(found, QUrl(handbook));
        else
            QCOMPARE(found, QUrl::fromLocalFile(root.filePath(handbook)));
    }

    // Run from the build folder, "Handbuch" opens the README of the source tree through the
    // desktop; where the desktop cannot open it, a box says so.
    void handbookOpensThroughTheDesktop()
    {
        MainRig r;
        const QUrl handbook = FindHandbook(QCoreApplication::applicationDirPath());
        QVERIFY(handbook.isLocalFile() && handbook.toLocalFile().endsWith(QLatin1String("/README.md")));
        QVERIFY(r.main->mnuHelpManual->isEnabled());
        r.main->mnuHelpManual->trigger();
        QCOMPARE(r.p.urls.opened, QList<QUrl>{handbook});
        QVERIFY(r.p.dialogs.shown.isEmpty());

        r.p.urls.succeeds = false;
        r.main->mnuHelpManual->trigger();
        QCOMPARE(r.p.dialogs.texts(), QStringList{QStringLiteral("Das Handbuch kann nicht geöffnet werden: %1")
                                                      .arg(QDir::toNativeSeparators(handbook.toLocalFile()))});
        QCOMPARE(r.p.dialogs.shown[0].icon, MsgIcon::Exclamation);
    }

    void baudScanLeavesTheTimerRunning()
    {
        MainRig r;
        r.main->setReceiveTimer(false);
        QTimer::singleShot(0, [] {
            if (QWidget *w = QApplication::activeModalWidget())
                w->close();
        });
        r.main->openBaudScan();
        QVERIFY(r.main->receiveTimer());
        QVERIFY(!r.comm().portOpen());
    }
};

QTEST_MAIN(TestMainCommands)
#include "test_main_commands.moc"
