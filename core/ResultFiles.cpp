#include "core/ResultFiles.h"

#include "core/OutputRecord.h"
#include "platform/File.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "platform/Prompter.h"
#include "resources/CoreTexts.h"

#include <algorithm>
#include <cstring>

namespace kavro {
namespace {

// The whole file, or nothing (with the reason) when it cannot be read.
std::optional<std::string> readWhole(const std::string& path, std::string& why)
{
    ReadOnlyFile file;
    if (!file.open(path)) {
        why = path + ": " + file.error();
        return std::nullopt;
    }
    const long long length = file.length();
    std::string bytes(static_cast<std::size_t>(std::max(0LL, length)), '\0');
    if (length < 0 || file.readAt(0, bytes.data(), bytes.size()) != length) {
        why = path + ": " + file.error();
        return std::nullopt;
    }
    return bytes;
}

bool allZero(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == '\0'; });
}

std::string modelText(int model)
{
    return std::string(1, static_cast<char>('A' + std::clamp(model, 0, 25)));
}

// Why a .psd's first two records are not those this recording would write ("" when they are).
std::string headerMismatch(const std::string& path, std::string_view stored, std::string_view header,
                           std::string_view diameters)
{
    const PsdHeader was = decodePsdHeader(reinterpret_cast<const unsigned char*>(stored.data()));
    const PsdHeader now = decodePsdHeader(reinterpret_cast<const unsigned char*>(header.data()));
    if (!was.magicOK)
        return path + text::kContinueNotPsd;
    if (was.model != now.model)
        return path + text::kContinueModel + modelText(was.model) + text::kContinueModelNow + modelText(now.model) + ".";
    if (was.backgroundPath != now.backgroundPath || was.laserReferenceRatio != now.laserReferenceRatio)
        return path + text::kContinueBackground + was.backgroundPath + text::kContinueBackgroundNow +
               now.backgroundPath + ".";
    if (stored.substr(kPsdRecordBytes, kPsdRecordBytes) != diameters)
        return path + text::kContinueCalibration;
    if (stored.substr(0, kPsdRecordBytes) != header)
        return path + text::kContinueHeader;
    return std::string();
}

}  // namespace

std::vector<std::string> ResultFiles::paths() const
{
    std::vector<std::string> open;
    for (const OutputFile& file : files_)
        if (file.isOpen())
            open.push_back(file.path());
    return open;
}

bool ResultFiles::writesTo(const std::string& path) const
{
    for (const OutputFile& file : files_)
        if (file.isOpen() && sameFile(file.path(), path))
            return true;
    return false;
}

bool ResultFiles::open(Slot slot, const std::string& path, ExistingOutputs existing, const std::string& inputPath)
{
    if (!inputPath.empty() && sameFile(path, inputPath)) {
        prompter_.message(text::kOutputIsInput + path, MessageIcon::Exclamation);
        return false;
    }
    const OutputFile::Existing mode = existing == ExistingOutputs::Replace  ? OutputFile::Existing::Replace
                                      : existing == ExistingOutputs::Refuse ? OutputFile::Existing::Refuse
                                                                            : OutputFile::Existing::Append;
    OutputFile& file = files_[slot];
    if (!file.create(path, mode)) {
        prompter_.message(std::string(text::kWriteFailed) + path + ": " + file.error(), MessageIcon::Exclamation);
        return false;
    }
    return true;
}

void ResultFiles::setSyncInterval(double seconds)
{
    for (OutputFile& file : files_)
        file.setSyncInterval(seconds);
}

