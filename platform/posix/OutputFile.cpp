#include "platform/OutputFile.h"

#include "platform/FileUtil.h"
#include "resources/PlatformTexts.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace kavro {
namespace {

double monotonicSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

OutputFile::~OutputFile()
{
    close();
}

bool OutputFile::create(const std::string& path, Existing existing)
{
    close();
    path_ = path;
    failed_ = false;
    error_.clear();
    size_ = 0;
    syncs_ = 0;
    lastSync_ = monotonicSeconds();
    // Never O_TRUNC here: the file is emptied only once the lock is ours, so a
    // file another writer holds keeps every byte.
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (existing == Existing::Refuse ? O_EXCL : 0);
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0)
        return refuse(errno == EEXIST ? std::string(text::kOutputExists) : errnoText(errno));
    file_ = fd;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && !S_ISREG(st.st_mode))
        return refuse(text::kNotRegularFile);  // a device or pipe would not take whole records reliably
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return refuse(errno == EWOULDBLOCK ? std::string(text::kOutputInUse) : errnoText(errno));
    if (existing == Existing::Append) {
        if (::lseek(fd, 0, SEEK_END) != st.st_size)
            return refuse(errnoText(errno));
        size_ = st.st_size;
        return true;
    }
    if (st.st_size > 0 && ::ftruncate(fd, 0) != 0)
        return refuse(errnoText(errno));
    return true;
}

bool OutputFile::refuse(std::string why)
{
    const int fd = static_cast<int>(file_);
    error_ = std::move(why);
    if (file_ != kNoFile)
        ::close(fd);
    file_ = kNoFile;
    return false;
}

bool OutputFile::append(std::string_view bytes)
{
    return append(std::span<const std::string_view>(&bytes, 1));
}

bool OutputFile::append(std::span<const std::string_view> parts)
{
    const int fd = static_cast<int>(file_);
    if (file_ == kNoFile || failed_)
        return false;
    std::vector<iovec> left;
    left.reserve(parts.size());
    std::size_t total = 0;
    for (std::string_view part : parts)
        if (!part.empty()) {
            left.push_back(iovec{const_cast<char*>(part.data()), part.size()});
            total += part.size();
        }
    std::size_t first = 0;  // the first part not yet written whole
    std::size_t done = 0;
    while (first < left.size()) {
        const int count = static_cast<int>(std::min<std::size_t>(left.size() - first, IOV_MAX));
        ssize_t n = ::writev(fd, left.data() + first, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error_ = errnoText(n < 0 ? errno : ENOSPC);
            failed_ = true;
            // Never leave half a record behind.
            if (done > 0 && ::ftruncate(fd, size_) == 0)
                ::lseek(fd, size_, SEEK_SET);
            return false;
        }
        done += static_cast<std::size_t>(n);
        // Past the parts written whole; a part written in part goes on from where it stopped.
        for (auto taken = static_cast<std::size_t>(n); taken > 0;) {
            iovec& part = left[first];
            const std::size_t step = std::min(taken, part.iov_len);
            part.iov_base = static_cast<char*>(part.iov_base) + step;
            part.iov_len -= step;
            taken -= step;
            if (part.iov_len == 0)
                ++first;
        }
    }
    return appended(total);
}

bool OutputFile::appended(std::size_t bytes)
{
    const int fd = static_cast<int>(file_);
    size_ += static_cast<long long>(bytes);
    // Writing on into a file that someone deleted succeeds and loses everything.
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_nlink == 0) {
        error_ = text::kOutputRemoved;
        failed_ = true;
        return false;
    }
    if (syncInterval_ > 0.0 && monotonicSeconds() - lastSync_ >= syncInterval_)
        return sync();
    return true;
}

bool OutputFile::truncateTo(long long size)
{
    const int fd = static_cast<int>(file_);
    if (file_ == kNoFile || size < 0 || size > size_)
        return false;
    if (::ftruncate(fd, size) != 0 || ::lseek(fd, size, SEEK_SET) != size)
        return false;
    size_ = size;
    return true;
}

void OutputFile::setSyncInterval(double seconds)
{
    syncInterval_ = seconds;
}

bool OutputFile::sync()
{
    const int fd = static_cast<int>(file_);
    lastSync_ = monotonicSeconds();
    if (::fdatasync(fd) != 0) {
        error_ = errnoText(errno);
        failed_ = true;
        return false;
    }
    // The first time, the folder too: a new file's name must survive as well as its data.
    if (syncs_++ == 0) {
        const int dir = ::open(directoryPart(path_).empty() ? "." : directoryPart(path_).c_str(),
                               O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    return true;
}

void OutputFile::close()
{
    const int fd = static_cast<int>(file_);
    if (file_ != kNoFile) {
        if (syncInterval_ > 0.0 && !failed_)
            sync();
        if (::close(fd) != 0 && !failed_) {
            failed_ = true;
            error_ = errnoText(errno);
        }
        file_ = kNoFile;
    }
}

}  // namespace kavro
