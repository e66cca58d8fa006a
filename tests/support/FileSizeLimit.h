#pragma once

#include <cerrno>
#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Lets files grow to `bytes` at most while it lives, so a write fails the way a full disk
// makes it fail, even for root, whom permission bits do not stop.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

// Runs `work` in a child process that is killed as soon as it writes more than `bytes` to a
// file, the way a crash or a kill in the middle of a write stops the program. True when the
// child died so.
inline bool KilledWhileWriting(const std::function<void()>& work, rlim_t bytes = 1024)
{
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        rlimit limit{bytes, bytes};
        setrlimit(RLIMIT_FSIZE, &limit);
        work();
        _exit(0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ;
}
