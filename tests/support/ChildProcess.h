#pragma once
// Fault tests that change what a whole process sees (a file size limit, a full
// file system, another user) run their scenario in a child process, so the test
// program itself stays as it was whatever happens there.
#include <functional>
#include <string>

namespace kavro::test {

struct ChildResult {
    int exitCode = -1;  // -1 when the child did not exit normally
    int signal = 0;     // the signal that ended it, 0 when none
    std::string output; // what it wrote to stdout and stderr
};

// Runs body in a forked child; its return value is the child's exit status.  The
// body must not use the test framework's assertions: it prints what went wrong
// and returns non-zero.
ChildResult runInChild(const std::function<int()>& body);

// Whether this process may mount a file system in a namespace of its own (root,
// and a system that allows it).  The full-disk tests are skipped otherwise.
bool canMountPrivateTmpfs();
// In the child: a mount namespace of its own and a tmpfs of the given size at dir
// (created when missing).  False, with the reason printed, when that fails.
bool mountPrivateTmpfs(const std::string& dir, long bytes);

// In the child: continue as the unprivileged user "nobody" (for root, whom file
// permissions do not stop).  False when that is not possible.
bool becomeNobody();

}  // namespace kavro::test
