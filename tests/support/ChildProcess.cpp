#include "tests/support/ChildProcess.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kavro::test {
namespace {

ChildResult collect(pid_t pid, int readEnd)
{
    ChildResult result;
    char buf[4096];
    for (;;) {
        ssize_t n = ::read(readEnd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        result.output.append(buf, static_cast<std::size_t>(n));
    }
    ::close(readEnd);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    return result;
}

// Forks with the child's stdout and stderr going into a pipe; in the child runs
// body and leaves with its value, without running the parent's exit handlers.
ChildResult forkAndRun(const std::function<int()>& body)
{
    std::fflush(nullptr);
    int fds[2];
    if (::pipe(fds) != 0)
        return ChildResult{};
    pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return ChildResult{};
    }
    if (pid == 0) {
        ::close(fds[0]);
        ::dup2(fds[1], STDOUT_FILENO);
        ::dup2(fds[1], STDERR_FILENO);
        ::close(fds[1]);
        int status = body();
        std::fflush(nullptr);
        ::_exit(status);
    }
    ::close(fds[1]);
    return collect(pid, fds[0]);
}

}  // namespace

ChildResult runInChild(const std::function<int()>& body)
{
    return forkAndRun(body);
}

bool canMountPrivateTmpfs()
{
    if (::geteuid() != 0)
        return false;
    ChildResult probe = runInChild([] { return mountPrivateTmpfs("/tmp/kavro-mount-probe", 4096) ? 0 : 1; });
    ::rmdir("/tmp/kavro-mount-probe");
    return probe.exitCode == 0;
}

bool mountPrivateTmpfs(const std::string& dir, long bytes)
{
    if (::unshare(CLONE_NEWNS) != 0) {
        std::fprintf(stderr, "unshare: %s\n", std::strerror(errno));
        return false;
    }
    // Mounts made from here on stay in this namespace.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        std::fprintf(stderr, "private mounts: %s\n", std::strerror(errno));
        return false;
    }
    ::mkdir(dir.c_str(), 0755);
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0777";
    if (::mount("tmpfs", dir.c_str(), "tmpfs", 0, options.c_str()) != 0) {
        std::fprintf(stderr, "mount tmpfs on %s: %s\n", dir.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

bool becomeNobody()
{
    const gid_t nogroup = 65534;
    const uid_t nobody = 65534;
    return ::setgroups(0, nullptr) == 0 && ::setresgid(nogroup, nogroup, nogroup) == 0 &&
           ::setresuid(nobody, nobody, nobody) == 0;
}

}  // namespace kavro::test
