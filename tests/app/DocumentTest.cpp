// Opening sources into documents, their titles and captions, and closing them.
#include "app/CKavroDoc.h"
#include "app/CKavroFrame.h"
#include "app/CKavroView.h"
#include "app/CMainFrame.h"
#include "app/CommandTable.h"
#include "platform/Profile.h"
#include "tests/app/AppTestSupport.h"

#include "app/WindowArrangement.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QMdiArea>
#include <QTest>

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
    EXPECT_TRUE(factory->kindsAsked.empty());
    // The empty workspace says what to do, and, with no calibration folder set, where it is set.
    QLabel* hint = main->emptyHint();
    EXPECT_FALSE(hint->isHidden());
    EXPECT_TRUE(hint->text().contains("Open Raw Data File")) << hint->text().toStdString();
    EXPECT_TRUE(hint->text().contains("Options > Locations"));
    EXPECT_TRUE(hint->text().contains(QString::fromStdString(dir.path())));
    CKavroFrame* frame = openPsd();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(hint->isHidden());
    frame->close();
    flushDeferredDeletes();
    EXPECT_FALSE(hint->isHidden());
    // A folder set in the profile: the hint no longer asks for one.
    app->profile().writeString("Directories", "CalFiles", dir.path());
    app->settings().load(app->profile(), dir.path());
    main->updateEmptyHint();
    EXPECT_FALSE(hint->text().contains("Options > Locations"));
}

