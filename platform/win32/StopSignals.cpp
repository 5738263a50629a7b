#include "platform/StopSignals.h"

#include "platform/win32/Wide.h"

#include <atomic>
#include <csignal>

namespace kavro {

namespace {

// What the console asked for, shared with its handler (which Windows runs on a
// thread of its own): 0 while nothing has, else kInterrupt or kHangUp.
constexpr int kInterrupt = 1;
constexpr int kHangUp = 2;
std::atomic<int> gRequest{0};
// Set when a request arrives; the waiting work wakes on it.
HANDLE gArrived = nullptr;
// Set when the last StopSignals ends: the handler of a close event holds the
// process until then, so the records before the stop are written and closed.
HANDLE gFinished = nullptr;
std::atomic<int> gLiving{0};

// Windows ends the process when the handler of a close, log-off or shutdown event
// returns, and after about five seconds in any case.
constexpr DWORD kCloseGraceMs = 4500;

BOOL WINAPI onConsoleEvent(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        gRequest.store(kInterrupt);
        ::SetEvent(gArrived);
        return TRUE;  // taken: the work stops between two steps
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        // The console went away, as a terminal does with SIGHUP.
        gRequest.store(kHangUp);
        ::SetEvent(gArrived);
        ::WaitForSingleObject(gFinished, kCloseGraceMs);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

// The console's events are taken by a handler that only notes them; the work
// looks for them between two steps, as it does for signals on POSIX.
struct StopSignals::State {
};

StopSignals::StopSignals() : state_(std::make_unique<State>())
{
    if (gLiving.fetch_add(1) == 0) {
        if (!gArrived)
            gArrived = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!gFinished)
            gFinished = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        gRequest.store(0);
        ::ResetEvent(gArrived);
        ::ResetEvent(gFinished);
        ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    }
}

StopSignals::~StopSignals()
{
    if (gLiving.fetch_sub(1) == 1) {
        ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
        ::SetEvent(gFinished);
    }
}

bool StopSignals::arrived()
{
    return waitMs(0);
}

bool StopSignals::waitMs(int ms)
{
    if (arrived_)
        return true;
    if (gRequest.load() == 0 && gArrived)
        ::WaitForSingleObject(gArrived, ms > 0 ? static_cast<DWORD>(ms) : 0);
    const int request = gRequest.load();
    if (request == 0)
        return false;
    arrived_ = true;
    hungUp_ = request == kHangUp;
    signal_ = hungUp_ ? SIGTERM : SIGINT;
    return true;
}

}  // namespace kavro
