#include "platform/CodePage.h"
#include "platform/Twips.h"
#include "platform/WorkFolder.h"
#include "support/TestPlatform.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class TestPlatform_ : public QObject {
    Q_OBJECT
    // The settings store looks up its folder once per process: one folder for every test here.
    QTemporaryDir m_config;

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        QCOMPARE(QtSettingsStore().folder(), m_config.filePath(QStringLiteral("Varnix")));
    }

    // Values as a person types them into the settings file, without quotes.
    void handWrittenValuesReadAsTheirText()
    {
        struct Row {
            const char *section, *key, *written, *read;
        };
        const Row rows[] = {
            {"Einstellungen", "Einstellungen", "9600,n,8,1", "9600,n,8,1"},
            {"Settings", "MyDir", "/home/anna/Briefe,alt", "/home/anna/Briefe,alt"},
            {"Settings", "MainLeft", "1500", "1500"},
            {"Ports", "COM1", "/dev/serial/by-id/usb-Huawei_E3372,if00", "/dev/serial/by-id/usb-Huawei_E3372,if00"},
            {"Ports", "COM2", "\"/dev/ttyUSB0,x\"", "/dev/ttyUSB0,x"},
        };
        QByteArray text;
        QByteArray section;
        for (const Row &r : rows) {
            if (section != r.section)
                text += "[" + (section = r.section) + "]\n";
            text += QByteArray(r.key) + "=" + r.written + "\n";
        }
        QtSettingsStore store;
        QVERIFY(QDir().mkpath(store.folder()));
        QFile file(store.folder() + QStringLiteral("/Varnix.conf"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();
        for (const Row &r : rows)
            QCOMPARE(store.value(QString::fromUtf8(r.section), QString::fromUtf8(r.key), QStringLiteral("<none>")),
                     QString::fromUtf8(r.read));
        QVERIFY(file.remove());
    }

    void windows1252Characters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("umlauts") << QStringLiteral("ÄÖÜäöüß") << QByteArray("\xC4\xD6\xDC\xE4\xF6\xFC\xDF");
        QTest::newRow("euro and quotes") << QStringLiteral("€„“…") << QByteArray("\x80\x84\x93\x85");
        QTest::newRow("not in the code page") << QStringLiteral("a\u0416b\U0001F600") << QByteArray("a?b??");
        QTest::newRow("NUL and controls") << QString(QChar(0)) + QChar(26) << QByteArray("\x00\x1A", 2);
    }
    void windows1252Characters()
    {
        QFETCH(QString, text);
        QTEST(codepage::encode(text), "bytes");
    }

    // The folder of phone.lst and the SMS files: the stored "MyDir" while it is a folder, else
    // the folder the program started in. A stored folder deleted or replaced since must not
    // make the phone list and every SMS file unreachable.
    void workFolderFallsBackToTheStartFolder_data()
    {
        QTest::addColumn<QString>("stored"); // a name inside the test's folder; "" stores nothing
        QTest::addColumn<bool>("kept");
        QTest::newRow("stored folder") << "Briefe" << true;
        QTest::newRow("stored folder deleted since") << "gelöscht" << false;
        QTest::newRow("a file where the folder was") << "Datei" << false;
        QTest::newRow("nothing stored") << "" << false;
    }
    void workFolderFallsBackToTheStartFolder()
    {
        QFETCH(QString, stored);
        QFETCH(bool, kept);
        TestPlatform p;
        QTemporaryDir start;
        QTemporaryDir mine;
        QVERIFY(QDir(mine.path()).mkdir(QStringLiteral("Briefe")));
        QFile file(mine.filePath(QStringLiteral("Datei")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        if (!stored.isEmpty())
            p.settings.set(keys::MyDir, QDir::toNativeSeparators(mine.filePath(stored)));
        platform::setStartFolder(start.path());
        const QString expected = kept ? mine.filePath(stored) : start.path();
        const QString folder = platform::workFolder();
        const QString phoneList = platform::workFile(QStringLiteral("phone.lst"));
        platform::setStartFolder({});
        QCOMPARE(folder, expected);
        QCOMPARE(phoneList, expected + QStringLiteral("/phone.lst"));
    }

    void fileDialogQtFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("qt");
        QTest::newRow("log") << QStringLiteral("Protokolldateien (*.LOG)|*.log|Alle Dateien (*.*)|*.*")
                             << QStringLiteral("Protokolldateien (*.LOG);;Alle Dateien (*.*)");
        QTest::newRow("description without patterns") << QStringLiteral("SIM-Listen|*.lst")
                                                       << QStringLiteral("SIM-Listen (*.lst *.LST)");
        QTest::newRow("bare extension") << QStringLiteral("lst") << QStringLiteral("lst (*.lst *.LST)");
    }
    void fileDialogQtFilters()
    {
        QFETCH(QString, filter);
        QTEST(WidgetDialogs::qtFilter(filter), "qt");
    }

    void confirmedFileChoiceChangesTheCurrentFolder()
    {
        QTemporaryDir dir;
        const QString before = QDir::currentPath();
        ScriptedDialogs d;
        d.fileAnswers << dir.filePath(QStringLiteral("x.lst")) << QString();
        QCOMPARE(d.chooseFile({}), dir.filePath(QStringLiteral("x.lst")));
        QCOMPARE(QDir::currentPath(), QDir(dir.path()).canonicalPath());
        QDir::setCurrent(before);
        QCOMPARE(d.chooseFile({}), QString());
        QCOMPARE(QDir::currentPath(), before);
    }

    // The traffic log's dialog and the lists' save dialog: a new name is typed, an existing one
    // comes back without the toolkit's own overwrite question (the program asks its own).
    void aNewNameCanBeTypedAndNothingIsAsked_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("save");
        QTest::newRow("new") << "neu.log" << false;
        QTest::newRow("existing") << "alt.log" << false;
        QTest::newRow("save over an existing file") << "alt.log" << true;
    }
    void aNewNameCanBeTypedAndNothingIsAsked()
    {
        QFETCH(QString, name);
        QFETCH(bool, save);
        QTemporaryDir dir;
        QFile existing(dir.filePath(QStringLiteral("alt.log")));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();
        const QString before = QDir::currentPath();
        QDir::setCurrent(dir.path());
        int boxes = 0;
        QTimer::singleShot(0, [&] {
            auto *fd = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(fd);
            QCOMPARE(fd->nameFilters(), (QStringList{"Protokolldateien (*.LOG)", "Alle Dateien (*.*)"}));
            fd->selectFile(name);
            QTimer::singleShot(200, [&] {
                if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                    ++boxes;
                    box->reject();
                    QTimer::singleShot(0, fd, [fd] { fd->reject(); }); // it would wait for another name
                }
            });
            static_cast<QDialog *>(fd)->accept(); // what the accept button does
        });
        WidgetDialogs w;
        FileRequest r{QStringLiteral("Protokolldatei öffnen"),
                      QStringLiteral("Protokolldateien (*.LOG)|*.log|Alle Dateien (*.*)|*.*")};
        r.newName = !save;
        r.save = save;
        const QString chosen = w.chooseFile(r);
        QDir::setCurrent(before);
        QCOMPARE(boxes, 0);
        QCOMPARE(QFileInfo(chosen).fileName(), name);
    }
};

QTEST_MAIN(TestPlatform_)
#include "test_platform.moc"
