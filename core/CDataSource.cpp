#include "core/CDataSource.h"

#include "core/OpenQuestions.h"
#include "core/Settings.h"

namespace kavro {

void CDataSource::open(const OpenRequest& request, OpenQuestions* questions)
{
    (void)questions;
    givenRequest_ = request;
    open();
}

void CDataSource::open()
{
    PrompterQuestions questions(context_.prompter);
    open(OpenRequest::fromSettings(sourceKind_, context_.settings, owner_ ? owner_->instrumentModel() : 0),
         &questions);
}

CDataSource::CDataSource(SourceContext context, SourceOwner* owner)
    : context_(context),
      owner_(owner),
      frameResult_(std::make_unique<CFrameResult>()),
      auxCalibration_(&context.profile),
      laserReferenceRatio_(context.settings.lRefRatio)
{
}

CDataSource::~CDataSource() = default;

double CDataSource::value(int kind, int index) const
{
    switch (kind) {
    case kValueRaw:
        return rawValue(index);
    case kValueVolume:
        return frameResult_->volume(index);
    case kValueAux:
        return frameResult_->aux(index);
    case kValueBackground:
        return backgroundValue(index);
    case kValueFactoryBackground:
        return factoryBackgroundValue(index);
    default:
        return -1.0;
    }
}

void CDataSource::setVolumeConversion(double value)
{
    frameResult_->setVolumeConversion(value);
}

}  // namespace kavro
