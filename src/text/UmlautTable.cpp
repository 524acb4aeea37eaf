#include "text/UmlautTable.h"

#include "platform/AppInfo.h"
#include "platform/CodePage.h"
#include "text/StringUtil.h"

#include <QFileInfo>

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
        if (pair.pc.isEmpty() || pair.gsm.isEmpty())
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
    cell = UmlautCharOfCode(k);
    return UmlautKey::Changed;
}
