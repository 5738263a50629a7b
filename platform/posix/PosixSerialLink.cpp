#include "platform/posix/PosixSerialLink.h"
#include "platform/SystemSerialLink.h"

#include "platform/ComPorts.h"
#include "platform/FileUtil.h"
#include "resources/AcquisitionTexts.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <set>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace kavro {

namespace {

bool speedOf(int baudRate, speed_t* code)
{
    static const struct {
        int rate;
        speed_t code;
    } kSpeeds[] = {
        {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},     {2400, B2400},
        {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
        {115200, B115200}, {230400, B230400},
#ifdef B460800
        {460800, B460800},
#endif
#ifdef B921600
        {921600, B921600},
#endif
    };
    for (const auto& s : kSpeeds)
        if (s.rate == baudRate) {
            *code = s.code;
            return true;
        }
    return false;
}

// The reason an open failed, in words for the person at the instrument.
std::string openFailureText(int error)
{
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return text::kSerialNoSuchDevice;
    case EACCES:
    case EPERM:
        return text::kSerialPermissionDenied;
    case EBUSY:
        return text::kSerialInUse;
    default:
        return text::kSerialCannotOpen + errnoText(error);
    }
}

using Clock = std::chrono::steady_clock;

// The devices this program holds, by file identity (so a by-id link and its node
// are one device): a second window asking for one is told that this program has
// it, not another.
class HeldDevices {
public:
    using Id = std::pair<dev_t, ino_t>;
    static HeldDevices& instance()
    {
        static HeldDevices held;
        return held;
    }
    bool holds(const std::string& path)
    {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            return false;
        std::lock_guard<std::mutex> lock(mutex_);
        return ids_.count(Id(st.st_dev, st.st_ino)) != 0;
    }
    void change(int fd, bool hold)
    {
        struct stat st {};
        if (::fstat(fd, &st) != 0)
            return;
        std::lock_guard<std::mutex> lock(mutex_);
        if (hold)
            ids_.insert(Id(st.st_dev, st.st_ino));
        else
            ids_.erase(Id(st.st_dev, st.st_ino));
    }

private:
    std::mutex mutex_;
    std::set<Id> ids_;
};

}  // namespace

PosixSerialLink::PosixSerialLink(std::array<std::string, 4> devices, int baudRate)
    : devices_(std::move(devices)), baudRate_(baudRate)
{
}

PosixSerialLink::~PosixSerialLink()
{
    release();
}

int PosixSerialLink::open(int portIndex)
{
    release();
    failed_ = false;
    lastError_.clear();
    device_ = configuredPortDevice(devices_, portIndex, lastError_);
    if (device_.empty())
        return 1;
    if (HeldDevices::instance().holds(device_)) {
        setError(text::kSerialHeldHere);
        return 1;
    }
    // Non-blocking: a modem line without carrier must not hold up the open, and
    // reads must return at once when nothing is pending.
    int fd = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        setError(openFailureText(errno));
        return 1;
    }
    if (!::isatty(fd)) {
        ::close(fd);
        setError(text::kSerialNotATerminal);
        return 1;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        ::close(fd);
        setError(error == EWOULDBLOCK ? std::string(text::kSerialInUse) : openFailureText(error));
        return 1;
    }
    // Also refuse programs that open the port without asking for the lock
    // (a terminal program started after us).  Not every device supports it.
    ::ioctl(fd, TIOCEXCL);
    HeldDevices::instance().change(fd, true);
    fd_ = fd;
    return 0;
}

int PosixSerialLink::setLineParameters()
{
    if (fd_ < 0) {
        if (!failed_)
            setError(text::kSerialNotOpen);
        return 1;
    }
    speed_t speed;
    if (!speedOf(baudRate_, &speed)) {
        setError(text::kSerialUnsupportedBaud + std::to_string(baudRate_));
        return 1;
    }
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) {
        setError(text::kSerialCannotConfigure + errnoText(errno));
        return 1;
    }
    ::cfmakeraw(&t);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
#ifdef CRTSCTS
    t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);  // the instrument has no hardware handshake
