#include "platform/OutputFile.h"

#include "platform/FileUtil.h"
#include "resources/PlatformTexts.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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
    const int fd = static_cast<int>(file_);
    if (file_ == kNoFile || failed_)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
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
    }
    size_ += static_cast<long long>(bytes.size());
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
