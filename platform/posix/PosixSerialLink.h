#pragma once
// The instrument's serial port over POSIX termios: raw 8N1 at a fixed speed,
// opened without becoming the controlling terminal and locked so that two programs
// never talk to the instrument at once.  A device that goes away (USB adapter
// unplugged, pseudo-terminal closed) marks the link failed instead of failing
// every later call.
#include "platform/SerialLink.h"

#include <array>
#include <string>

namespace kavro {

class PosixSerialLink : public SerialLink {
public:
    // devices: the paths of ports 0..3 ("COM1:".."COM4:").
    explicit PosixSerialLink(std::array<std::string, 4> devices, int baudRate = 9600);
    ~PosixSerialLink() override;
    PosixSerialLink(const PosixSerialLink&) = delete;
    PosixSerialLink& operator=(const PosixSerialLink&) = delete;

    int open(int portIndex) override;
    int setLineParameters() override;
    void write(const char* bytes, int count) override;
    int readPending(char* dest, int maxCount) override;
    bool canWaitReadable() const override { return true; }
    bool waitReadable(int ms) override;
    void discardPending() override;
    void beforeCommand() override;
    int closeBegin() override;
    void closeEnd() override;
    bool failed() const override { return failed_; }
    std::string lastError() const override { return lastError_; }

    bool isOpen() const { return fd_ >= 0; }
    // The device of the port opened last ("" before any open).
    const std::string& device() const { return device_; }
    // Longest time one write() waits for a full line to drain, on top of the
    // time the bytes take at the line speed.
    void setWriteGraceMs(int ms) { writeGraceMs_ = ms; }

private:
    void setError(const std::string& reason);
    void markFailed(const std::string& reason);
    void markFailedByErrno(int error);
    bool hungUp() const;
    void release();

    std::array<std::string, 4> devices_;
    int baudRate_;
    int fd_ = -1;
    std::string device_;
    bool failed_ = false;
    std::string lastError_;
    int writeGraceMs_ = 2000;
};

}  // namespace kavro
