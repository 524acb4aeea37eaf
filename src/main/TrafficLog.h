#pragma once
#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <memory>

// The traffic log: a plain byte stream of everything the terminal shows, in Windows-1252,
// no header and no separators. At most one is open.
class TrafficLog {
public:
    bool isOpen() const { return m_device && m_device->isOpen(); }
    // Opens for writing; an existing file is kept and new traffic goes after its content.
    bool open(const QString &fileName, QString *error);
    // Writes into a device that is already open (a device that fails on purpose, in tests).
    void open(std::unique_ptr<QIODevice> device, const QString &name);
    // Appends the text. When the system takes only part of it (a full disk), the rest is kept
    // back and *error says why; retry() writes what was kept back, so nothing goes in twice.
    bool write(QStringView text, QString *error);
    bool retry(QString *error);
    // Keeps text back behind what is waiting, without writing: while the user is asked about
    // a failed write, later traffic must neither open another question nor overtake it.
    void hold(QStringView text);
    void close();

private:
    bool flush(QString *error);
    QString failure(qint64 written) const;
    std::unique_ptr<QIODevice> m_device;
    QString m_name;
    QByteArray m_pending;
};
