#include "platform/win32/Win32SerialLink.h"

#include "platform/ComPorts.h"
#include "platform/SystemSerialLink.h"
#include "resources/AcquisitionTexts.h"

#include "platform/win32/Wide.h"

#include <mutex>
#include <set>
#include <utility>

namespace kavro {

namespace {

// The speeds the POSIX link offers too, so a profile means the same on both.
bool supportedBaud(int baudRate)
{
    static const int kSpeeds[] = {300, 600, 1200, 1800, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400,
                                  460800, 921600};
    for (int s : kSpeeds)
        if (s == baudRate)
            return true;
    return false;
}

// The reason an open failed, in words for the person at the instrument.
std::string openFailureText(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
        return text::kSerialNoSuchDevice;
    case ERROR_ACCESS_DENIED:  // what a COM port held by another program answers
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        return text::kSerialInUse;
    default:
        return text::kSerialCannotOpen + win32::errorText(error);
    }
}

// An error that says the port itself has gone (adapter unplugged, driver stopped).
bool portGone(DWORD error)
{
    switch (error) {
    case ERROR_BAD_COMMAND:
    case ERROR_DEVICE_REMOVED:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_INVALID_HANDLE:
    case ERROR_ACCESS_DENIED:
    case ERROR_GEN_FAILURE:
    case ERROR_NOT_READY:
    case ERROR_BROKEN_PIPE:
        return true;
    default:
        return false;
    }
}

// The ports this program holds, by port number: a second window asking for one is
// told that this program has it, not another.
class HeldPorts {
public:
    static HeldPorts& instance()
    {
        static HeldPorts held;
        return held;
    }
    bool holds(int number)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return numbers_.count(number) != 0;
    }
    void change(int number, bool hold)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (hold)
            numbers_.insert(number);
        else
            numbers_.erase(number);
    }

private:
    std::mutex mutex_;
    std::set<int> numbers_;
};

}  // namespace

Win32SerialLink::Win32SerialLink(std::array<std::string, 4> devices, int baudRate)
    : devices_(std::move(devices)), baudRate_(baudRate)
{
}

Win32SerialLink::~Win32SerialLink()
{
    release();
}

int Win32SerialLink::open(int portIndex)
{
    release();
    failed_ = false;
    lastError_.clear();
    device_ = configuredPortDevice(devices_, portIndex, lastError_);
    if (device_.empty())
        return 1;
    const int number = comPortNumber(device_);
    if (number == 0) {
        setError(text::kSerialNoSuchDevice);
        return 1;
    }
    if (HeldPorts::instance().holds(number)) {
        setError(text::kSerialHeldHere);
        return 1;
    }
    // Share mode 0: nobody else opens the port while this program has it.
    HANDLE h = ::CreateFileW(win32::wide(comPortFileName(device_)).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        setError(openFailureText(::GetLastError()));
        return 1;
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (::GetFileType(h) != FILE_TYPE_CHAR || !::GetCommState(h, &dcb)) {
        ::CloseHandle(h);
        setError(text::kSerialNotATerminal);
        return 1;
    }
    HeldPorts::instance().change(number, true);
    handle_ = h;
    return 0;
}

int Win32SerialLink::setLineParameters()
{
    if (!handle_) {
        if (!failed_)
            setError(text::kSerialNotOpen);
        return 1;
    }
    if (!supportedBaud(baudRate_)) {
        setError(text::kSerialUnsupportedBaud + std::to_string(baudRate_));
        return 1;
    }
    HANDLE h = static_cast<HANDLE>(handle_);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(h, &dcb)) {
        setError(text::kSerialCannotConfigure + win32::errorText(::GetLastError()));
        return 1;
    }
    dcb.BaudRate = static_cast<DWORD>(baudRate_);
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    // The instrument has no handshake of any kind.
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    // A framing error must not stop the port until someone clears it.
    dcb.fAbortOnError = FALSE;
    // A read returns at once with whatever has come (nothing waits for more); a
    // write gets its bytes' time on the line plus a grace period, then gives up.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = static_cast<DWORD>(10 * 1000 / baudRate_ + 1);
    timeouts.WriteTotalTimeoutConstant = static_cast<DWORD>(writeGraceMs_);
    if (!::SetCommState(h, &dcb) || !::SetCommTimeouts(h, &timeouts)) {
        setError(text::kSerialCannotConfigure + win32::errorText(::GetLastError()));
        return 1;
    }
    return 0;
}

void Win32SerialLink::write(const char* bytes, int count)
{
    if (!handle_ || failed_ || count <= 0)
        return;
    while (count > 0) {
        DWORD written = 0;
        if (!::WriteFile(static_cast<HANDLE>(handle_), bytes, static_cast<DWORD>(count), &written, nullptr)) {
            markFailedBySystem(::GetLastError());
            return;
        }
        if (written == 0) {
            // The write timeout ran out with the line still full.
            setError(text::kSerialWriteTimeout);
            return;
        }
        bytes += written;
        count -= static_cast<int>(written);
    }
}

int Win32SerialLink::readPending(char* dest, int maxCount)
{
    if (!handle_ || failed_ || maxCount <= 0)
        return 0;
    HANDLE h = static_cast<HANDLE>(handle_);
    DWORD got = 0;
    if (!::ReadFile(h, dest, static_cast<DWORD>(maxCount), &got, nullptr)) {
        markFailedBySystem(::GetLastError());
        return 0;
    }
    if (got > 0)
        return static_cast<int>(got);
    // An unplugged adapter reads as empty too: ask whether the port is still there
    // (which also clears a line error that would hold up the next read).
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(h, &errors, &status))
        markFailedBySystem(::GetLastError());
    return 0;
}

void Win32SerialLink::discardPending()
{
    if (!handle_ || failed_)
        return;
    ::PurgeComm(static_cast<HANDLE>(handle_), PURGE_RXCLEAR | PURGE_TXCLEAR);
    SerialLink::discardPending();
}

void Win32SerialLink::beforeCommand()
{
    // Pending input is not discarded here: it may hold the rest of a frame.
}

int Win32SerialLink::closeBegin()
{
    return handle_ ? 0 : 1;
}

void Win32SerialLink::closeEnd()
{
    release();
}

void Win32SerialLink::setError(const std::string& reason)
{
    lastError_ = device_ + ": " + reason;
}

void Win32SerialLink::markFailed(const std::string& reason)
{
    failed_ = true;
    setError(reason);
    // Let go of the port at once so that it can be opened again once it is back.
    release();
}

void Win32SerialLink::markFailedBySystem(unsigned long error)
{
    if (portGone(error))
        markFailed(text::kSerialGone);
    else
        markFailed(text::kSerialIoError + win32::errorText(error));
}

void Win32SerialLink::release()
{
    if (!handle_)
        return;
    HeldPorts::instance().change(comPortNumber(device_), false);
    ::CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
}

std::unique_ptr<SerialLink> makeSystemSerialLink(std::array<std::string, 4> devices, int baudRate)
{
    return std::make_unique<Win32SerialLink>(std::move(devices), baudRate);
}

}  // namespace kavro
