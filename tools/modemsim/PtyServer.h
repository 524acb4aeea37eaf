#pragma once
// Serves the simulated modem on a pseudo-terminal: what a program writes to the slave side
// goes to the interpreter, its answers come back with their pauses.

#include "core/Modem.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>

class QFileSystemWatcher;
class QSocketNotifier;

class PtyServer : public QObject {
    Q_OBJECT
public:
    explicit PtyServer(modemsim::Modem &modem, QObject *parent = nullptr);
    ~PtyServer() override;

    // Creates the pty and makes link a symbolic link to its slave device.
    bool open(const QString &link, QString *error);
    // Removes the link (if it is still ours) and closes the pty.
    void close();
    QString slaveName() const { return m_slaveName; }

    bool setTranscript(const QString &file, QString *error);
    bool setOutbox(const QString &file, QString *error);
    bool watchInjectDir(const QString &dir, QString *error);
    bool openControl(const QString &fifo, QString *error);

    // Injections: a received message or an unsolicited line.
    bool inject(const modemsim::Incoming &message, QString *error);
    void sendUnsolicited(const QByteArray &line);

private:
    void readMaster();
    void readClientEvents();
    void flushWrite();
    void sendDue();
    void enqueue(const QList<modemsim::Chunk> &chunks);
    void writeOut(const QByteArray &bytes);
    void syncHostBaud();
    void noteOutbox();
    void log(const char *direction, const QByteArray &bytes);
    void note(const char *marker, const QByteArray &text);
    void scanInjectDir();
    void readControl();
    void applyControl(const QByteArray &data, const QString &origin, int firstLine = 1);
    void serveClock();

    modemsim::Modem &m_modem;
    int m_master = -1;
    int m_slave = -1; // held open so that the master never sees EIO between two clients
    int m_inotify = -1;
    int m_clients = -1; // programs that have the slave open; -1: not known
    QString m_slaveName;
    QString m_link;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QSocketNotifier *m_clientNotifier = nullptr;
    QTimer m_chunkTimer;
    QTimer m_retryRead;
    QTimer m_modemClock; // what falls due on the modem's clock: status reports, later parts, lines
    QElapsedTimer m_clock;

    struct Pending {
        qint64 due;
        QByteArray bytes;
    };
    std::deque<Pending> m_queue;
    QByteArray m_writeBuffer;

    QFile m_transcript;
    QFile m_outbox;
    qsizetype m_outboxSeen = 0;

    QString m_injectDir;
    QFileSystemWatcher *m_watcher = nullptr;
    int m_control = -1;
    QString m_controlPath;
    QSocketNotifier *m_controlNotifier = nullptr;
    QByteArray m_controlLine;
    int m_controlLines = 0; // lines read from the FIFO so far
};
