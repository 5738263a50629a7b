// Opening sources into documents, their titles and captions, and closing them.
#include "app/CKavroDoc.h"
#include "app/CKavroFrame.h"
#include "app/CKavroView.h"
#include "app/CMainFrame.h"
#include "app/CommandTable.h"
#include "platform/Profile.h"
#include "tests/app/AppTestSupport.h"

#include <QCoreApplication>
#include <QMdiArea>

using namespace kavro;
using namespace kavro::test;

namespace {

using DocumentTest = AppFixture;

void flushDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

TEST(DocumentTitle, IsTheFilePartCutAtItsFirstFullStop)
{
    EXPECT_EQ(CKavroDoc::titleFromSourceName("/data/cast07.psd"), "cast07");
    EXPECT_EQ(CKavroDoc::titleFromSourceName("/out/run.1.psd"), "run");
    EXPECT_EQ(CKavroDoc::titleFromSourceName("abc.defg"), "abc");
    EXPECT_EQ(CKavroDoc::titleFromSourceName("Instrument"), "Instrument");
    EXPECT_EQ(CKavroDoc::titleFromSourceName("/data.d/cast"), "cast");
}

TEST(DocumentTitle, SetTitleDropsOnlyAShortExtension)
{
    EXPECT_EQ(CKavroDoc::withoutShortExtension("run.psd"), "run");
    EXPECT_EQ(CKavroDoc::withoutShortExtension("run.p"), "run");
    EXPECT_EQ(CKavroDoc::withoutShortExtension("abc.defg"), "abc.defg");
    EXPECT_EQ(CKavroDoc::withoutShortExtension("a.b.cd"), "a.b");
    EXPECT_EQ(CKavroDoc::withoutShortExtension("plain"), "plain");
}

TEST_F(DocumentTest, StartsEmptyWithMenu2AndItsCaption)
{
    CMainFrame* main = app->mainFrame();
    EXPECT_TRUE(main->frames().isEmpty());
    EXPECT_EQ(main->menuNumber(), 2);
    EXPECT_EQ(main->windowTitle(), "KAVRO");
    EXPECT_EQ(app->pendingSourceKind(), -1);
}

TEST_F(DocumentTest, OpeningAPsdFileTitlesDocumentFrameAndMainFrame)
{
    CKavroFrame* frame = openPsd(numberedFrames(3), "/out/run.1.psd");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(app->pendingSourceKind(), kKindPsdFile);
    EXPECT_EQ(frame->document().title(), "run");
    EXPECT_EQ(frame->windowTitle(), "run");
    EXPECT_EQ(app->mainFrame()->windowTitle(), "KAVRO - run");
    EXPECT_EQ(app->mainFrame()->menuNumber(), 3);
    EXPECT_TRUE(dialogs->modelAsked.empty());
    EXPECT_TRUE(dialogs->portAsked.empty());
    EXPECT_EQ(frame->view()->sourceKind(), kKindPsdFile);
    EXPECT_EQ(factory->lastLog->opened, 1);
}

TEST_F(DocumentTest, ThePsdHeadersModelBecomesTheDocumentsModel)
{
    SourceSetup setup;
    setup.modelFromFile = 2;
    CKavroFrame* frame = open(kKindPsdFile, setup);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->document().instrumentModel(), 2);
    EXPECT_EQ(frame->view()->instrumentModel(), 2);
}

TEST_F(DocumentTest, CancelInTheModelDialogOpensNothingAndWritesNothing)
{
    dialogs->modelAnswers.push_back(std::nullopt);
    EXPECT_EQ(open(kKindRawFile, SourceSetup{}), nullptr);
    EXPECT_TRUE(factory->kindsAsked.empty());  // no source was even built
    EXPECT_TRUE(app->mainFrame()->frames().isEmpty());
    EXPECT_EQ(app->mainFrame()->menuNumber(), 2);
    EXPECT_FALSE(fileExists(dir.file("kavro.INI")));
    EXPECT_TRUE(prompter->calls().empty());
}

TEST_F(DocumentTest, CancelInThePortDialogOpensNothing)
{
    dialogs->portAnswers.push_back(std::nullopt);
    EXPECT_EQ(open(kKindInstrument, SourceSetup{}), nullptr);
    EXPECT_TRUE(factory->kindsAsked.empty());
    EXPECT_EQ(app->settings().instrumentPort, "COM2:");
    EXPECT_FALSE(fileExists(dir.file("kavro.INI")));
}

