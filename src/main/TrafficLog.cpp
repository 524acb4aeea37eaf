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
    const QByteArray bytes = codepage::encode(text);
    if (m_file.write(bytes) != bytes.size()) {
        *error = QStringLiteral("Fehler beim Schreiben der Protokolldatei \"%1\": %2")
                     .arg(m_file.fileName(), m_file.errorString());
        return false;
    }
    return true;
}

void TrafficLog::close()
{
    if (m_file.isOpen())
        m_file.close();
}
