#include "core/CInvPars.h"

#include "core/OpenQuestions.h"

#include "core/Settings.h"
#include "platform/FileUtil.h"
#include "platform/NumText.h"
#include "platform/Prompter.h"
#include "resources/CoreTexts.h"

#include <cmath>

namespace kavro {

char modelLetter(int model)
{
    return model == 2 ? 'c' : (model == 1 ? 'b' : 'a');
}

ModelFiles modelFiles(int model)
{
    const std::string l(1, modelLetter(model));
    return ModelFiles{"M32x32_" + l + ".asc", "H32_" + l + ".asc", "Dias32_" + l + ".asc", "Gain_" + l + ".asc"};
}

int readNumberFile(const std::string& path, double* dest, int count, bool* complete, bool* opened)
{
    std::FILE* file = openRegularFileForReading(path);
    *opened = file != nullptr;
    *complete = false;
    if (!file)
        return 0;
    NumberReader reader(file);
    int n = 0;
    while (n < count) {
        auto value = reader.next();
        if (!value)
            break;
        dest[n++] = *value;
    }
    *complete = n == count || reader.stoppedAtText();
    std::fclose(file);
    return n;
}

CInvPars::CInvPars(int model, const Settings& settings, Prompter& prompter)
    : laserReferenceRatio_(settings.lRefRatio), model_(model), settings_(settings), prompter_(prompter)
{
    reset();
}

void CInvPars::reset()
{
    matricesOK_ = 0;
    normalisationOK_ = 0;
    directory_.clear();
    laserReferenceRatio_ = settings_.lRefRatio;
    factoryName_ = text::kFactoryBackgroundName;
    factory_.fill(0.0);
    background_.fill(0.0);
    ringArea_.fill(0.0);
    gain_.fill(0.0);
    kernel_.fill(0.0);
    h_.fill(0.0);
    diameters_.fill(0.0);
    inversion_.set(kernel_.data(), h_.data());
    transmission_ = 0.0;
}

bool CInvPars::readRequired(const std::string& path, double* dest, int count)
{
    bool complete = false, opened = false;
    readNumberFile(path, dest, count, &complete, &opened);
    if (!opened) {
        prompter_.message(text::kCouldNotOpenFile + path);
        throw UserAbort{};
    }
    return complete;
}

int CInvPars::load()
{
    return load([this] { return PrompterQuestions(prompter_).ringArea(directory_); });
}

int CInvPars::load(const std::function<std::optional<std::string>()>& chooseRingArea)
{
    const ModelFiles files = modelFiles(model_);
    // The three inversion files are all read even when one of them is short.
    bool ok = readRequired(joinPath(directory_, files.kernel), kernel_.data(), kRings * kClasses);
    ok = readRequired(joinPath(directory_, files.h), h_.data(), kRings * kClasses) && ok;
    ok = readRequired(joinPath(directory_, files.diameters), diameters_.data(), kClasses) && ok;
    matricesOK_ = ok ? 1 : 0;
    inversion_.set(kernel_.data(), h_.data());

    readRequired(joinPath(directory_, factoryName_), factory_.data(), kFrameValues);

    auto chosen = chooseRingArea();
    if (!chosen)
        throw UserAbort{};
    ringAreaPath_ = *chosen;
    // Missing ring-area or gain values simply stay 0.
    readRequired(ringAreaPath_, ringArea_.data(), kRings);
    readRequired(joinPath(directory_, files.gain), gain_.data(), kRings);
    normalisationOK_ = 1;
    return matricesOK_ && normalisationOK_ ? 1 : 0;
}

std::optional<double> backgroundLaserRatio(double laserPower, double laserReference)
{
    if (laserReference > kLaserFloor && laserPower > kLaserFloor)
        return laserPower / laserReference;
    return std::nullopt;
}

void CInvPars::updateRatioFrom(const std::array<double, kFrameValues>& bg)
{
    if (auto ratio = backgroundLaserRatio(bg[kLaserPowerIndex], bg[kLaserReferenceIndex]))
        laserReferenceRatio_ = *ratio;
}

int CInvPars::loadBackgroundFile(const std::string& path)
{
    bool complete = false, opened = false;
    readNumberFile(path, background_.data(), kFrameValues, &complete, &opened);
    if (!opened) {
        prompter_.message(text::kCouldNotOpenFile + path);
        throw UserAbort{};
    }
    if (background_[kLaserPowerIndex] == 0.0)
        return 0;
    updateRatioFrom(background_);
    return 1;
}

int CInvPars::setBackground(const double values[kFrameValues])
{
    if (values[kLaserPowerIndex] == 0.0)
        return 0;
    for (int i = 0; i < kFrameValues; ++i)
        background_[static_cast<std::size_t>(i)] = values[i];
    updateRatioFrom(background_);
    return 1;
}

double CInvPars::transmissionAndRings(const double raw[kFrameValues], double corrected[kRings]) const
{
    const double power = raw[kLaserPowerIndex];
    const double reference = raw[kLaserReferenceIndex];
    double tau = 0.0;
    // A frame whose laser reference reads 0 or less has no usable laser light either:
    // dividing by it would put infinities into every output.
    if (normalisationOK_ == 1 && power > kLaserFloor && reference > 0.0)
        tau = power / (laserReferenceRatio_ * reference);
    if (!(std::isfinite(tau) && tau > 0.0)) {
        for (int i = 0; i < kRings; ++i)
            corrected[i] = 0.0;
        return 0.0;
    }
    if (tau < 0.001)
        tau = 0.001;
    // Scaled to the laser reference of the background; a background without a
    // laser reference reading cannot scale, so its rings are taken as they are.
    const double backgroundReference = background_[kLaserReferenceIndex];
    const double scale =
        backgroundReference > 0.0 && std::isfinite(backgroundReference) ? backgroundReference / reference : 1.0;
    for (int i = 0; i < kRings; ++i) {
        const std::size_t n = static_cast<std::size_t>(i);
        double c = scale * raw[i] / tau - background_[n];
        corrected[i] = c * ringArea_[n];
    }
    return tau;
}

double CInvPars::correct(const double raw[kFrameValues], double corrected[kRings])
{
    transmission_ = transmissionAndRings(raw, corrected);
    return transmission_;
}

}  // namespace kavro
