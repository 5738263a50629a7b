#pragma once
// The root of every data source: a .psd file being replayed, a raw recording, or
// the instrument live.  Views, plots and dialogs read frame data only through
// these operations.  Index operations never fail: out of range they answer -1.0.
#include "auxiliary/CHKInfo.h"
#include "core/CFrameResult.h"
#include "core/OpenRequest.h"
#include "core/OutputSwitches.h"
#include "core/SourceContext.h"

#include <memory>
#include <string>

namespace kavro {

class OpenQuestions;

class CDataSource {
public:
    CDataSource(SourceContext context, SourceOwner* owner);
    virtual ~CDataSource();
    CDataSource(const CDataSource&) = delete;
    CDataSource& operator=(const CDataSource&) = delete;

    // Opens the source from request; questions complete what the request lacks (null:
    // nothing is asked, a missing part is told).  Throws UserAbort when the user
    // cancelled or the open failed (after any message the failing step showed
    // itself).  A source overrides this or open(); the default opens with open().
    virtual void open(const OpenRequest& request, OpenQuestions* questions);
    // The program's settings as the request, completed by the file dialogs.
    virtual void open();
    // The request the source opened with (the one given, for a source that keeps none).
    virtual const OpenRequest& request() const { return givenRequest_; }
    // Reads and processes the next frame; 1 when a frame is ready.
    virtual int readNextFrame() = 0;
    virtual void close() = 0;
    virtual int previousFrame() { return 0; }
    virtual int nextFrame() { return 0; }
    virtual int rewind() { return 0; }
    virtual int lastFrame() { return 0; }
    virtual int goToFrame(int n)
    {
        (void)n;
        return 0;
    }
    virtual double rawValue(int index) const = 0;
    // kind 1 raw value, 2 volume concentration, 3 calibrated aux value, 4 background,
    // 5 factory background; any other kind -1.0.
    virtual double value(int kind, int index) const;
    virtual double backgroundValue(int index) const
    {
        (void)index;
        return -1.0;
    }
    virtual double factoryBackgroundValue(int index) const
    {
        (void)index;
        return -1.0;
    }
    virtual double transmission() const { return 0.0; }
    virtual double beamAttenuation() const { return 0.0; }
    virtual int frameNumber() const { return currentFrame_; }
    // Whether a frame has been read, so that the results describe one.
    virtual bool holdsFrame() const { return frameNumber() >= 0; }
    virtual double laserReferenceRatio() const { return laserReferenceRatio_; }
    virtual int rawBinarySwitch() const { return switches_.rawBinary; }
    virtual int asciiRawSwitch() const { return switches_.asciiRaw; }
    virtual int binarySizeSwitch() const { return switches_.binarySize; }
    virtual int asciiSizeSwitch() const { return switches_.asciiSize; }
    virtual int vsfInAsciiSwitch() const { return switches_.vsfInAscii; }

    // Stores the volume conversion constant in the frame result.
    void setVolumeConversion(double value);

    CFrameResult& frameResult() { return *frameResult_; }
    const CFrameResult& frameResult() const { return *frameResult_; }
    CHKInfo& auxCalibration() { return auxCalibration_; }
    const CHKInfo& auxCalibration() const { return auxCalibration_; }
    const std::string& sourceName() const { return sourceName_; }
    int sourceKind() const { return sourceKind_; }
    int currentFrame() const { return currentFrame_; }
    int recordCount() const { return recordCount_; }
    SourceOwner* owner() const { return owner_; }
    const SourceContext& context() const { return context_; }

protected:
    SourceContext context_;
    SourceOwner* owner_;
    std::unique_ptr<CFrameResult> frameResult_;
    CHKInfo auxCalibration_;
    std::string sourceName_;
    int sourceKind_ = -1;
    int currentFrame_ = 0;
    int recordCount_ = 0;
    OutputSwitches switches_;
    double laserReferenceRatio_;

private:
    OpenRequest givenRequest_;
};

}  // namespace kavro
