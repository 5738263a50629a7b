#include "platform/posix/PseudoTerminal.h"

#include "platform/FileUtil.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace kavro {

namespace {

bool makeRaw(int fd)
{
    termios t{};
    if (::tcgetattr(fd, &t) != 0)
        return false;
    ::cfmakeraw(&t);
    return ::tcsetattr(fd, TCSANOW, &t) == 0;
}

}  // namespace

PseudoTerminal::~PseudoTerminal()
{
    close();
}

bool PseudoTerminal::open(std::string* error)
{
    close();
    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    char name[PATH_MAX] = {};
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0
        || ::ptsname_r(master, name, sizeof name) != 0) {
        *error = "cannot create a pseudo-terminal: " + errnoText(errno);
        if (master >= 0)
            ::close(master);
        return false;
    }
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    // Raw from the start: an echoing terminal would hand our own replies back as requests.
    int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0 || !makeRaw(slave)) {
        *error = std::string(name) + ": cannot set up the pseudo-terminal: " + errnoText(errno);
        if (slave >= 0)
            ::close(slave);
        ::close(master);
        return false;
    }
    master_ = master;
    slave_ = slave;
    devicePath_ = name;
    return true;
}

int PseudoTerminal::read(char* dest, int maxCount, int waitMs)
{
    if (master_ < 0 || maxCount <= 0)
        return 0;
    pollfd p{master_, POLLIN, 0};
    if (::poll(&p, 1, std::max(waitMs, 0)) <= 0 || !(p.revents & POLLIN))
        return 0;
    for (;;) {
        ssize_t n = ::read(master_, dest, static_cast<std::size_t>(maxCount));
        if (n < 0 && errno == EINTR)
            continue;
        return n > 0 ? static_cast<int>(n) : 0;
    }
}

int PseudoTerminal::write(const char* bytes, int count)
{
    if (master_ < 0 || count <= 0)
        return 0;
    for (;;) {
        ssize_t n = ::write(master_, bytes, static_cast<std::size_t>(count));
        if (n < 0 && errno == EINTR)
            continue;
        return n > 0 ? static_cast<int>(n) : 0;
    }
}

void PseudoTerminal::close()
{
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    slave_ = master_ = -1;
}

}  // namespace kavro
