#include "core/CPDFile.h"

#include "core/OpenQuestions.h"

#include "core/CastReader.h"
#include "core/Settings.h"
#include "platform/Prompter.h"
#include "resources/CoreTexts.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>

namespace kavro {

CPDFile::CPDFile(SourceContext context, SourceOwner* owner) : CDataSource(context, owner)
{
    sourceKind_ = kKindPsdFile;
}

CPDFile::~CPDFile()
{
    close();
}

void CPDFile::open(const OpenRequest& request, OpenQuestions* questions)
{
    request_ = request;
    if (!request_.input) {
        if (!questions)
            throw UserAbort{};
        request_.input = questions->recording(request_);
        if (!request_.input)
            throw UserAbort{};
    }
    sourceName_ = *request_.input;
    close();
    if (!openReader() || !checkHeader()) {
        close();
        throw UserAbort{};
    }
    changed_ = false;
}

bool CPDFile::openReader()
{
    try {
        reader_ = std::make_unique<CastReader>(
            sourceName_, CastReader::Options{CastReader::Check::AllowHeaderless, viewLock_});
    } catch (const CastError& e) {
        switch (e.fault) {
        case CastFault::Open:
            // A folder chosen in the dialog was always passed over silently; a path that
            // came from elsewhere (the command line) and cannot be read is told.
            if (e.systemError != EISDIR)
                context_.prompter.message(text::kCouldNotOpenFile + sourceName_ + ": " + std::strerror(e.systemError),
                                          MessageIcon::Exclamation);
            break;
        case CastFault::Locked:
            context_.prompter.message(sourceName_ + text::kPsdBeingWritten, MessageIcon::Exclamation);
            break;
        case CastFault::Empty:
            context_.prompter.message(std::string(text::kEmptyPsdFile) + text::kFileNamed + sourceName_);
            break;
        case CastFault::BadHeader:
            context_.prompter.message(text::kBadHeaderRecord);
            break;
        default:
            context_.prompter.message(e.what(), MessageIcon::Exclamation);
            break;
        }
        return false;
    }
    // A file beyond a terabyte still counts its records in an int.
    recordCount_ = static_cast<int>(std::min<long long>(reader_->recordCount(), INT_MAX));
    trailingBytes_ = reader_->trailingBytes();
    return true;
}

bool CPDFile::fileUnchanged()
{
    if (changed_)
        return false;
    // Another program may cut the file short, delete it or put another in its place
    // (a logger that does not honour the lock); the records then are not the ones
    // this window counted, and reading on would show an old frame under a new number.
    const long long records = reader_ ? reader_->recordsNow() : -1;
    const bool vanished = records < 0;
    if (!vanished && records >= recordCount_)
        return true;
    changed_ = true;
    std::string what = vanished ? std::string(text::kPsdVanished)
                                : text::kPsdShrank + std::to_string(records) + text::kPsdShrankOf +
                                      std::to_string(recordCount_) + text::kPsdShrankRecords;
    context_.prompter.message(text::kPsdChangedStart + sourceName_ + what + text::kPsdChangedEnd,
                              MessageIcon::Exclamation);
    return false;
}

bool CPDFile::checkHeader()
{
    if (!readRecord(0))
        return false;
    header_ = reader_->header();
    if (!reader_->hasHeader()) {
        // Opening what is most likely another kind of file is not the default.
        if (!context_.prompter.askQuestion(std::string(text::kNotKavroPsd) + text::kFileNamed + sourceName_,
                                           {.defaultNo = true}))
            return false;
        // Every record, record 0 included, is a frame record.
        headerRecords_ = 0;
        currentFrame_ = 0;
        laserReferenceRatio_ = context_.settings.lRefRatio;
        position_ = 0;
        return true;
    }
    headerRecords_ = reader_->headerRecords();
    currentFrame_ = headerRecords_;
    // Only a model the program knows goes to the document: it picks labels by it.
    if (header_.model >= 0 && header_.model <= 2 && owner_)
        owner_->setInstrumentModel(header_.model);
    if (header_.laserReferenceRatio > 0.0 && std::isfinite(header_.laserReferenceRatio))
        laserReferenceRatio_ = header_.laserReferenceRatio;
    if (headerRecords_ >= 2) {
        if (!readRecord(1))
            return false;
        for (int k = 0; k < kClasses; ++k)
            frameResult_->setDiameter(k, getFloat32(buffer_.data() + 4 * k));
    }
    // The first read returns the first data record, however many header records there are.
    position_ = static_cast<long long>(kPsdRecordBytes) * headerRecords_;
    return true;
}

bool CPDFile::readRecord(long long n)
{
    PsdRecordBytes bytes;
    if (!reader_ || !reader_->readRecord(n, bytes))
        return false;
    buffer_ = bytes;
    position_ = n * kPsdRecordBytes + kPsdRecordBytes;
    return true;
}

int CPDFile::readNextFrame()
{
    // A short record leaves the frame result at the previous frame.
    if (position_ % kPsdRecordBytes != 0 || !readRecord(position_ / kPsdRecordBytes))
        return 0;
    decodeIntoResult(decodeOutputRecordBytes(buffer_.data()), *frameResult_);
    return 1;
}

void CPDFile::close()
{
    reader_.reset();
}

int CPDFile::lastNavigableRecord() const
{
    return std::max(recordCount_ - 1, headerRecords_);
}

int CPDFile::readFrameAt(int n)
{
    if (!fileUnchanged())
        return 0;
    const long long kept = position_;
    position_ = static_cast<long long>(kPsdRecordBytes) * n;
    if (!readNextFrame()) {
        // A record the file held at open that cannot be read now: the file changed.
        position_ = kept;
        fileUnchanged();
        return 0;
    }
    currentFrame_ = n;
    return 1;
}

int CPDFile::previousFrame()
{
    return readFrameAt(std::max(currentFrame_ - 1, headerRecords_));
}

int CPDFile::nextFrame()
{
    if (currentFrame_ >= lastNavigableRecord()) {
        currentFrame_ = lastNavigableRecord();
        return 0;
    }
    return readFrameAt(currentFrame_ + 1);
}

int CPDFile::rewind()
{
    return readFrameAt(headerRecords_);
}

int CPDFile::lastFrame()
{
    return readFrameAt(lastNavigableRecord());
}

int CPDFile::goToFrame(int n)
{
    long long target = static_cast<long long>(n) + headerRecords_;
    target = std::clamp<long long>(target, headerRecords_, lastNavigableRecord());
    return readFrameAt(static_cast<int>(target));
}

double CPDFile::rawValue(int index) const
{
    if (index < kRings || index >= kFrameValues)
        return -1.0;
    return getFloat32(buffer_.data() + 4 * (kRecAux + index - kRings));
}

}  // namespace kavro