TEST_F(DocumentTest, ThePortDialogStoresPortAndModelAndTheDocumentTakesTheModel)
{
    dialogs->portAnswers.push_back(InstrumentChoice{3, 2});
    SourceSetup setup;
    setup.name = "Instrument";
    CKavroFrame* frame = open(kKindInstrument, setup);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->document().instrumentModel(), 2);
    EXPECT_EQ(frame->document().title(), "Instrument");
    EXPECT_EQ(app->settings().instrumentPort, "COM4:");
    EXPECT_EQ(app->settings().lastSelectedModel, 2);
    EXPECT_EQ(app->profile().readString("Communications", "InstrumentPort", ""), "COM4:");
    EXPECT_EQ(app->profile().readInt("Instrument1", "InstrumentModel", -1), 2);
    // The device shown left as it is stores nothing; one chosen is stored, opened and
    // shown from then on.
    EXPECT_FALSE(app->profile().hasKey("Communications", "COM4Device"));
    dialogs->portAnswers.push_back(InstrumentChoice{3, 2, "/dev/pts/77"});
    ASSERT_NE(open(kKindInstrument, setup), nullptr);
    EXPECT_EQ(app->profile().readString("Communications", "COM4Device", ""), "/dev/pts/77");
    EXPECT_EQ(app->settings().instrumentDevice(3), "/dev/pts/77");
    dialogs->portAnswers.push_back(std::nullopt);
    open(kKindInstrument, setup);
    ASSERT_EQ(dialogs->portDevicesAsked.size(), 3u);
    EXPECT_EQ(dialogs->portDevicesAsked.back().mapped[3], "/dev/pts/77");
}

TEST_F(DocumentTest, TheDialogsPreselectTheStoredPortAndModel)
{
    app->profile().writeString("Instrument1", "InstrumentModel", "1");
    app->settings().instrumentPort = "COM7:";
    dialogs->portAnswers.push_back(std::nullopt);
    open(kKindInstrument, SourceSetup{});
    dialogs->modelAnswers.push_back(std::nullopt);
    open(kKindRawFile, SourceSetup{});
    ASSERT_EQ(dialogs->portAsked.size(), 1u);
    EXPECT_EQ(dialogs->portAsked[0], std::make_pair(1, 1));  // an unknown port preselects "COM2:"
    ASSERT_EQ(dialogs->modelAsked.size(), 1u);
    EXPECT_EQ(dialogs->modelAsked[0], 1);

    // A model outside the lists preselects the first entry.
    app->profile().writeString("Instrument1", "InstrumentModel", "7");
    dialogs->modelAnswers.push_back(std::nullopt);
    open(kKindRawFile, SourceSetup{});
    EXPECT_EQ(dialogs->modelAsked.back(), 0);
}

TEST_F(DocumentTest, ASourceThatAbortsOrFailsIsDiscardedSilently)
{
    for (auto result : {SourceSetup::OpenResult::UserAbort, SourceSetup::OpenResult::Failure}) {
        SourceSetup setup;
        setup.open = result;
        EXPECT_EQ(open(kKindPsdFile, setup), nullptr);
        EXPECT_EQ(factory->lastLog->opened, 1);
        EXPECT_EQ(factory->lastLog->destroyed, 1);
        EXPECT_EQ(factory->lastLog->closed, 0);
    }
    factory->noSource = true;
    EXPECT_EQ(open(kKindPsdFile, SourceSetup{}), nullptr);
    EXPECT_TRUE(app->mainFrame()->frames().isEmpty());
    EXPECT_TRUE(prompter->calls().empty());
    EXPECT_EQ(app->mainFrame()->windowTitle(), "KAVRO");
}

TEST_F(DocumentTest, ClosingAFrameClosesAndDestroysItsSourceWithoutAsking)
{
    CKavroFrame* frame = openPsd();
    ASSERT_NE(frame, nullptr);
    auto log = factory->lastLog;
    frame->close();
    flushDeferredDeletes();
    EXPECT_EQ(log->closed, 1);
    EXPECT_EQ(log->destroyed, 1);
    EXPECT_TRUE(app->mainFrame()->frames().isEmpty());
    EXPECT_EQ(app->mainFrame()->menuNumber(), 2);
    EXPECT_EQ(app->mainFrame()->windowTitle(), "KAVRO");
    EXPECT_TRUE(prompter->calls().empty());
}

TEST_F(DocumentTest, ExitClosesEverySource)
{
    openPsd();
    auto first = factory->lastLog;
    openPsd();
    auto second = factory->lastLog;
    app.reset();
    EXPECT_EQ(first->closed, 1);
    EXPECT_EQ(second->closed, 1);
    EXPECT_EQ(second->destroyed, 1);
}

TEST_F(DocumentTest, ThreeDocumentsHaveTheirOwnSourcesAndTheCaptionFollowsTheActiveOne)
{
    CKavroFrame* a = openPsd(numberedFrames(2), "/data/a.psd");
    CKavroFrame* b = openInstrument();
    CKavroFrame* c = openRaw();
    ASSERT_TRUE(a && b && c);
    EXPECT_NE(a->view()->source(), b->view()->source());
    EXPECT_NE(b->view()->source(), c->view()->source());
    app->mainFrame()->activate(a);
    EXPECT_EQ(app->mainFrame()->windowTitle(), "KAVRO - a");
    app->mainFrame()->activate(b);
    EXPECT_EQ(app->mainFrame()->windowTitle(), "KAVRO - Instrument");
}

}  // namespace
