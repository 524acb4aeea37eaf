#pragma once
#include "sms/SentLog.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <optional>

// The file of sent messages of one folder (see SentLog.h) and what it says, kept in step: the
// sending writes to it, the status reports are matched against it, the archive shows it. Every
// record is written and synced to the disk before its function returns; a record that cannot
// be written is said in error() and the caller sends no further part.
class SentStore final : public QObject {
    Q_OBJECT
public:
    // The store of the work folder as it is now; one per folder for the program's run.
    static SentStore &current();

    explicit SentStore(const QString &folder, QObject *parent = nullptr);
    QString path() const { return m_path; }

    // What the file says; read again when it changed beneath (another copy of the program, a
    // file put back from a backup).
    const SentLog &log();

    // A message begins: its record with the parts counted, the id it gets; 0 when it could not
    // be written.
    int begin(SentMessage message);
    bool submitting(int id, int part);
    bool accepted(int id, int part, int reference);
    bool refused(int id, int part, const QString &reason);
    bool uncertain(int id, int part, const QString &reason);
    // The send of `id` is over (its parts are no longer "being sent").
    void finished(int id);
    int sending() const { return m_sending; }

    // A status report: recorded on the part it belongs to, or kept as one of no known message.
    // The part when it has one. While a send runs, a report that fits no part yet waits until
    // the send is over: on a fast network it comes inside the very answer whose reference it
    // names, before that part is on record.
    std::optional<PartRef> report(const StatusReport &r);

    // Why the last record could not be written, in German.
    QString error() const { return m_error; }

signals:
    void changed();

private:
    bool append(const QString &line);
    std::optional<PartRef> record(const StatusReport &r, const std::optional<PartRef> &match);
    // Records the waiting reports that now fit a part; all of them when the send is over.
    void settleWaiting();
    static QString now();

    QString m_path;
    SentLog m_log;
    // The file as last read or written: size (-1 missing) and time.
    qint64 m_knownSize = -2;
    QDateTime m_knownModified;
    int m_sending = 0;
    QList<StatusReport> m_waiting;
    QString m_error;
};
