// The message archive with 10,000 messages in 500 SMS files, 3,000 of them parts of 1,000 long
// UCS2 messages (filed out of order, as hex with their headers), and a phone list of 150 names:
// how long reading the files takes, how long the window takes from construction to its first
// painted table (load, names, listing), and one search keystroke. Goal: the window under one
// second. Usage: bench_archive [runs]
#include "BenchReport.h"
#include "sms/SmsArchive.h"
#include "sms/SmsDataFile.h"
#include "sms/frmArchiv.h"
#include "support/TestPlatform.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kFiles = 500;
constexpr int kPerFile = 20;
constexpr int kSenders = 300;
constexpr int kNames = 150;

const char *const kTexts[] = {
    "Hallo, bist du schon da?",
    "Gr\xFC\xDF" "e aus K\xF6ln! Wir sehen uns morgen um 18 Uhr am Bahnhof.",
    "Kannst du bitte noch Milch, Brot und K\xE4se mitbringen? Danke!",
    "Termin best\xE4tigt: Dienstag 10:30, Praxis Dr. M\xFC" "ller.\r\nBitte Versichertenkarte mitbringen.",
    "Ok",
    "Ihr Paket wird heute zwischen 9 und 13 Uhr zugestellt. Sendungsnummer 00340434161094015208.",
    "Wo bleibst du?\r\nWir warten schon seit einer halben Stunde.\r\nRuf mal an.",
    "Frohe Weihnachten und einen guten Rutsch ins neue Jahr w\xFCnschen euch Anna und Bernd!",
};

QByteArray number(int sender) { return "+49170" + QByteArray::number(1000000 + sender * 7919 % 9000000); }

void writeFolder(const QString &folder)
{
    int n = 0;
    for (int f = 1; f <= kFiles; ++f) {
        QByteArray bytes = "Datei angelegt am: 01-01-2024, 08:00:00\r\n";
        for (int i = 0; i < kPerFile; ++i, ++n) {
            // Spread over four years, roughly in filing order.
            const int day = n * 1460 / (kFiles * kPerFile);
            const QDateTime t = QDateTime(QDate(2021, 1, 1).addDays(day), QTime(8, 0)).addSecs(n % 36000);
            const QByteArray stamp = t.toString(QStringLiteral("yy/MM/dd,HH:mm:ss")).toLatin1() + "+04";
            if (n % 10 < 3) {
                // Parts 2, 1, 3 of long message n / 10: UDHL, IEI 00, reference, total, sequence,
                // then 67 UTF-16 units.
                const int sequence = n % 10 == 0 ? 2 : n % 10 == 1 ? 1 : 3;
                QByteArray ud = QByteArray::fromHex("050003") + char((n / 10) % 256) + char(3) + char(sequence);
                const QString text = QString::fromLatin1(kTexts[n % 8]).leftJustified(67, u'…', true);
                for (QChar c : text)
                    ud += char(c.unicode() >> 8) + QByteArray(1, char(c.unicode() & 0xFF));
                bytes += "\"" + number((n / 10) % kSenders) + "\",,\"" + stamp + "\",145,68,0,8,\"+491710760000\",145," +
                         QByteArray::number(ud.size()) + "\r\n" + ud.toHex().toUpper() + "\r\n\r\nOK\r\n\r\n";
                continue;
            }
            bytes += "\"" + number(n % kSenders) + "\",,\"" + stamp + "\"\r\n" + kTexts[n % 8] + "\r\n\r\nOK\r\n\r\n";
        }
        QFile file(QDir(folder).filePath(QStringLiteral("SMS%1.DAT").arg(f, 5, 10, QLatin1Char('0'))));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
    }
    QByteArray list;
    for (int s = 0; s < kNames; ++s)
        list += "Kontakt " + QByteArray::number(s) + ";" + number(s * 2) + "\r\n";
    QFile phone(QDir(folder).filePath(QStringLiteral("phone.lst")));
    if (phone.open(QIODevice::WriteOnly))
        phone.write(list);
}

struct Series {
    std::vector<double> ms;
    void add(double v) { ms.push_back(v); }
    double median() const
    {
        std::vector<double> s = ms;
        std::sort(s.begin(), s.end());
        return s[s.size() / 2];
    }
    void print(const char *what) const
    {
        const auto [lo, hi] = std::minmax_element(ms.begin(), ms.end());
        std::printf("%-34s best %7.1f ms   median %7.1f ms   worst %7.1f ms\n", what, *lo, median(), *hi);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir dir;
    TestPlatform platform;
    platform.settings.set(keys::MyDir, dir.path());
    writeFolder(dir.path());

    Series read, window, search;
    qsizetype messages = 0;
    int rows = 0;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer t;
        t.start();
        const ArchiveLoad load = LoadSmsArchive(dir.path());
        read.add(t.nsecsElapsed() / 1e6);
        messages = load.messages.size();

        t.restart();
        {
            frmArchiv w;
            w.show();
            QApplication::processEvents(); // the first paint of the table
            window.add(t.nsecsElapsed() / 1e6);
            rows = w.grdArchiv->model()->rowCount();
            t.restart();
            w.txtSuche->setText(QStringLiteral("köln"));
            QApplication::processEvents();
            search.add(t.nsecsElapsed() / 1e6);
            if (r == 0)
                std::printf("%lld messages read, %d shown for \"köln\"\n", static_cast<long long>(messages),
                            w.grdArchiv->model()->rowCount());
        }
    }
    std::printf("%d files, %d messages each, %d runs\n", kFiles, kPerFile, runs);
    read.print("reading the files");
    window.print("window: load, names, first listing");
    search.print("search keystroke");

    bench::Report report(QStringLiteral("archive"));
    const qsizetype expected = qsizetype(kFiles) * kPerFile;
    report.add(QStringLiteral("archive: messages read of %1").arg(expected), double(messages), QString(),
               QStringLiteral("%1").arg(expected), messages == expected, 0);
    // Each long message's three parts make one row.
    const int expectedRows = int(expected) - int(expected) * 3 / 10 + int(expected) / 10;
    report.add(QStringLiteral("archive: rows listed (3000 parts joined)"), double(rows), QString(),
               QStringLiteral("%1").arg(expectedRows), rows == expectedRows, 0);
    report.add(QStringLiteral("archive: window to first listing, median"), window.median(), QStringLiteral("ms"),
               QStringLiteral("< 1000"), window.median() < 1000.0, 1);
    report.add(QStringLiteral("archive: reading the files, median"), read.median(), QStringLiteral("ms"),
               QStringLiteral("(information)"), true, 1);
    report.add(QStringLiteral("archive: search keystroke, median"), search.median(), QStringLiteral("ms"),
               QStringLiteral("(information)"), true, 1);
    return report.finish();
}
