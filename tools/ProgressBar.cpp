#include "tools/ProgressBar.h"

#include "platform/System.h"
#include "resources/CliProcessTexts.h"

#include <algorithm>
#include <cstdio>

namespace kavro::cli {
namespace {

constexpr int kBarWidth = 30;

}  // namespace

ProgressBar::ProgressBar(std::string label, int total, bool wanted)
    : label_(std::move(label)), total_(total), shown_(wanted && stderrIsTerminal()),
      start_(std::chrono::steady_clock::now()), lastDraw_(start_)
{
}

ProgressBar::~ProgressBar()
{
    if (shown_ && !finished_)
        std::fputc('\n', stderr);
}

void ProgressBar::update(int done)
{
    if (!shown_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastDraw_ < std::chrono::milliseconds(100))
        return;
    lastDraw_ = now;
    draw(done);
}

void ProgressBar::finish(int done)
{
    if (!shown_ || finished_)
        return;
    draw(done);
    std::fputc('\n', stderr);
    finished_ = true;
}

void ProgressBar::draw(int done)
{
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const double fraction = total_ > 0 ? std::clamp(static_cast<double>(done) / total_, 0.0, 1.0) : 1.0;
    const int filled = static_cast<int>(fraction * kBarWidth);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kBarWidth - filled), '.');
    std::fprintf(stderr, text::kCliProgress, label_.c_str(), bar.c_str(), static_cast<int>(fraction * 100.0), done,
                 total_, seconds > 0.0 ? done / seconds : 0.0);
    std::fflush(stderr);
}

}  // namespace kavro::cli
