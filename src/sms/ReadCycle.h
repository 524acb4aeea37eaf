#pragma once
#include "sms/ReceiveAnswers.h"
#include "sms/SmsArchive.h"

#include <QString>
#include <QStringList>
#include <functional>

class ModemTask;
struct ModemReply;

// One read cycle: asks the modem how many messages its storage holds, reads the slots from 1
// upward, files every message into the SMS data file of this program run (creating it with its
// header line on the first one), deletes the slot once the record is on disk, and asks again
// until the storage is empty. It runs inside the caller's modem task; the received-messages
// window shows what it reports, and so could a program without a window.
//
// The messages of today come as the modem shows them with their details: AT+CSDH=1 adds the
// coding and the length to each header line, and the "GSM" character set shows a plain text as
// its septets, one byte each, which no other set carries whole; everything else comes as hex
// whatever the set. The set the modem was in comes back at the end of the cycle, as a text sent
// in text mode is read in it.
class ReadCycle {
public:
    // How the cycle ended; every way but Done and Cancelled has been or must be told once.
    enum class End {
        Done,
        Cancelled, // the task was cancelled (the window closes)
        PortGone,  // the port closed under the cycle: lost (the main window says so) or closed
        Told,      // the storage query failed: failure() is the shut-off message to show
        Silent,    // the modem stopped answering
        Failed,    // failure() says why: a file that cannot be written, a refused deletion
    };

    // One message filed: the record as it went into the file, and its header line.
    struct Filed {
        QString record;
        QString header;
        QString firstLine;
        // The record read back, with the character set it is in; `parsed` false when its header
        // could not be read (it is filed all the same).
        ArchivedSms sms;
        bool parsed = false;
    };

    ReadCycle(ModemTask &task, const QString &folder, const QStringList &knownFiles);

    // The status line: the storage counts, " 2. Versuch".
    std::function<void(const QString &)> onStatus;
    // A message went into the SMS file (not one filed by an earlier run and only deleted now).
    std::function<void(const Filed &)> onFiled;
    // The SMS file of this run was created (its full path).
    std::function<void(const QString &)> onFileCreated;

    // Storages a new-message notice named (+CMTI: "ME",5): read in this cycle too, although the
    // storage query may not name them.
    void alsoRead(const QStringList &storages) { m_announced = storages; }

    End run();
    QString failure() const { return m_failure; }

private:
    bool SMSAnzahl(qint16 &used, qint16 &max);
    bool ModemAbfrage(const QString &command, ModemReply &reply, AnswerEndRule endRule = nullptr);
    bool readSlot(int index, qint16 &used, qint16 &max);
    bool readStorage(qint16 &used, qint16 &max);
    bool readOtherStorages();
    bool SMSDateiSchreiben(const QString &record);
    bool NeueSMSDateiAnlegen();
    bool pause(double seconds);
    bool stop(End why);
    // The character set and header details for reading; the set found is kept for afterwards.
    bool prepare();
    void restore();

    ModemTask &m_task;
    QString m_folder;
    QStringList m_knownFiles;
    End m_end = End::Done;
    QString m_failure;
    bool m_prepared = false;
    QString m_charsetBefore; // what AT+CSCS? named; empty when unknown or already "GSM"
    QString m_charset;       // the set the records of this cycle are in
    QList<NamedStorage> m_storages; // as the last storage query named them
    QStringList m_announced;
};
