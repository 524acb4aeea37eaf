// Commands run as root through pkexec: a stand-in pkexec records what it was given, so nothing
// runs as root here.
#include "platform/RootRunner.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(RootResult::Outcome)

namespace {

// A pkexec that writes its arguments, one a line, and its input beside itself, says `err` on
// standard error and ends with `code`.
QString fakePkexec(const QTemporaryDir &dir, int code, const QByteArray &err = {})
{
    const QString path = dir.filePath(QStringLiteral("pkexec"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write("#!/bin/sh\n"
            "printf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args\"\n"
            "cat > \"$(dirname \"$0\")/input\"\n");
    if (!err.isEmpty())
        f.write("echo '" + err + "' >&2\n");
    f.write("exit " + QByteArray::number(code) + "\n");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QByteArray read(const QTemporaryDir &dir, const char *name)
{
    QFile f(dir.filePath(QString::fromLatin1(name)));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
}

} // namespace

class TestRootRunner : public QObject {
    Q_OBJECT
private slots:
    // The words reach the program as they are, without a shell between: quotes, blanks and a
    // semicolon stay inside their argument.
    void theArgumentsAndTheInputArriveAsGiven()
    {
        QTemporaryDir dir;
        PkexecRunner runner(fakePkexec(dir, 0));
        const RootCommand c{{"tee", "/etc/udev/rules.d/99-varnix-12d1-1506.rules", "a b; rm -rf x"},
                            "ATTRS{idVendor}==\"12d1\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"\n"};
        const RootResult r = runner.run(c);
        QCOMPARE(r.outcome, RootResult::Outcome::Done);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(read(dir, "args"), QByteArray("tee\n/etc/udev/rules.d/99-varnix-12d1-1506.rules\na b; rm -rf x\n"));
        QCOMPARE(read(dir, "input"), c.input);
    }

    void theExitCodeSaysWhatHappened_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<RootResult::Outcome>("outcome");
        QTest::addColumn<QString>("output");
        QTest::newRow("done") << 0 << RootResult::Outcome::Done << "";
        QTest::newRow("password window closed") << 126 << RootResult::Outcome::Cancelled << "";
        QTest::newRow("not authorised") << 127 << RootResult::Outcome::Refused
                                        << "Error executing command as another user: Not authorized";
        QTest::newRow("the command failed")
            << 1 << RootResult::Outcome::Failed << "adduser: The group x does not exist.";
    }

    void theExitCodeSaysWhatHappened()
    {
        QFETCH(int, code);
        QFETCH(RootResult::Outcome, outcome);
        QFETCH(QString, output);
        QTemporaryDir dir;
        PkexecRunner runner(fakePkexec(dir, code, output.toUtf8()));
        const RootResult r = runner.run({{"systemctl", "stop", "ModemManager"}, {}});
        QCOMPARE(r.outcome, outcome);
        QCOMPARE(r.exitCode, code);
        QCOMPARE(r.output, output);
    }

    void withoutPkexecNothingRuns()
    {
        QTemporaryDir dir;
        PkexecRunner none{QString()};
        QCOMPARE(none.run({{"systemctl", "stop", "ModemManager"}, {}}).outcome, RootResult::Outcome::Failed);
        PkexecRunner missing(dir.filePath(QStringLiteral("no-such-pkexec")));
        const RootResult r = missing.run({{"systemctl", "stop", "ModemManager"}, {}});
        QCOMPARE(r.outcome, RootResult::Outcome::Failed);
        QVERIFY(!r.output.isEmpty());
    }

    // What the user reads before saying yes, and what to type where there is no pkexec.
    void commandLines_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("pkexec");
        QTest::addColumn<QString>("sudo");
        QTest::newRow("plain") << QStringList{"systemctl", "stop", "ModemManager"} << QByteArray()
                               << "pkexec systemctl stop ModemManager"
                               << "sudo systemctl stop ModemManager";
        QTest::newRow("user and group") << QStringList{"adduser", "anna", "dialout"} << QByteArray()
                                        << "pkexec adduser anna dialout"
                                        << "sudo adduser anna dialout";
        QTest::newRow("a word with a blank and a quote")
            << QStringList{"echo", "it's here"} << QByteArray() << "pkexec echo 'it'\\''s here'"
            << "sudo echo 'it'\\''s here'";
        QTest::newRow("input")
            << QStringList{"tee", "/etc/udev/rules.d/99-x.rules"}
            << QByteArray("ATTRS{idVendor}==\"12d1\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"\n")
            << "pkexec tee /etc/udev/rules.d/99-x.rules < Datei"
            << "printf '%s\\n' 'ATTRS{idVendor}==\"12d1\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"' | sudo tee "
               "/etc/udev/rules.d/99-x.rules";
        QTest::newRow("two lines of input")
            << QStringList{"tee", "/f"} << QByteArray("# eins\nzwei\n") << "pkexec tee /f < Datei"
            << "printf '%s\\n' '# eins' zwei | sudo tee /f";
    }

    void commandLines()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(QString, pkexec);
        QFETCH(QString, sudo);
        const RootCommand c{arguments, input};
        QCOMPARE(RootCommandLine(QStringLiteral("/usr/bin/pkexec"), c), pkexec);
        QCOMPARE(SudoCommandLine(c), sudo);
    }
};

QTEST_GUILESS_MAIN(TestRootRunner)
#include "test_root_runner.moc"
