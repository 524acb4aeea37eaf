#include "main/TrafficLog.h"

#include "comm/PortErrorText.h"
#include "platform/CodePage.h"

#include <QFile>

bool TrafficLog::open(const QString &fileName, QString *error)
{
    auto file = std::make_unique<QFile>(fileName);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        *error = QStringLiteral("Die Datei \"%1\" kann nicht geöffnet werden: %2")
                     .arg(fileName, GermanSystemText(file->errorString()));
        return false;
    }
    open(std::move(file), fileName);
    return true;
}

void TrafficLog::open(std::unique_ptr<QIODevice> device, const QString &name)
{
    close();
    m_device = std::move(device);
    m_name = name;
}

bool TrafficLog::write(QStringView text, QString *error)
{
    hold(text);
    return flush(error);
}

bool TrafficLog::retry(QString *error) { return flush(error); }

void TrafficLog::hold(QStringView text) { m_pending += codepage::encode(text); }

bool TrafficLog::flush(QString *error)
{
    // Unbuffered: each write reports what the system really took.
    while (!m_pending.isEmpty()) {
        const qint64 n = m_device->write(m_pending);
        if (n == m_pending.size()) {
            m_pending.clear();
            break;
        }
        if (n > 0)
            m_pending.remove(0, n);
        *error = QStringLiteral("Fehler beim Schreiben der Protokolldatei \"%1\": %2").arg(m_name, failure(n));
        return false;
    }
    return true;
}

QString TrafficLog::failure(qint64 written) const
{
    static const QString diskFull = QStringLiteral("Der Datenträger ist voll.");
    // The system took part of the text and then no more: the disk is full (or the file has
    // reached the largest size allowed). The file layer reports such a write as a success
    // with a smaller count and keeps no reason.
    if (written >= 0)
        return diskFull;
    if (const auto *file = qobject_cast<const QFileDevice *>(m_device.get());
        file && file->error() == QFileDevice::ResourceError)
        return diskFull;
    return GermanSystemText(m_device->errorString());
}

void TrafficLog::close()
{
    m_pending.clear();
    if (m_device && m_device->isOpen())
        m_device->close();
    m_device.reset();
}
