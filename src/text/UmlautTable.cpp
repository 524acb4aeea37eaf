#include "text/UmlautTable.h"

#include "platform/AppInfo.h"
#include "platform/CodePage.h"
#include "text/StringUtil.h"
#include "text/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Only the blank counts, as everywhere in the file formats: a substitute may be a control character.
QString trimBlanks(QString s)
{
    while (s.startsWith(u' '))
        s.remove(0, 1);
    while (s.endsWith(u' '))
        s.chop(1);
    return s;
}

// The value of the leading digits of a text; 0 when it does not begin with one.
int leadingDigits(const QString &s)
{
    int value = 0;
    for (qsizetype i = 0; i < s.size() && s.at(i).isDigit() && s.at(i).unicode() < 128 && value < 1000; ++i)
        value = value * 10 + (s.at(i).unicode() - u'0');
    return value;
}

bool storableSubstitute(int code)
{
    return code != 10 && code != 13 && code != 32 && code != 59;
}

} // namespace

bool UmlautIsControl(const QString &pc)
{
    return std::any_of(pc.cbegin(), pc.cend(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

UmlautLoaded UmlautLoadLines(const QStringList &lines)
{
    UmlautLoaded loaded;
    loaded.rows = QList<UmlautPair>(kUmlautRows);
    for (int n = 0; n < lines.size(); ++n) {
        switch (UmlautClassifyLine(lines[n])) {
        case UmlautLineKind::Empty:
        case UmlautLineKind::Bare:
            break;
        case UmlautLineKind::Refused:
            loaded.badLines.append(n + 1);
            break;
        case UmlautLineKind::Pairs: {
            // Each line starts again at row 1, so a later line overwrites an earlier one's rows.
            const QList<UmlautPair> pairs = UmlautPairsFromLine(lines[n]);
            bool bad = false;
            for (int i = 0; i < pairs.size(); ++i) {
                if (UmlautIsControl(pairs[i].pc))
                    bad = true;
                else
                    loaded.rows[i] = pairs[i];
            }
            if (bad)
                loaded.badLines.append(n + 1);
            break;
        }
        }
    }
    return loaded;
}

QString UmlautBadLinesText(const QList<int> &badLines)
{
    if (badLines.isEmpty())
        return {};
    const QString head = QStringLiteral("String nicht interpretierbar\n\n");
    if (badLines.size() == 1)
        return head + QStringLiteral("Zeile %1 der Datei wurde übergangen.").arg(badLines.first());
    constexpr int kNamed = 5;
    QStringList named;
    for (int i = 0; i < badLines.size() && i < kNamed; ++i)
        named << QString::number(badLines[i]);
    return head + QStringLiteral("%1 Zeilen der Datei wurden übergangen: %2%3")
                      .arg(badLines.size())
                      .arg(named.join(QStringLiteral(", ")),
                           badLines.size() > kNamed ? QStringLiteral(" …") : QStringLiteral("."));
}

bool UmlautReadFile(const QString &path, QStringList &lines, QString *refusal)
{
    lines.clear();
    const QString shown = QDir::toNativeSeparators(path);
    const auto refuse = [&](const QString &why) {
        if (refusal)
            *refusal = QStringLiteral("Die Ersetzungstabelle %1 %2\n\nDie Tabelle beginnt leer; „Save data“ "
                                      "ersetzt die Datei.")
                           .arg(shown, why);
        return false;
    };
    const QString notAFile = QStringLiteral("wird nicht gelesen: sie ist keine gewöhnliche Datei.");
    QFile file;
#ifdef Q_OS_UNIX
    // Opened without waiting (a pipe would block the open itself) and looked at before a byte
    // is read: a link to /dev/zero has no end.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return false;
        return refuse(errno == EISDIR ? notAFile : QStringLiteral("kann nicht gelesen werden."));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return refuse(notAFile);
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refuse(QStringLiteral("kann nicht gelesen werden."));
    }
#else
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    if (!info.isFile())
        return refuse(notAFile);
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(QStringLiteral("kann nicht gelesen werden."));
#endif
    // One byte more than the bound tells a file at the bound from a larger one.
    const QByteArray bytes = file.read(kUmlautFileBound + 1);
    if (file.error() != QFileDevice::NoError)
        return refuse(QStringLiteral("kann nicht gelesen werden."));
    if (bytes.size() > kUmlautFileBound)
        return refuse(QStringLiteral("wird nicht gelesen: sie ist größer als %1 KB und kann keine "
                                     "Ersetzungstabelle sein.")
                          .arg(kUmlautFileBound / 1024));
    lines = TextFileLinesFromBytes(bytes);
    return true;
}

UmlautLineKind UmlautClassifyLine(const QString &line)
{
    if (line.isEmpty())
        return UmlautLineKind::Empty;
    if (line.at(0) != u'U')
        return UmlautLineKind::Refused;
    if (line.size() == 1)
        return UmlautLineKind::Bare;
    return UmlautLineKind::Pairs;
}

QList<UmlautPair> UmlautPairsFromLine(const QString &line)
{
    QList<UmlautPair> pairs;
    QString rest = line.mid(1);
    while (rest.size() >= 4 && rest.contains(u';')) {
        UmlautPair pair;
        pair.pc = TokenSemicolon(rest);
        pair.gsm = TokenSemicolon(rest);
        pairs.append(pair);
    }
    UmlautPair last;
    last.pc = TokenSemicolon(rest);
    last.gsm = rest;
    pairs.append(last);
    if (pairs.size() > kUmlautRows)
        pairs.resize(kUmlautRows);
    return pairs;
}

QString UmlautLineFromPairs(const QList<UmlautPair> &pairs)
{
    QStringList fields;
    for (const UmlautPair &pair : pairs)
        fields << pair.pc << pair.gsm;
    return QStringLiteral("U") + fields.join(u';');
}

UmlautCollection UmlautCollectPairs(const QList<UmlautPair> &rows)
{
    UmlautCollection c;
    for (int i = 0; i < rows.size(); ++i) {
        const UmlautPair pair{trimBlanks(rows[i].pc), trimBlanks(rows[i].gsm)};
        if (pair.pc.isEmpty() || pair.gsm.isEmpty() || UmlautIsControl(pair.pc))
            continue;
        if (c.pairs.size() < kUmlautMaxPairs)
            c.pairs.append(pair);
        else
            c.leftOut.append(i + 1);
    }
    return c;
}

QString UmlautCharOfCode(int code)
{
    return codepage::decode(QByteArray(1, static_cast<char>(code)));
}

UmlautKey UmlautApplyKey(QString &cell, int column, int k)
{
    if (k == 8) {
        if (cell.isEmpty())
            return UmlautKey::Ignored;
        cell.chop(1);
        return UmlautKey::Changed;
    }
    if (k == 37 || k == 92 || k < 33 || k > 253)
        return UmlautKey::Ignored;
    if (k >= '0' && k <= '9') {
        if (column != 1)
            return UmlautKey::Ignored;
        if (cell.size() < 3)
            cell += QChar(k);
        if (cell.size() == 3) {
            const int code = leadingDigits(cell);
            if (code >= 254) {
                cell.clear();
            } else if (!storableSubstitute(code)) {
                cell.clear();
                return UmlautKey::RefusedSubstitute;
            } else {
                cell = UmlautCharOfCode(code);
            }
        } else if (cell.size() > 3) {
            cell.clear();
        }
        return UmlautKey::Changed;
    }
    if (column != 0 || !cell.isEmpty())
        return UmlautKey::Ignored;
    if (k == ';')
        return UmlautKey::RefusedSeparator;
    const QString typed = UmlautCharOfCode(k);
    if (UmlautIsControl(typed))
        return UmlautKey::Ignored;
    cell = typed;
    return UmlautKey::Changed;
}
