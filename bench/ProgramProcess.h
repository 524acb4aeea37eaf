#pragma once
// The real program binary started for a benchmark: its own settings folder (COM1 mapped to a
// device of the benchmark's choosing), its own working folder, the benchmark switches, and
// pipes on its standard input (closing it ends the program) and standard output.
#include "BenchReport.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace bench {

// A pseudo-terminal in raw mode: the program opens the slave as its COM1, the benchmark
// holds the master.
struct Pty {
    int master = -1;
    QString slave;
    bool open()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            return false;
        slave = QString::fromLocal8Bit(::ptsname(master));
        termios t{};
        ::tcgetattr(master, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(master, TCSANOW, &t);
        return true;
    }
    ~Pty()
    {
        if (master >= 0)
            ::close(master);
    }
};


class ProgramProcess {
public:
    // `folder` gets config/Varnix/Varnix.conf and work/; the program runs in work/.
    ProgramProcess(const QString &binary, const QString &folder, const QString &com1Device)
        : m_binary(binary), m_folder(folder)
    {
        QDir(folder).mkpath(QStringLiteral("config/Varnix"));
        QDir(folder).mkpath(QStringLiteral("work"));
        QDir(folder).mkpath(QStringLiteral("runtime"));
        QFile::setPermissions(folder + QStringLiteral("/runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile conf(folder + QStringLiteral("/config/Varnix/Varnix.conf"));
        if (conf.open(QIODevice::WriteOnly | QIODevice::Truncate))
            conf.write("[Ports]\nCOM1=" + QFile::encodeName(com1Device) + '\n');
    }
    ~ProgramProcess() { stop(); }
    ProgramProcess(const ProgramProcess &) = delete;
    ProgramProcess &operator=(const ProgramProcess &) = delete;

    QString workFolder() const { return m_folder + QStringLiteral("/work"); }

    // Starts the program; QT_QPA_PLATFORM is offscreen unless the environment says otherwise.
    bool start(const QStringList &arguments)
    {
        int in[2], out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0)
            return false;
        QList<QByteArray> args{QFile::encodeName(m_binary)};
        for (const QString &a : arguments)
            args.append(a.toLocal8Bit());
        const QByteArray config = QFile::encodeName(m_folder + QStringLiteral("/config"));
        const QByteArray work = QFile::encodeName(workFolder());
        const QByteArray runtime = QFile::encodeName(m_folder + QStringLiteral("/runtime"));
        m_pid = ::fork();
        if (m_pid < 0)
            return false;
        if (m_pid == 0) {
            ::dup2(in[0], STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            ::close(in[0]);
            ::close(in[1]);
            ::close(out[0]);
            ::close(out[1]);
            if (::chdir(work.constData()) != 0)
                ::_exit(126);
            ::setenv("XDG_CONFIG_HOME", config.constData(), 1);
            ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
            ::setenv("XDG_RUNTIME_DIR", runtime.constData(), 0);
            std::vector<char *> argv;
            for (QByteArray &a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        m_stdin = in[1];
        m_stdout = out[0];
        return true;
    }

    pid_t pid() const { return m_pid; }

    // Writes to the program's standard input.
    bool say(const QByteArray &text)
    {
        return m_stdin >= 0 && ::write(m_stdin, text.constData(), size_t(text.size())) == text.size();
    }

    // The next line the program prints, or an empty array after `seconds` or at its end.
    QByteArray readLine(double seconds)
    {
        const double deadline = monotonicSeconds() + seconds;
        for (;;) {
            const qsizetype nl = m_pending.indexOf('\n');
            if (nl >= 0) {
                const QByteArray line = m_pending.left(nl);
                m_pending.remove(0, nl + 1);
                return line;
            }
            const double left = deadline - monotonicSeconds();
            if (left <= 0 || m_stdout < 0)
                return {};
            pollfd p{m_stdout, POLLIN, 0};
            if (::poll(&p, 1, int(left * 1000) + 1) <= 0)
                continue;
            char buf[512];
            const ssize_t n = ::read(m_stdout, buf, sizeof buf);
            if (n <= 0) {
                ::close(m_stdout);
                m_stdout = -1;
                continue;
            }
            m_pending.append(buf, n);
        }
    }

    // Closes standard input (the program ends by itself) and waits up to `seconds` for it;
    // returns what it printed meanwhile. A program that does not end is killed.
    QByteArray finish(double seconds = 10)
    {
        if (m_stdin >= 0) {
            ::close(m_stdin);
            m_stdin = -1;
        }
        QByteArray all;
        const double deadline = monotonicSeconds() + seconds;
        while (m_stdout >= 0 && monotonicSeconds() < deadline) {
            const QByteArray line = readLine(deadline - monotonicSeconds());
            if (!line.isEmpty())
                all += line + '\n';
        }
        stop();
        return all;
    }

    // Exit status after finish(): 0 for a clean end.
    int status() const { return m_status; }

private:
    void stop()
    {
        if (m_stdin >= 0) {
            ::close(m_stdin);
            m_stdin = -1;
        }
        if (m_pid > 0) {
            int st = 0;
            for (int i = 0; i < 500 && ::waitpid(m_pid, &st, WNOHANG) == 0; ++i)
                ::usleep(10000);
            if (::waitpid(m_pid, &st, WNOHANG) == 0) {
                ::kill(m_pid, SIGKILL);
                ::waitpid(m_pid, &st, 0);
            }
            m_status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
            m_pid = -1;
        }
        if (m_stdout >= 0) {
            ::close(m_stdout);
            m_stdout = -1;
        }
    }

    QString m_binary;
    QString m_folder;
    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_stdout = -1;
    int m_status = -1;
    QByteArray m_pending;
};

} // namespace bench
