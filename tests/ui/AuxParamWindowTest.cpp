// The auxiliary parameters window: the source's frame cut to its decimals, raw
// counts on request, a summary record with its transmission and warnings, and a
// .psd file's stored values.
#include "auxiliary/ui/CAuxParamDlg.h"
#include "core/Constants.h"
#include "tests/plots/FakeSource.h"

#include <QCheckBox>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

using namespace kavro;
using namespace kavro::test;

namespace {

class AuxSource : public FakeSource {
public:
    AuxSource(SourceEnv& env, int kind) : FakeSource(env) { sourceKind_ = kind; }
    double rawValue(int index) const override { return index >= kRings ? aux[index - kRings] : 0.0; }
    double aux[8] = {1029, 2000, 0, 1000, 100, 2150, 7, 8};
    void setFrame(int n) { currentFrame_ = n; }
};

struct AuxWindowTest : ::testing::Test {
    SourceEnv env;
    QWidget view;
};

TEST_F(AuxWindowTest, ShowsTheSourcesFrameInEngineeringUnitsOrCounts)
{
    AuxSource source(env, kKindRawFile);
    source.setFrame(17);
    source.frameResult().setTransmission(0.29999);
    source.frameResult().setZeroRings(1);
    auto* w = new CAuxParamDlg(source, &view);
    EXPECT_EQ(w->windowTitle(), "Auxiliary Parameters");
    EXPECT_EQ(w->labelText(2), "External Instrument");
    EXPECT_EQ(w->labelText(8), "Transmission");
    EXPECT_EQ(w->valueText(0), "1.234");  // 1029 x 0.0012 = 1.2348, cut
    EXPECT_EQ(w->valueText(1), "10");     // 10.034 V, one decimal
    EXPECT_EQ(w->valueText(4), "5.3");    // 5.36 m, one decimal
    EXPECT_EQ(w->valueText(5), "21.5");
    EXPECT_EQ(w->unitsText(0), "mwatts");
    EXPECT_EQ(w->frameText(), "17");
    EXPECT_EQ(w->transmissionText(), "0.299");
    EXPECT_EQ(w->warningText(0), "Warning: Water too turbid.");
    EXPECT_EQ(w->warningText(1), " ");
    EXPECT_EQ(w->warningText(2), "Warning: Zero ring values.");

    QTest::mouseClick(w->showRawBox(), Qt::LeftButton);
    EXPECT_EQ(w->valueText(0), "1029");
    EXPECT_EQ(w->unitsText(0), "");
    EXPECT_EQ(w->unitsText(5), "");
    QTest::mouseClick(w->showRawBox(), Qt::LeftButton);
    EXPECT_EQ(w->valueText(0), "1.234");
    EXPECT_EQ(w->unitsText(5), "deg C");

    // A new frame, and new constants.
    source.aux[1] = 3000;
    source.frameResult().setTransmission(1.5);
    w->Refresh();
    EXPECT_EQ(w->valueText(1), "15");  // 15.051
    EXPECT_EQ(w->warningText(0), "Warning: Water too clear.");
    source.auxCalibration().Channel(1)->multiplier = 0.01;
    source.auxCalibration().Channel(1)->label = "Akku";
    w->RefreshCalibration();
    EXPECT_EQ(w->valueText(1), "30");
    EXPECT_EQ(w->labelText(1), "Akku");
    delete w;
}

TEST_F(AuxWindowTest, ShowsASummaryRecordWithItsTransmission)
{
    AuxSource source(env, kKindRawFile);  // the background's ratio of laser power to reference is 2
    ASSERT_EQ(source.laserReferenceRatio(), 2.0);
    auto* w = new CAuxParamDlg(source, &view);
    FrameSummary r;
    r.aux[0] = 2000;
    r.aux[1] = 2000;
    r.aux[3] = 1000;
    r.saturatedRings = 2;
    w->ShowRecord(r, 123);
    EXPECT_EQ(w->frameText(), "123");
    EXPECT_EQ(w->valueText(1), "10");
    EXPECT_EQ(w->transmissionText(), "1");
    EXPECT_EQ(w->warningText(0), " ");
    EXPECT_EQ(w->warningText(1), "Warning: Saturated ring values.");
    EXPECT_EQ(w->warningText(2), " ");
    // No laser light: transmission 0, too turbid.
    r.aux[0] = 100;
    w->ShowRecord(r, 124);
    EXPECT_EQ(w->transmissionText(), "0");
    EXPECT_EQ(w->warningText(0), "Warning: Water too turbid.");
    delete w;
}

TEST_F(AuxWindowTest, APsdFileShowsItsStoredValuesCut)
{
    AuxSource source(env, kKindPsdFile);
    source.aux[1] = 12.37;
    source.aux[0] = 1.23456;
    auto* w = new CAuxParamDlg(source, &view);
    EXPECT_FALSE(w->showRawBox()->isEnabled());
    EXPECT_EQ(w->valueText(1), "12.3");
    EXPECT_EQ(w->valueText(0), "1.234");
    delete w;
}

TEST_F(AuxWindowTest, CancelClosesAndDeletesTheWindow)
{
    AuxSource source(env, kKindRawFile);
    QPointer<CAuxParamDlg> w = new CAuxParamDlg(source, &view);
    w->show();
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
    // Escape as well.
    w = new CAuxParamDlg(source, &view);
    w->show();
    QTest::keyClick(w, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
}

}  // namespace
