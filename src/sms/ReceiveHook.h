#pragma once
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

// A command of the user's run for every received message once its record is safely filed: the
// sender, time, text and file in environment variables, the command split into its arguments
// and started without a shell (nothing in a message can become a command). It runs beside the
// read cycle, never holding it up; one that runs longer than the time limit is ended. Each run
// is written to "bei-empfang.log" in the working folder with its exit status.
//   VARNIX_ABSENDER   the sender's number       VARNIX_NAME     the phone-list name, or ""
//   VARNIX_DATUM      dd.MM.yy                 VARNIX_UHRZEIT  HH:MM:SS
//   VARNIX_TEXT       the decoded text (a long message once all its parts are in)
//   VARNIX_DATEI      the SMS file the record went into
class ReceiveHook final : public QObject {
    Q_OBJECT
public:
    struct Message {
        QString number;
        QString name;
        QString date;
        QString time;
        QString text;
        QString file;
    };

    // `command` as the user wrote it ("" runs nothing); `folder` holds the log.
    ReceiveHook(const QString &command, const QString &folder, int limitMs = 30000, QObject *parent = nullptr);
    ~ReceiveHook() override;

    bool isSet() const { return !m_program.isEmpty(); }
    void run(const Message &message);
    // Waits until every run has ended (or its time limit), for a program about to exit.
    void waitForAll();
    int running() const { return m_running; }
    // For a window that closes while runs go on: the object goes once the last run has ended.
    void releaseWhenDone();

    // The log line of one run ("... beendet mit 0", "... nach 30 s abgebrochen").
    static QString logLine(const QDateTime &when, const QString &command, const QString &outcome);

private:
    void log(const QString &outcome);
    void ended();

    QString m_program;
    QStringList m_arguments;
    QString m_command;
    QString m_folder;
    int m_limitMs;
    int m_running = 0;
    bool m_release = false;
};
