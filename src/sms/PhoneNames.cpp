#include "sms/PhoneNames.h"

#include "phonelist/PhoneListFile.h"
#include "phonelist/PhoneListFormat.h"
#include "platform/WorkFolder.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

// Shorter tails would tie unrelated short numbers (service numbers, short codes) together.
constexpr qsizetype kShortestTail = 6;

QString normalised(const QString &number)
{
    QString n;
    n.reserve(number.size() + 1);
    for (const QChar c : number) {
        if (c == u' ' || c == u'-' || c == u'/' || c == u'.' || c == u'(' || c == u')' || c == u'\t')
            continue;
        n.append(c);
    }
    if (n.startsWith(u'+'))
        n.replace(0, 1, QStringLiteral("00"));
    return n;
}

bool allDigits(const QString &s)
{
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

bool isInternational(const QString &n) { return n.size() > 2 && n.startsWith(QLatin1String("00")) && allDigits(n); }
bool isNational(const QString &n) { return n.size() > 1 && n.at(0) == u'0' && n.at(1) != u'0' && allDigits(n); }

// The tails an international number may have after its country code of one to three digits.
QStringList tailsAfterCountryCode(const QString &international)
{
    QStringList tails;
    const QString rest = international.mid(2);
    for (qsizetype cc = 1; cc <= 3; ++cc) {
        if (rest.size() - cc >= kShortestTail)
            tails.append(rest.mid(cc));
    }
    return tails;
}

} // namespace

PhoneNames::PhoneNames(const QList<PhoneRow> &rows)
{
    for (const PhoneRow &row : rows) {
        const QString n = normalised(row.number);
        if (n.isEmpty() || row.name.isEmpty())
            continue;
        if (!m_exact.contains(n))
            m_exact.insert(n, row.name);
        if (isNational(n) && n.size() - 1 >= kShortestTail && !m_national.contains(n.mid(1)))
            m_national.insert(n.mid(1), row.name);
        if (isInternational(n)) {
            for (const QString &tail : tailsAfterCountryCode(n)) {
                if (!m_abroad.contains(tail))
                    m_abroad.insert(tail, row.name);
            }
        }
    }
}

QString PhoneNames::nameFor(const QString &number) const
{
    const QString n = normalised(number);
    if (n.isEmpty())
        return {};
    if (const auto it = m_exact.constFind(n); it != m_exact.cend())
        return *it;
    if (isInternational(n)) {
        for (const QString &tail : tailsAfterCountryCode(n)) {
            if (const auto it = m_national.constFind(tail); it != m_national.cend())
                return *it;
        }
    }
    if (isNational(n)) {
        if (const auto it = m_abroad.constFind(n.mid(1)); it != m_abroad.cend())
            return *it;
    }
    return {};
}

PhoneNames PhoneNames::fromFolder(const QString &folder)
{
    QStringList lines;
    if (!PhoneListReadFile(QDir(folder).filePath(kPhoneListFileName), lines))
        return {};
    QList<PhoneRow> rows;
    for (const QString &line : PhoneListUsableSorted(lines))
        rows.append(PhoneListSplit(line));
    return PhoneNames(rows);
}

const PhoneNames &PhoneNamesCache::current()
{
    const QString folder = platform::workFolder();
    const QFileInfo info(QDir(folder).filePath(kPhoneListFileName));
    const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
    const qint64 size = info.exists() ? info.size() : -1;
    if (info.filePath() != m_path || modified != m_modified || size != m_size) {
        m_names = PhoneNames::fromFolder(folder);
        m_path = info.filePath();
        m_modified = modified;
        m_size = size;
    }
    return m_names;
}
