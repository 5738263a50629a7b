#include "platform/posix/PosixSerialLink.h"
#include "platform/SerialDevices.h"

#include "tests/support/TestFiles.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <climits>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kavro {
namespace {

// The master side of a pseudo-terminal; its slave device plays the serial port.
class PseudoTerminal {
public:
    PseudoTerminal()
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        char name[PATH_MAX] = {};
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0
            || ::ptsname_r(master_, name, sizeof name) != 0)
            throw std::runtime_error("no pseudo-terminal");
        device_ = name;
    }
    ~PseudoTerminal() { closeMaster(); }
    const std::string& device() const { return device_; }
    void closeMaster()
    {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }
    void send(const std::string& bytes) { ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    // What the link wrote, waiting until count bytes are there (or waitMs passed).
    std::string receive(std::size_t count, int waitMs = 2000)
    {
        std::string got;
        char buf[256];
        for (int tries = 0; got.size() < count && tries < waitMs / 10; ++tries) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 10) > 0) {
                ssize_t n = ::read(master_, buf, sizeof buf);
                if (n > 0)
                    got.append(buf, static_cast<std::size_t>(n));
            }
        }
        return got;
    }

private:
    int master_ = -1;
    std::string device_;
};

std::array<std::string, 4> ports(const std::string& com2)
{
    return {"", com2, "", ""};
}

