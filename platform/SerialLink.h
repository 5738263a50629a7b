#pragma once
// The serial port of the instrument: the seven operations the instrument source
// uses.  makeSystemSerialLink (SystemSerialLink.h) drives a real device; the tests script
// one of their own.
#include <string>

namespace kavro {

class SerialLink {
public:
    virtual ~SerialLink() = default;
    // Opens port 0..3 ("COM1:".."COM4:").  0 = opened; anything else = failure,
    // with the reason in lastError().
    virtual int open(int portIndex) = 0;
    // Sets the line up (speed, 8 data bits, no parity, 1 stop bit).  0 = done.
    virtual int setLineParameters() = 0;
    // Writes count bytes.
    virtual void write(const char* bytes, int count) = 0;
    // Moves up to maxCount pending bytes into dest without waiting; the number moved,
    // 0 when nothing is pending.
    virtual int readPending(char* dest, int maxCount) = 0;
    // Drops every byte waiting to be read (and any not yet sent), so that what is
    // read next was sent after this call.  The default reads them away.
    virtual void discardPending()
    {
        char scrap[256];
        for (int rounds = 0; rounds < 64 && readPending(scrap, static_cast<int>(sizeof scrap)) > 0; ++rounds) {
        }
    }
    // Whether waitReadable waits on the line; the default cannot, and the caller
    // paces itself.
    virtual bool canWaitReadable() const { return false; }
    // Waits up to ms milliseconds for a byte to read, returning as soon as one is
    // there (or the line fails); true when bytes wait.
    virtual bool waitReadable(int ms)
    {
        (void)ms;
        return false;
    }
    // Called before every command write (frame request, command, Ctrl-C).
    virtual void beforeCommand() = 0;
    // Closing, in two steps: closeBegin() == 0 means closeEnd() follows.
    virtual int closeBegin() = 0;
    virtual void closeEnd() = 0;

    // True once the device has gone away or failed (unplugged, I/O error); the
    // reason is in lastError().  A failed link moves no more bytes.
    virtual bool failed() const { return false; }
    // Why the last open failed or the link broke: the device and the system's reason.
    virtual std::string lastError() const { return std::string(); }
};

}  // namespace kavro