TEST_F(DocumentTest, OpeningAPsdFileTitlesDocumentFrameAndMainFrame)
{
    CKavroFrame* frame = openPsd(numberedFrames(3), "/out/run.1.psd");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(factory->kindsAsked, std::vector<int>{kKindPsdFile});
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

TEST_F(DocumentTest, WindowsOnTheSameFileOrPortAreNumberedAndListedInTheWindowMenu)
{
    CMainFrame* main = app->mainFrame();
    CKavroFrame* a = openPsd(numberedFrames(2), "/data/cast07.psd");
    CKavroFrame* b = openPsd(numberedFrames(2), "/other/cast07.psd");
    CKavroFrame* c = openInstrument();
    CKavroFrame* d = openInstrument();
    ASSERT_TRUE(a && b && c && d);
    EXPECT_EQ(a->windowTitle(), "cast07");
    EXPECT_EQ(b->windowTitle(), "cast07:2");
    EXPECT_EQ(d->windowTitle(), "Instrument:2");
    EXPECT_EQ(main->windowTitle(), "KAVRO - Instrument:2");
    auto listed = [main] {
        QStringList out;
        for (QAction* item : main->windowListActions())
            out << item->text() + (item->isChecked() ? " *" : "");
        return out;
    };
    EXPECT_EQ(listed(), (QStringList{"&1 cast07", "&2 cast07:2", "&3 Instrument", "&4 Instrument:2 *"}));
    main->windowListActions().front()->trigger();
    EXPECT_EQ(main->activeFrame(), a);
    EXPECT_EQ(listed(), (QStringList{"&1 cast07 *", "&2 cast07:2", "&3 Instrument", "&4 Instrument:2"}));

    // Ctrl+Tab goes to the next window, Ctrl+F4 closes the active one.
    QApplication::setActiveWindow(main);
    QTest::keyClick(main, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(main->activeFrame(), b);
    QTest::keyClick(main, Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(main->activeFrame(), a);
    main->activate(b);
    QTest::keyClick(main, Qt::Key_F4, Qt::ControlModifier);
    QCoreApplication::processEvents();
    flushDeferredDeletes();
    EXPECT_EQ(main->frames(), (QList<CKavroFrame*>{a, c, d}));
    EXPECT_EQ(listed().size(), 3);
    // The number set free is taken again.
    CKavroFrame* e = openPsd(numberedFrames(2), "/data/cast07.psd");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->windowTitle(), "cast07:2");
}

TEST(WindowArrangement, NewWindowsGoInsideTheVisibleAreaWhereTheyFit)
{
    const QSize area(1200, 650), size(612, 520);
    EXPECT_EQ(arrangement::placeNewWindow(size, {}, area), QPoint(0, 0));
    // Beside the first; the third overlaps least, but stays inside the area.
    const QRect first(QPoint(0, 0), size);
    EXPECT_EQ(arrangement::placeNewWindow(size, {first}, area), QPoint(588, 0));
    const QRect second(QPoint(588, 0), size);
    const QPoint third = arrangement::placeNewWindow(size, {first, second}, area);
    EXPECT_TRUE(QRect(QPoint(0, 0), area).contains(QRect(third, size)));
    // A window larger than the area stands at its top-left corner; the area scrolls.
    EXPECT_EQ(arrangement::placeNewWindow(QSize(1500, 900), {first}, area), QPoint(0, 0));
}

TEST(WindowArrangement, CascadeKeepsEveryWindowAtItsContentSizeAndTileKeepsThemInside)
{
    const QList<QSize> sizes{{612, 520}, {612, 540}, {540, 420}, {612, 520}, {612, 520}, {612, 520}};
    const QList<QRect> cascade = arrangement::cascade(sizes, QSize(1200, 600));
    ASSERT_EQ(cascade.size(), sizes.size());
    for (qsizetype i = 0; i < sizes.size(); ++i)
        EXPECT_EQ(cascade[i].size(), sizes[i]) << i;
    EXPECT_EQ(cascade[1].topLeft(), QPoint(26, 26));
    // A window that would run past the bottom starts a new run at the top.
    for (const QRect& r : cascade)
        EXPECT_TRUE(r.top() == 0 || r.bottom() < 600) << r.y();
    EXPECT_EQ(cascade[4], QRect(130, 0, 612, 520));
    EXPECT_EQ(cascade[5].topLeft(), QPoint(156, 26));

    // Tile: every window inside the area, none over another; each at least at its
    // content size where the cells can hold the largest.
    struct Row {
        const char* what;
        QSize area;
        QList<QSize> sizes;
        bool holdsThem;
    };
    for (const Row& r : {Row{"six that cannot fit", QSize(1200, 650), sizes, false},
                         Row{"two small ones", QSize(1200, 650), {{200, 100}, {200, 100}}, true},
                         Row{"two instrument windows with their overview at 1366 x 768", QSize(1366, 690),
                             {{1150, 560}, {1150, 560}}, false},
                         Row{"four .psd windows at 1366 x 768", QSize(1366, 690), QList<QSize>(4, QSize(612, 470)), false},
                         Row{"four .psd windows at 1920 x 1080", QSize(1920, 1000), QList<QSize>(4, QSize(612, 470)), true},
                         Row{"one", QSize(1366, 690), {{612, 470}}, true}}) {
        const QList<QRect> tiles = arrangement::tile(r.sizes, r.area);
        ASSERT_EQ(tiles.size(), r.sizes.size()) << r.what;
        for (qsizetype i = 0; i < tiles.size(); ++i) {
            EXPECT_TRUE(QRect(QPoint(0, 0), r.area).contains(tiles[i])) << r.what << " " << i;
            if (r.holdsThem) {
                EXPECT_GE(tiles[i].width(), r.sizes[i].width()) << r.what << " " << i;
                EXPECT_GE(tiles[i].height(), r.sizes[i].height()) << r.what << " " << i;
            }
            for (qsizetype j = 0; j < i; ++j)
                EXPECT_FALSE(tiles[i].intersects(tiles[j])) << r.what << " " << i << " " << j;
        }
    }
    // Small windows share the area: two columns of half its width.
    const QList<QRect> small = arrangement::tile({{200, 100}, {200, 100}}, QSize(1200, 650));
    EXPECT_EQ(small[1], QRect(600, 0, 600, 650));
    // Windows too wide for two columns stand one above the other, at the full width.
    const QList<QRect> wide = arrangement::tile({{1150, 300}, {1150, 300}}, QSize(1366, 690));
    EXPECT_EQ(wide[1], QRect(0, 345, 1366, 345));
}

TEST_F(DocumentTest, CascadeKeepsTheViewsWholeAndTheAreaScrollsToWhatLiesOutside)
{
    CMainFrame* main = app->mainFrame();
    QList<CKavroFrame*> opened;
    for (int i = 0; i < 4; ++i)
        opened << openPsd(numberedFrames(2), "/data/cast" + std::to_string(i) + ".psd");
    const QSize area = main->mdiArea()->viewport()->size();
    for (CKavroFrame* f : opened) {
        ASSERT_NE(f, nullptr);
        // A new window lies inside the visible area whenever it fits there.
        if (f->width() <= area.width() && f->height() <= area.height()) {
            EXPECT_TRUE(QRect(QPoint(0, 0), area).contains(f->geometry())) << f->windowTitle().toStdString();
        }
    }
    main->action(cmd::Cascade)->trigger();
    for (CKavroFrame* f : opened)
        EXPECT_EQ(f->size(), f->contentSize()) << f->windowTitle().toStdString();
    EXPECT_EQ(main->activeFrame(), opened.back());
    main->action(cmd::Tile)->trigger();
    QCoreApplication::processEvents();
    for (CKavroFrame* f : opened)
        EXPECT_TRUE(QRect(QPoint(0, 0), area).contains(f->geometry())) << f->windowTitle().toStdString();
    EXPECT_EQ(main->mdiArea()->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_EQ(main->mdiArea()->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    // Each window Ctrl+Tab (or the Window menu) brings forward is scrolled into view:
    // two moved beyond the right and the bottom edge.
    opened[1]->move(area.width() - 40, 10);
    opened[2]->move(10, area.height() - 40);
    QCoreApplication::processEvents();
    for (int step = 0; step < 2 * opened.size(); ++step) {
        main->action(cmd::NextWindow)->trigger();
        QCoreApplication::processEvents();
        const QRect r = main->activeFrame()->geometry();
        EXPECT_TRUE(QRect(QPoint(0, 0), area).contains(r.topLeft())) << step;
        if (r.width() <= area.width() && r.height() <= area.height()) {
            EXPECT_TRUE(QRect(QPoint(0, 0), area).contains(r)) << step;
        }
    }
}

}  // namespace