// What the link has pending, waiting until count bytes came (or 2 s passed).
std::string readFromLink(PosixSerialLink& link, std::size_t count)
{
    std::string got;
    char buf[256];
    for (int tries = 0; got.size() < count && tries < 200 && !link.failed(); ++tries) {
        int n = link.readPending(buf, sizeof buf);
        if (n > 0)
            got.append(buf, static_cast<std::size_t>(n));
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return got;
}

TEST(PosixSerialLink, MovesBytesBothWaysUnchanged)
{
    PseudoTerminal pty;
    PosixSerialLink link(ports(pty.device()));
    ASSERT_EQ(link.open(1), 0) << link.lastError();
    ASSERT_EQ(link.setLineParameters(), 0) << link.lastError();
    char buf[16];
    EXPECT_EQ(link.readPending(buf, sizeof buf), 0);

    // Raw line: no CR/LF translation, no signal characters, no echo.
    link.beforeCommand();
    link.write("\x03\r\n" "abc\n", 7);
    EXPECT_EQ(pty.receive(7), "\x03\r\n" "abc\n");
    pty.send("{1 2}\r\x03\n\x11");
    EXPECT_EQ(readFromLink(link, 9), "{1 2}\r\x03\n\x11");
    EXPECT_EQ(pty.receive(1, 200), "");  // nothing echoed
    EXPECT_FALSE(link.failed());

    EXPECT_EQ(link.closeBegin(), 0);
    link.closeEnd();
    EXPECT_FALSE(link.isOpen());
}

TEST(PosixSerialLink, PortInUseIsRefused)
{
    PseudoTerminal pty;
    PosixSerialLink first(ports(pty.device()));
    PosixSerialLink second(ports(pty.device()));
    ASSERT_EQ(first.open(1), 0) << first.lastError();
    // Another window of this program: said so, also when it names the device by a link.
    EXPECT_NE(second.open(1), 0);
    EXPECT_EQ(second.lastError(), pty.device() + ": already open in this program (another window has it)");
    test::TempDir dir;
    const std::string link = dir.file("by-id-name");
    std::filesystem::create_symlink(pty.device(), link);
    PosixSerialLink byLink(ports(link));
    EXPECT_NE(byLink.open(1), 0);
    EXPECT_EQ(byLink.lastError(), link + ": already open in this program (another window has it)");
    first.closeEnd();
    EXPECT_EQ(second.open(1), 0) << second.lastError();
    second.closeEnd();

    // Another program holding the lock.
    int other = ::open(pty.device().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    EXPECT_NE(first.open(1), 0);
    EXPECT_EQ(first.lastError(), pty.device() + ": in use by another program");
    ::close(other);
}

// Another program of an ordinary user (root passes every exclusive mode), started
// before this one holds the port: on request it opens the device the plain way a
// terminal program does (open(2) only, no lock), or through a link of its own.
class OtherProgram {
public:
    explicit OtherProgram(const std::string& device)
    {
        if (::pipe(ask_) != 0 || ::pipe(answer_) != 0)
            throw std::runtime_error("no pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ask_[1]);
            ::close(answer_[0]);
            serve(device);  // never returns
        }
        ::close(ask_[0]);
        ::close(answer_[1]);
    }
    ~OtherProgram()
    {
        ::close(ask_[1]);  // its last request: it ends
        ::close(answer_[0]);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    // 0 when a plain open succeeded, else its errno.
    std::string openPlain() { return request('p'); }
    // "" when the link opened, else its message.
    std::string openLink() { return request('l'); }

private:
    [[noreturn]] void serve(const std::string& device)
    {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        char c = 0;
        while (::read(ask_[0], &c, 1) == 1) {
            std::string reply;
            if (c == 'p') {
                const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
                reply = fd >= 0 ? "0" : std::to_string(errno);
                if (fd >= 0)
                    ::close(fd);
            } else {
                PosixSerialLink link(ports(device));
                reply = link.open(1) == 0 ? "" : link.lastError();
                link.closeEnd();
            }
            reply += '\n';
            if (::write(answer_[1], reply.data(), reply.size()) != static_cast<ssize_t>(reply.size()))
                ::_exit(3);
        }
        ::_exit(0);
    }
    std::string request(char c)
    {
        if (::write(ask_[1], &c, 1) != 1)
            return "(no request)";
        std::string reply;
        char ch = 0;
        pollfd p{answer_[0], POLLIN, 0};
        while (::poll(&p, 1, 5000) == 1 && ::read(answer_[0], &ch, 1) == 1 && ch != '\n')
            reply += ch;
        return ch == '\n' ? reply : "(no answer)";
    }
    int ask_[2] = {-1, -1}, answer_[2] = {-1, -1};
    pid_t pid_ = -1;
};

// The port is taken exclusively: besides the lock that another kavro honours, the
// tty refuses any further open by an ordinary user's program (screen, minicom, a
// second logger) for as long as the link holds it, and only that long.
TEST(PosixSerialLink, APortHeldRefusesEveryOtherOpen)
{
    PseudoTerminal pty;
    if (::geteuid() == 0) {  // so that the other program's user may open it at all
        ASSERT_EQ(::chmod(pty.device().c_str(), 0666), 0);
    }
    OtherProgram other(pty.device());
    ASSERT_EQ(other.openPlain(), "0");  // free: anyone may open it
    PosixSerialLink link(ports(pty.device()));
    ASSERT_EQ(link.open(1), 0) << link.lastError();
    EXPECT_EQ(other.openPlain(), std::to_string(EBUSY));
    EXPECT_EQ(other.openLink(), pty.device() + ": in use by another program");
    // Let go (the pseudo-terminal's other side stays open, as a USB adapter's driver does).
    link.closeEnd();
    EXPECT_EQ(other.openPlain(), "0");
    EXPECT_EQ(other.openLink(), "");
}

TEST(PosixSerialLink, FailedOpensSayWhy)
{
    test::TempDir dir;
    std::string missing = dir.file("ttyUSB9");
    std::string plain = dir.file("plain");
    test::writeFile(plain, "x");
    PosixSerialLink link({missing, plain, "", ""});

    EXPECT_NE(link.open(0), 0);
    EXPECT_EQ(link.lastError(), missing + ": no such device (is the instrument's USB adapter plugged in?)");
    EXPECT_NE(link.open(1), 0);
    EXPECT_EQ(link.lastError(), plain + ": not a serial port");
    EXPECT_NE(link.open(2), 0);
    EXPECT_EQ(link.lastError(), "COM3: no device configured for this port");
    EXPECT_NE(link.setLineParameters(), 0);
    EXPECT_FALSE(link.isOpen());

    if (::geteuid() != 0) {  // root opens anything
        std::string locked = dir.file("locked");
        test::writeFile(locked, "x");
        ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
        PosixSerialLink denied({locked, "", "", ""});
        EXPECT_NE(denied.open(0), 0);
        EXPECT_EQ(denied.lastError(), locked + ": permission denied (add your user to the dialout group)");
    }
}

TEST(PosixSerialLink, UnsupportedBaudRateIsNamed)
{
    PseudoTerminal pty;
    PosixSerialLink link(ports(pty.device()), 12345);
    ASSERT_EQ(link.open(1), 0);
    EXPECT_NE(link.setLineParameters(), 0);
    EXPECT_EQ(link.lastError(), pty.device() + ": unsupported baud rate 12345");

    PosixSerialLink fast(ports(pty.device()), 115200);
    link.closeEnd();
    ASSERT_EQ(fast.open(1), 0);
    EXPECT_EQ(fast.setLineParameters(), 0) << fast.lastError();
}

TEST(PosixSerialLink, VanishedDeviceMarksTheLinkFailed)
{
    PseudoTerminal pty;
    PosixSerialLink link(ports(pty.device()));
    ASSERT_EQ(link.open(1), 0);
    ASSERT_EQ(link.setLineParameters(), 0);
    pty.send("{1 2");
    EXPECT_EQ(readFromLink(link, 4), "{1 2");

    pty.closeMaster();
    char buf[16];
    EXPECT_EQ(link.readPending(buf, sizeof buf), 0);
    EXPECT_TRUE(link.failed());
    EXPECT_EQ(link.lastError(), pty.device() + ": the device went away (USB adapter unplugged or line hung up)");
    // The device is let go at once, and nothing more is tried.
    EXPECT_FALSE(link.isOpen());
    link.write("\r\n", 2);
    EXPECT_EQ(link.readPending(buf, sizeof buf), 0);
    EXPECT_TRUE(link.failed());
    EXPECT_NE(link.closeBegin(), 0);

    // Opening again starts afresh (and fails honestly: the terminal is gone).
    EXPECT_NE(link.open(1), 0);
    EXPECT_NE(link.lastError().find(pty.device()), std::string::npos);
}

TEST(PosixSerialLink, WriteToAStalledLineGivesUp)
{
    PseudoTerminal pty;  // the master never reads
    PosixSerialLink link(ports(pty.device()), 921600);
    ASSERT_EQ(link.open(1), 0);
    ASSERT_EQ(link.setLineParameters(), 0);
    link.setWriteGraceMs(50);
    std::string lots(40000, 'x');  // more than a pseudo-terminal holds
    link.write(lots.data(), static_cast<int>(lots.size()));
    EXPECT_EQ(link.lastError(), pty.device() + ": the line takes no data (write timed out)");
    EXPECT_FALSE(link.failed());
}

// The devices offered for a port, from folders laid out as /dev, /dev/serial/by-id
// and /sys/class/tty; and the device a port without a stored one falls back to.
TEST(SerialDevices, ListedAdaptersByNameFirstThenTheNodesThatExist)
{
    struct Row {
        std::vector<std::pair<std::string, std::string>> byId;  // link name -> node
        std::vector<std::string> nodes;                         // in /dev
        std::vector<std::pair<std::string, std::string>> uarts;  // ttyS -> type in /sys/class/tty
        std::vector<std::string> expected;                      // "name>node" or "node"
        std::string fallback;                                   // what /dev/ttyUSB0 falls back to
    };
    const Row rows[] = {
        {{}, {}, {}, {}, "ttyUSB0"},
        // One adapter: its node is not offered twice, and a port left at its default finds it.
        {{{"usb-FTDI_FT232R_A1-if00-port0", "ttyUSB1"}}, {"ttyUSB1"}, {}, {"usb-FTDI_FT232R_A1-if00-port0>ttyUSB1"},
         "serial/by-id/usb-FTDI_FT232R_A1-if00-port0"},
        // Names in order, nodes in number order, built-in ports only with a UART behind them,
        // unknown ones last; a default that exists stays.
        {{{"usb-b", "ttyUSB0"}, {"usb-a", "ttyACM0"}},
         {"ttyUSB0", "ttyACM0", "ttyUSB10", "ttyUSB2", "ttyS0", "ttyS1", "ttyS2", "ttyUSBx", "ttyprintk", "tty1"},
         {{"ttyS0", "4"}, {"ttyS1", "0"}},
         {"usb-a>ttyACM0", "usb-b>ttyUSB0", "ttyUSB2", "ttyUSB10", "ttyS0", "ttyS2"},
         "ttyUSB0"},
        // A link left behind by an unplugged adapter is skipped; a built-in port is no adapter.
        {{{"usb-gone", "ttyUSB5"}}, {"ttyS0"}, {{"ttyS0", "4"}}, {"ttyS0"}, "ttyUSB0"},
        // An adapter present without a by-id entry is found too.
        {{}, {"ttyACM3"}, {}, {"ttyACM3"}, "ttyACM3"},
    };
    for (std::size_t r = 0; r < std::size(rows); ++r) {
        const Row& row = rows[r];
        test::TempDir dir;
        SerialDeviceRoots roots{dir.file("serial/by-id"), dir.path(), dir.file("sys")};
        std::filesystem::create_directories(roots.byId);
        for (const std::string& node : row.nodes)
            test::writeFile(dir.file(node), "");
        for (const auto& [name, node] : row.byId)
            std::filesystem::create_symlink("../../" + node, roots.byId + "/" + name);
        for (const auto& [name, type] : row.uarts) {
            std::filesystem::create_directories(roots.sysTty + "/" + name);
            test::writeFile(roots.sysTty + "/" + name + "/type", type + "\n");
        }
        std::vector<std::string> got;
        for (const SerialDevice& d : listSerialDevices(roots)) {
            const std::string node = d.target.substr(std::filesystem::canonical(dir.path()).string().size() + 1);
            got.push_back(d.name.empty() ? node : d.name + ">" + node);
            EXPECT_EQ(d.adapter, node.rfind("ttyS", 0) != 0) << "row " << r << " " << node;
        }
        EXPECT_EQ(got, row.expected) << "row " << r;
        EXPECT_EQ(presentDeviceOr(dir.file("ttyUSB0"), roots), dir.file(row.fallback)) << "row " << r;
    }
}

}  // namespace
}  // namespace kavro
