#pragma once
// A progress bar with the frame rate on stderr, drawn only when stderr is a
// terminal (a log file or a pipe gets nothing), at most ten times a second.
#include <chrono>
#include <string>

namespace kavro::cli {

class ProgressBar {
public:
    ProgressBar(std::string label, int total, bool wanted);
    ~ProgressBar();
    void update(int done);
    // The last state and the end of the line.
    void finish(int done);

private:
    void draw(int done);
    std::string label_;
    int total_;
    bool shown_;
    bool finished_ = false;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace kavro::cli
