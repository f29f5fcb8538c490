#pragma once

#include "data/status.h"

#include <QString>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Runs work in a child process whose files cannot grow past limit bytes, as on a full disk: its
// writes fail (EFBIG) rather than the process being ended. Gives the failure work reported, an empty
// text when it succeeded. No root needed, and the test's own process keeps writing as before.
template <typename Work>
QString failureUnderFileSizeLimit(rlim_t limit, Work work)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return QStringLiteral("pipe failed");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit size{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &size);
        const Status status = work();
        const QByteArray text = status ? QByteArray() : status.error().toUtf8();
        if (::write(channel[1], text.constData(), size_t(text.size())) < 0)
            ::_exit(2);
        ::_exit(0);
    }
    ::close(channel[1]);
    QByteArray reported;
    char buffer[512];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        reported.append(buffer, n);
    ::close(channel[0]);
    // The child of a process with threads may hang on a lock another thread held at the fork: it is
    // given a minute, then killed, and the test fails rather than waits for ever.
    int wstatus = 0;
    for (int waited = 0; ::waitpid(child, &wstatus, WNOHANG) == 0; waited += 10) {
        if (waited > 60000) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &wstatus, 0);
            return QStringLiteral("the child process did not end within a minute");
        }
        ::usleep(10000);
    }
    if (!WIFEXITED(wstatus) || WEXITSTATUS(wstatus) != 0)
        return QStringLiteral("the child process did not end normally");
    return QString::fromUtf8(reported);
}
