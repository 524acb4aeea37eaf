#include "main/TrafficLog.h"

#include "platform/CodePage.h"

bool TrafficLog::open(const QString &fileName, QString *error)
{
    close();
    m_file.setFileName(fileName);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        *error = QStringLiteral("Die Datei \"%1\" kann nicht geöffnet werden: %2").arg(fileName, m_file.errorString());
        return false;
    }
    return true;
}

bool TrafficLog::write(const QString &text, QString *error)
{
    hold(text);
    return flush(error);
}

bool TrafficLog::retry(QString *error) { return flush(error); }

void TrafficLog::hold(const QString &text) { m_pending += codepage::encode(text); }

bool TrafficLog::flush(QString *error)
{
    // Unbuffered: each write reports what the system really took.
    while (!m_pending.isEmpty()) {
        const qint64 n = m_file.write(m_pending);
        if (n <= 0) {
            *error = QStringLiteral("Fehler beim Schreiben der Protokolldatei \"%1\": %2")
                         .arg(m_file.fileName(), m_file.errorString());
            return false;
        }
        m_pending.remove(0, n);
    }
    return true;
}

void TrafficLog::close()
{
    m_pending.clear();
    if (m_file.isOpen())
        m_file.close();
}
