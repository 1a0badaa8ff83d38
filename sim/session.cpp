#include "sim/session.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vyrsim {

namespace {

std::optional<int> Failed(std::string* error, const char* what) {
    if (error != nullptr)
        *error = std::string(what) + ": " + std::strerror(errno);
    return 1;
}

}  // namespace

std::optional<int> ContinueInNewSession(std::string* error) {
    // What the parent waits for, blocked before the fork so that nothing sent in between is
    // lost. SIGCHLD must not be ignored, or the child would be reaped unseen.
    struct sigaction hangUp {};
    sigaction(SIGHUP, nullptr, &hangUp);
    sigset_t awaited;
    sigemptyset(&awaited);
    sigaddset(&awaited, SIGINT);
    sigaddset(&awaited, SIGTERM);
    sigaddset(&awaited, SIGCHLD);
    if (hangUp.sa_handler != SIG_IGN)  // started with nohup: a hang-up is not for us
        sigaddset(&awaited, SIGHUP);
    signal(SIGCHLD, SIG_DFL);
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &awaited, &previous);

    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child < 0) {
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        return Failed(error, "fork");
    }
    if (child == 0) {
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        // A parent killed outright still takes the child with it, so that it cleans up.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            kill(getpid(), SIGTERM);
        // A fork's child never leads a process group, so this cannot fail for that reason.
        if (setsid() < 0)
            return Failed(error, "setsid");
        return std::nullopt;
    }

    for (;;) {
        int received = 0;
        if (sigwait(&awaited, &received) != 0)
            continue;
        if (received != SIGCHLD) {
            kill(child, received == SIGHUP ? SIGTERM : received);
            continue;
        }
        int status = 0;
        pid_t ended = 0;
        do {
            ended = waitpid(child, &status, WNOHANG);
        } while (ended < 0 && errno == EINTR);
        if (ended == child && WIFEXITED(status))
            return WEXITSTATUS(status);
        if (ended == child && WIFSIGNALED(status))
            return 128 + WTERMSIG(status);
        if (ended < 0)
            return Failed(error, "waitpid");
    }
}

}  // namespace vyrsim