CastContinuation ResultFiles::inspectContinuation(const std::string (&paths)[kSlots], std::string_view header,
                                                  std::string_view diameters)
{
    CastContinuation c;
    long long keep[kSlots] = {};
    long long frames[kSlots] = {};
    bool counted[kSlots] = {};
    for (int slot = 0; slot < kSlots; ++slot) {
        const std::string& path = paths[slot];
        if (path.empty())
            continue;
        if (!fileStamp(path)) {
            c.problem = path + text::kContinueMissing;
            return c;
        }
        std::string why;
        const std::optional<std::string> bytes = readWhole(path, why);
        if (!bytes) {
            c.problem = why;
            return c;
        }
        const std::string_view all(*bytes);
        if (slot == Psd) {
            long long records = static_cast<long long>(all.size()) / kPsdRecordBytes;
            if (records < kPsdHeaderRecords) {
                c.problem = path + text::kContinueNotPsd;
                return c;
            }
            if (c.problem = headerMismatch(path, all, header, diameters); !c.problem.empty())
                return c;
            // Records of zero bytes at the end were never written: the system had made
            // room for them when the power went.  No frame record is all zeros: its mean
            // diameter is -1 (no distribution) or the mean of a frame with particles.
            while (records > kPsdHeaderRecords &&
                   allZero(all.substr(static_cast<std::size_t>((records - 1) * kPsdRecordBytes), kPsdRecordBytes)))
                --records;
            keep[slot] = records * kPsdRecordBytes;
            frames[slot] = records - kPsdHeaderRecords;
        } else {
            const std::size_t end = all.rfind('\n');
            keep[slot] = end == std::string_view::npos ? 0 : static_cast<long long>(end + 1);
            long long lines = std::count(all.begin(), all.begin() + keep[slot], '\n');
            if (slot == Time) {
                if (lines == 0) {
                    c.problem = path + text::kContinueNoTimeHeader;
                    return c;
                }
                --lines;  // the header line
            }
            frames[slot] = lines;
        }
        counted[slot] = true;
        c.droppedBytes += static_cast<long long>(all.size()) - keep[slot];
    }
    // Every file must end with the same frame, or appending would pair frames wrongly.
    int reference = -1;
    for (int slot = 0; slot < kSlots; ++slot) {
        if (!counted[slot])
            continue;
        if (reference < 0) {
            reference = slot;
            continue;
        }
        if (frames[slot] != frames[reference]) {
            c.problem = paths[slot] + text::kContinueHolds + std::to_string(frames[slot]) +
                        text::kContinueFramesBut + paths[reference] + text::kContinueHolds +
                        std::to_string(frames[reference]) + text::kContinueNotTogether;
            return c;
        }
    }
    c.frames = reference < 0 ? 0 : frames[reference];
    std::copy(std::begin(keep), std::end(keep), std::begin(c.keep));
    return c;
}

void ResultFiles::write(Slot slot, std::string_view bytes)
{
    OutputFile& file = files_[slot];
    if (!file.isOpen() || file.append(bytes))
        return;
    tellFailure(file);
}

void ResultFiles::tellFailure(const OutputFile& file)
{
    if (error_.empty()) {
        error_ = std::string(text::kWriteFailed) + file.path() + ": " + file.error();
        prompter_.message(error_, MessageIcon::Exclamation);
    }
}

void ResultFiles::append(const FrameOutputs& out)
{
    const FrameOutputs* one[] = {&out};
    append(one);
}

void ResultFiles::append(std::span<const FrameOutputs* const> parts)
{
    std::vector<std::string_view> bytes;
    bytes.reserve(parts.size());
    auto gather = [&](OutputFile& file, std::string FrameOutputs::*member) {
        if (!file.isOpen())
            return;
        bytes.clear();
        for (const FrameOutputs* part : parts)
            if (!(part->*member).empty())
                bytes.emplace_back(part->*member);
        if (!bytes.empty())
            file.append(std::span<const std::string_view>(bytes));
    };
    gather(files_[Psd], &FrameOutputs::psd);
    gather(files_[Asc], &FrameOutputs::asc);
    gather(files_[Log], &FrameOutputs::log);
}

void ResultFiles::tellFailures()
{
    for (const OutputFile& file : files_)
        if (file.failed())
            tellFailure(file);
}

bool ResultFiles::writeTogether(const FrameOutputs& out, long long record, UtcTime time)
{
    if (stopped_)
        return false;
    OutputFile& timeFile = files_[Time];
    const std::string stamp = timeFile.isOpen() ? timeStampLine(record, time) : std::string();
    struct Part {
        OutputFile* file;
        std::string_view bytes;
        long long mark = 0;
        bool tried = false;
    };
    Part parts[] = {{&files_[Psd], out.psd}, {&files_[Asc], out.asc}, {&files_[Log], out.log}, {&timeFile, stamp}};
    const OutputFile* failed = nullptr;
    for (Part& p : parts) {
        if (p.bytes.empty() || !p.file->isOpen())
            continue;
        p.mark = p.file->size();
        p.tried = true;
        if (!p.file->append(p.bytes)) {
            failed = p.file;
            break;
        }
    }
    if (!failed)
        return true;
    // The frame comes out of every file that took it (the failed one too, should its
    // bytes be in but not on the disk), so that no file holds a frame the others lack.
    for (Part& p : parts)
        if (p.tried)
            p.file->truncateTo(p.mark);
    stopped_ = true;
    if (error_.empty()) {
        error_ = std::string(text::kWriteFailed) + failed->path() + ": " + failed->error() + text::kOutputsStopped +
                 std::to_string(record) + text::kOutputsStoppedFrames;
        prompter_.message(error_, MessageIcon::Exclamation);
    }
    return false;
}

void ResultFiles::close()
{
    for (OutputFile& file : files_) {
        const bool wasOpen = file.isOpen();
        const bool failedBefore = file.failed();
        file.close();
        if (wasOpen && !failedBefore && file.failed())
            tellFailure(file);
    }
}

}  // namespace kavro