#endif
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    // A read never waits, whatever the file flags say.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0 || ::tcsetattr(fd_, TCSANOW, &t) != 0) {
        setError(text::kSerialCannotConfigure + errnoText(errno));
        return 1;
    }
    return 0;
}

void PosixSerialLink::write(const char* bytes, int count)
{
    if (fd_ < 0 || failed_ || count <= 0)
        return;
    // The bytes need their time on the line; beyond that wait a grace period
    // for a line that is momentarily full, then give up rather than hang.
    long long lineMs = static_cast<long long>(count) * 10 * 1000 / (baudRate_ > 0 ? baudRate_ : 9600);
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(lineMs + writeGraceMs_);
    while (count > 0) {
        ssize_t n = ::write(fd_, bytes, static_cast<std::size_t>(count));
        if (n > 0) {
            bytes += n;
            count -= static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            markFailedByErrno(errno);
            return;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            setError(text::kSerialWriteTimeout);
            return;
        }
        pollfd p{fd_, POLLOUT, 0};
        int r = ::poll(&p, 1, static_cast<int>(left));
        if (r < 0 && errno != EINTR) {
            markFailedByErrno(errno);
            return;
        }
        if (r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            markFailed(text::kSerialGone);
            return;
        }
    }
}

int PosixSerialLink::readPending(char* dest, int maxCount)
{
    if (fd_ < 0 || failed_ || maxCount <= 0)
        return 0;
    for (;;) {
        ssize_t n = ::read(fd_, dest, static_cast<std::size_t>(maxCount));
        if (n > 0)
            return static_cast<int>(n);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            markFailedByErrno(errno);
            return 0;
        }
        break;
    }
    // A hung-up terminal reads as empty too: ask whether the line is still there.
    if (hungUp())
        markFailed(text::kSerialGone);
    return 0;
}

void PosixSerialLink::discardPending()
{
    if (fd_ < 0 || failed_)
        return;
    ::tcflush(fd_, TCIOFLUSH);
    // What the line discipline had already taken in goes as well.
    SerialLink::discardPending();
}

void PosixSerialLink::beforeCommand()
{
    // Nothing to prepare: the line is always ready.  In particular pending input
    // is not discarded here, as it may hold the rest of a frame.
}

bool PosixSerialLink::waitReadable(int ms)
{
    if (fd_ < 0 || failed_)
        return false;
    pollfd entry{fd_, POLLIN, 0};
    const int n = ::poll(&entry, 1, std::max(0, ms));
    // A hang-up or error is found by the next read, which tells it.
    return n > 0;
}

int PosixSerialLink::closeBegin()
{
    return fd_ >= 0 ? 0 : 1;
}

void PosixSerialLink::closeEnd()
{
    release();
}

void PosixSerialLink::setError(const std::string& reason)
{
    lastError_ = device_ + ": " + reason;
}

void PosixSerialLink::markFailed(const std::string& reason)
{
    failed_ = true;
    setError(reason);
    // Let go of the device at once so that it can be opened again once it is back.
    release();
}

void PosixSerialLink::markFailedByErrno(int error)
{
    if (error == EIO || error == ENXIO || error == ENODEV || error == EPIPE)
        markFailed(text::kSerialGone);
    else
        markFailed(text::kSerialIoError + errnoText(error));
}

bool PosixSerialLink::hungUp() const
{
    pollfd p{fd_, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

void PosixSerialLink::release()
{
    if (fd_ < 0)
        return;
    // The exclusive mode would outlive us on a pseudo-terminal whose other side stays open.
    ::ioctl(fd_, TIOCNXCL);
    ::flock(fd_, LOCK_UN);
    HeldDevices::instance().change(fd_, false);
    ::close(fd_);
    fd_ = -1;
}

}  // namespace kavro

namespace kavro {

std::unique_ptr<SerialLink> makeSystemSerialLink(std::array<std::string, 4> devices, int baudRate)
{
    return std::make_unique<PosixSerialLink>(std::move(devices), baudRate);
}

}  // namespace kavro
