#pragma once
#include <QFile>
#include <QString>

// The traffic log: a plain byte stream of everything the terminal shows, in Windows-1252,
// no header and no separators. At most one is open.
class TrafficLog {
public:
    bool isOpen() const { return m_file.isOpen(); }
    // Opens for writing; an existing file is kept and new traffic goes after its content.
    bool open(const QString &fileName, QString *error);
    bool write(const QString &text, QString *error);
    void close();

private:
    QFile m_file;
};
