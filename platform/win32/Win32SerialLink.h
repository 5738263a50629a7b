#pragma once
// The instrument's serial port on Windows: a COM port opened exclusively (share
// mode 0, so a second program is refused), raw 8N1 at a fixed speed through the
// DCB, and COMMTIMEOUTS that make a read return at once with what has come, as the
// POSIX link's non-blocking read does.  A port that goes away (USB adapter pulled)
// marks the link failed instead of failing every later call.
#include "platform/SerialLink.h"

#include <array>
#include <string>

namespace kavro {

class Win32SerialLink : public SerialLink {
public:
    // devices: the ports 0..3 ("COM1:".."COM4:") stand for, as "COM5" or "\\.\COM5".
    explicit Win32SerialLink(std::array<std::string, 4> devices, int baudRate = 9600);
    ~Win32SerialLink() override;
    Win32SerialLink(const Win32SerialLink&) = delete;
    Win32SerialLink& operator=(const Win32SerialLink&) = delete;

    int open(int portIndex) override;
    int setLineParameters() override;
    void write(const char* bytes, int count) override;
    int readPending(char* dest, int maxCount) override;
    void discardPending() override;
    void beforeCommand() override;
    int closeBegin() override;
    void closeEnd() override;
    bool failed() const override { return failed_; }
    std::string lastError() const override { return lastError_; }

    bool isOpen() const { return handle_ != nullptr; }
    const std::string& device() const { return device_; }
    void setWriteGraceMs(int ms) { writeGraceMs_ = ms; }

private:
    void setError(const std::string& reason);
    void markFailed(const std::string& reason);
    void markFailedBySystem(unsigned long error);
    void release();

    std::array<std::string, 4> devices_;
    int baudRate_;
    void* handle_ = nullptr;  // the port's HANDLE; nullptr while closed
    std::string device_;
    bool failed_ = false;
    std::string lastError_;
    int writeGraceMs_ = 2000;
};

}  // namespace kavro
