#pragma once
#include <QObject>

class QSocketNotifier;

// Turns SIGINT, SIGTERM and SIGHUP into a Qt signal (self-pipe), so that the program leaves
// its event loop and cleans up instead of dying with the link still in place.
class SignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject *parent = nullptr);
    bool install(QString *error);

signals:
    void terminate(int signal);

private:
    void readSignal();
    QSocketNotifier *m_notifier = nullptr;
};
