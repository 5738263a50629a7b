// The command table, menus 2 and 3, accelerators, enable rules on the active
// child, and where each command goes.
#include "app/CKavroFrame.h"
#include "app/CKavroDoc.h"
#include "app/CKavroView.h"
#include "app/CMainFrame.h"
#include "app/CommandTable.h"
#include "app/UserGuide.h"
#include "platform/FileUtil.h"
#include "tests/app/AppTestSupport.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <filesystem>
#include <set>
#include <utility>
#include <vector>

using namespace kavro;
using namespace kavro::test;

namespace {

using CommandTest = AppFixture;

// Every item text of the menu bar as it stands.
std::set<QString> menuTexts(CMainFrame* main)
{
    std::set<QString> texts;
    for (QAction* top : main->menuBar()->actions())
        if (QMenu* menu = top->menu())
            for (QAction* item : menu->actions())
                if (!item->isSeparator())
                    texts.insert(item->text());
    return texts;
}

bool enabled(CMainFrame* main, int id)
{
    return main->action(id)->isEnabled();
}

TEST(CommandRules, EachRuleAnswersForEverySourceKind)
{
    struct Row {
        EnableRule rule;
        bool instrument, raw, psd;
    };
    for (Row r : {Row{EnableRule::Always, true, true, true}, Row{EnableRule::NotRawFile, true, false, true},
                  Row{EnableRule::NotInstrument, false, true, true}, Row{EnableRule::PsdFileOnly, false, false, true},
                  Row{EnableRule::InstrumentOnly, true, false, false}, Row{EnableRule::RawFileOnly, false, true, false},
                  Row{EnableRule::InstrumentOrRawFile, true, true, false}, Row{EnableRule::Never, false, false, false}}) {
        EXPECT_EQ(isEnabled(r.rule, kKindInstrument), r.instrument);
        EXPECT_EQ(isEnabled(r.rule, kKindRawFile), r.raw);
        EXPECT_EQ(isEnabled(r.rule, kKindPsdFile), r.psd);
    }
}

TEST_F(CommandTest, Menu2HoldsOnlyTheCommandsWithoutADocument)
{
    std::set<QString> expected = {"Open &Instrument",      "Open Ra&w Data File", "Open Particle &Distribution File",
                                  "E&xit",                 "&Build Background Scatter File", "&Output",
                                  "&Locations...",         "Edit Calibration Parameters",    "&About KAVRO...",
                                  "&Open File...",         "&User Guide"};
    EXPECT_EQ(menuTexts(app->mainFrame()), expected);
}

TEST_F(CommandTest, Menu3HoldsTheDocumentCommandsWithTheirTexts)
{
    ASSERT_NE(openPsd(), nullptr);
    std::set<QString> texts = menuTexts(app->mainFrame());
    for (const char* t : {"&Print...", "Print Pre&view", "P&rint Setup...", "&Show Frame Sequence\tCtrl+A",
                          "Go To &First\tCtrl+F", "Go To &Prev\tCtrl+P", "Go To &Next\tCtrl+N", "Go To &Last\tCtrl+L",
                          "&Go To Frame ...\tCtrl+G", "Cast &Overview", "Cast Overview in a &Window",
                          "&Accumulate and Average Frames",
                          "Show Au&xiliary Parameter Frame\tCtrl+H", "View &Rings", "Edit &Calibration Parameters",
                          "Build &Background Scatter File", "&Size Distribution Display",
                          "&Auxiliary Parameter Display", "&Cascade", "&Tile", "&Arrange Icons", "Show &Buffer",
                          "&Send Command", "&About KAVRO...", "Open &Instrument", "&Locations...", "&Output",
                          "Ne&xt\tCtrl+Tab", "Pre&vious\tCtrl+Shift+Tab", "Cl&ose\tCtrl+F4", "&1 cast07", "&Export for Analysis...",
                          "&Open File...", "&User Guide"})
        EXPECT_TRUE(texts.count(t)) << t;
    EXPECT_FALSE(texts.count("Edit Calibration Parameters"));  // menu 2's text
    EXPECT_EQ(texts.size(), 37u);
}

// Each menu's title and items, in order, separators left out.
std::vector<std::pair<QString, QStringList>> menuLayout(CMainFrame* main)
{
    std::vector<std::pair<QString, QStringList>> out;
    for (QAction* top : main->menuBar()->actions()) {
        QStringList items;
        for (QAction* item : top->menu()->actions())
            if (!item->isSeparator())
                items << item->text();
        out.emplace_back(top->text(), items);
    }
    return out;
}

TEST_F(CommandTest, TheCommandsStandUnderTheMenusTheirWindowsNameThem)
{
    using Layout = std::vector<std::pair<QString, QStringList>>;
    EXPECT_EQ(menuLayout(app->mainFrame()),
              (Layout{{"&File",
                       {"Open &Instrument", "Open Ra&w Data File", "Open Particle &Distribution File",
                        "&Open File...", "&Build Background Scatter File", "E&xit"}},
                      {"&Options", {"&Output", "&Locations...", "Edit Calibration Parameters"}},
                      {"&Help", {"&User Guide", "&About KAVRO..."}}}));
    ASSERT_NE(openPsd(), nullptr);
    EXPECT_EQ(menuLayout(app->mainFrame()),
              (Layout{{"&File",
                       {"Open &Instrument", "Open Ra&w Data File", "Open Particle &Distribution File",
                        "&Open File...", "&Export for Analysis...", "Build &Background Scatter File", "&Print...", "Print Pre&view", "P&rint Setup...", "E&xit"}},
                      {"&DataFrames",
                       {"&Show Frame Sequence\tCtrl+A", "Go To &First\tCtrl+F", "Go To &Prev\tCtrl+P",
                        "Go To &Next\tCtrl+N", "Go To &Last\tCtrl+L", "&Go To Frame ...\tCtrl+G",
                        "Cast &Overview", "Cast Overview in a &Window", "Show Au&xiliary Parameter Frame\tCtrl+H", "View &Rings", "&Accumulate and Average Frames"}},
                      {"&Comm", {"Show &Buffer", "&Send Command"}},
                      {"&Options",
                       {"&Size Distribution Display", "&Auxiliary Parameter Display", "&Output", "&Locations...",
                        "Edit &Calibration Parameters"}},
                      {"&Window",
                       {"&Cascade", "&Tile", "&Arrange Icons", "Ne&xt\tCtrl+Tab", "Pre&vious\tCtrl+Shift+Tab",
                        "Cl&ose\tCtrl+F4", "&1 cast07"}},
                      {"&Help", {"&User Guide", "&About KAVRO..."}}}));
}

TEST_F(CommandTest, TheDocumentAcceleratorsExistOnlyWithMenu3)
{
    CMainFrame* main = app->mainFrame();
    EXPECT_TRUE(main->action(cmd::GoToNext)->shortcut().isEmpty());
    ASSERT_NE(openPsd(), nullptr);
    // Every key a menu text shows is bound.
    const std::pair<int, const char*> keys[] = {
        {cmd::ShowFrameSequence, "Ctrl+A"}, {cmd::GoToFirst, "Ctrl+F"},      {cmd::GoToFrame, "Ctrl+G"},
        {cmd::GoToLast, "Ctrl+L"},          {cmd::GoToNext, "Ctrl+N"},       {cmd::GoToPrev, "Ctrl+P"},
        {cmd::AuxParameterFrame, "Ctrl+H"}, {cmd::CloseWindow, "Ctrl+F4"},   {cmd::NextWindow, "Ctrl+Tab"},
        {cmd::PreviousWindow, "Ctrl+Shift+Tab"}};
    for (auto [id, key] : keys) {
        EXPECT_EQ(main->action(id)->shortcut(), QKeySequence(key)) << key;
        EXPECT_TRUE(main->action(id)->text().endsWith(QString("\t") + key)) << key;
    }
    EXPECT_TRUE(main->action(cmd::Help)->shortcut().isEmpty());
    EXPECT_FALSE(enabled(main, cmd::Help));
    EXPECT_FALSE(enabled(main, cmd::HelpIndex));
}

// The desktop's usual keys where the command table leaves them free: bound with and
// without a document, each on its own command.
TEST_F(CommandTest, TheStandardKeysOpenQuitAndHelpInBothMenus)
{
    CMainFrame* main = app->mainFrame();
    const std::pair<int, const char*> keys[] = {{cmd::OpenFile, "Ctrl+O"}, {cmd::Exit, "Ctrl+Q"}, {cmd::UserGuide, "F1"}};
    for (bool document : {false, true}) {
        if (document)
            ASSERT_NE(openPsd(), nullptr);
        SCOPED_TRACE(document ? "menu 3" : "menu 2");
        std::set<QKeySequence> taken;
        for (const Command& c : commandTable())
            if (QKeySequence key = main->action(c.id)->shortcut(); !key.isEmpty())
                EXPECT_TRUE(taken.insert(key).second) << key.toString().toStdString();
        for (auto [id, key] : keys) {
            EXPECT_EQ(main->action(id)->shortcut(), QKeySequence(key)) << key;
            EXPECT_TRUE(enabled(main, id)) << key;
        }
    }
}

TEST_F(CommandTest, OpenFileOpensByTheExtensionAndF1ShowsTheUserGuide)
{
    const std::string psd = dir.file("cast.PSD");
    const std::string raw = dir.file("cast.dat");
    writeFile(psd, "x");
    writeFile(raw, "x");
    dialogs->modelAnswers.push_back(0);
    prompter->choose(psd).choose(raw);
    for (int i = 0; i < 2; ++i)
        app->mainFrame()->action(cmd::OpenFile)->trigger();
    EXPECT_EQ(factory->kindsAsked, (std::vector<int>{kKindPsdFile, kKindRawFile}));
    ASSERT_EQ(prompter->calls().size(), 2u);
    EXPECT_EQ(prompter->calls()[0].request.title, "Open File");
    EXPECT_TRUE(prompter->calls()[0].request.mustExist);
    EXPECT_EQ(app->mainFrame()->frames().size(), 2);

    app->mainFrame()->action(cmd::UserGuide)->trigger();
    ASSERT_EQ(documentsShown.size(), 1u);
    EXPECT_TRUE(sameFile(documentsShown[0], std::string(KAVRO_SOURCE_DIR) + "/docs/desktop.md")) << documentsShown[0];
    EXPECT_TRUE(prompter->messages().empty());
}

TEST(UserGuide, IsFoundInstalledBesideTheProgramOrInTheSourceTree)
{
    TempDir dir;
    std::filesystem::create_directories(dir.file("prefix/bin"));
    std::filesystem::create_directories(dir.file("prefix/share/doc/kavro"));
    std::filesystem::create_directories(dir.file("src/docs"));
    std::filesystem::create_directories(dir.file("prefix/bin/docs"));
    const std::string installed = dir.file("prefix/share/doc/kavro/desktop.md");
    const std::string oneFolder = dir.file("prefix/bin/docs/desktop.md");  // the Windows installation
    const std::string source = dir.file("src/docs/desktop.md");
    struct Row {
        bool installed, inOneFolder, inSource;
        std::string found;
    };
    for (const Row& row : {Row{true, false, true, installed}, Row{false, false, true, source},
                           Row{true, false, false, installed}, Row{false, true, true, oneFolder},
                           Row{false, false, false, ""}}) {
        for (const std::string& f : {installed, oneFolder, source})
            std::filesystem::remove(f);
        if (row.installed)
            writeFile(installed, "# guide\n");
        if (row.inOneFolder)
            writeFile(oneFolder, "# guide\n");
        if (row.inSource)
            writeFile(source, "# guide\n");
        const std::string found = findUserGuide(dir.file("prefix/bin"), dir.file("src/docs"));
        EXPECT_TRUE(row.found.empty() ? found.empty() : sameFile(found, row.found))
            << found << " " << row.installed << row.inOneFolder << row.inSource;
    }
    EXPECT_EQ(findUserGuide(dir.file("prefix/bin"), ""), "");
}

TEST_F(CommandTest, EnableRulesFollowTheActiveChildAcrossThreeDocuments)
{
    CKavroFrame* psd = openPsd();
    CKavroFrame* instrument = openInstrument();
    CKavroFrame* raw = openRaw();
    ASSERT_TRUE(psd && instrument && raw);
    CMainFrame* main = app->mainFrame();
    struct Expect {
        CKavroFrame* frame;
        bool sequence, first, goTo, accumulate, rings, sizeDisplay, auxDisplay, buffer;
    };
    for (Expect e : {Expect{psd, true, true, true, false, false, true, false, false},
                     Expect{instrument, true, false, false, true, true, true, false, true},
                     Expect{raw, false, true, false, false, true, false, true, false},
                     Expect{psd, true, true, true, false, false, true, false, false}}) {
        main->activate(e.frame);
        ASSERT_EQ(main->activeFrame(), e.frame);
        SCOPED_TRACE(e.frame->document().title());
        EXPECT_EQ(enabled(main, cmd::ShowFrameSequence), e.sequence);
        EXPECT_EQ(enabled(main, cmd::GoToFirst), e.first);
        EXPECT_EQ(enabled(main, cmd::GoToPrev), e.first);
        EXPECT_EQ(enabled(main, cmd::GoToLast), e.first);
        EXPECT_TRUE(enabled(main, cmd::GoToNext));
        EXPECT_EQ(enabled(main, cmd::GoToFrame), e.goTo);
        EXPECT_EQ(enabled(main, cmd::AccumulateAverage), e.accumulate);
        EXPECT_EQ(enabled(main, cmd::ViewRings), e.rings);
        EXPECT_EQ(enabled(main, cmd::SizeDistributionDisplay), e.sizeDisplay);
        EXPECT_EQ(enabled(main, cmd::AuxParameterDisplay), e.auxDisplay);
        EXPECT_EQ(enabled(main, cmd::ShowBuffer), e.buffer);
        EXPECT_EQ(enabled(main, cmd::SendCommand), e.buffer);
        EXPECT_TRUE(enabled(main, cmd::Print));
        EXPECT_TRUE(enabled(main, cmd::AuxParameterFrame));
    }
}

TEST_F(CommandTest, ADisabledCommandDoesNotRun)
{
    CKavroFrame* psd = openPsd();
    ASSERT_NE(psd, nullptr);
    app->mainFrame()->action(cmd::SendCommand)->trigger();
    EXPECT_TRUE(hooks->calls.empty());
}

TEST_F(CommandTest, LaterWindowsAreReachedThroughTheirHooks)
{
    CMainFrame* main = app->mainFrame();
    for (int id : {cmd::BuildBackground, cmd::Output, cmd::Locations, cmd::EditCalibration})
        main->action(id)->trigger();
    EXPECT_EQ(hooks->calls, (std::vector<std::string>{"buildBackground", "output", "locations", "editCalibration"}));

    hooks->calls.clear();
    ASSERT_NE(openInstrument(), nullptr);
    for (int id : {cmd::ShowBuffer, cmd::SendCommand, cmd::AccumulateAverage, cmd::ViewRings, cmd::AuxParameterFrame,
                   cmd::SizeDistributionDisplay})
        main->action(id)->trigger();
    EXPECT_EQ(hooks->calls, (std::vector<std::string>{"showBuffer", "sendCommand", "accumulate", "viewRings",
                                                      "auxFrame", "sizeDisplay"}));
}

TEST_F(CommandTest, ACompanionWindowThatFailsLeavesTheCommandWithoutEffect)
{
    hooks->ringsThrow = true;
    ASSERT_NE(openInstrument(), nullptr);
    app->mainFrame()->action(cmd::ViewRings)->trigger();
    EXPECT_EQ(hooks->calls, std::vector<std::string>{"viewRings"});
    EXPECT_EQ(app->mainFrame()->frames().size(), 1);
}

TEST_F(CommandTest, ARawFileBuildsItsLayoutThroughTheHookAndPagesInsteadOfMoving)
{
    CKavroFrame* raw = openRaw();
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->view()->sizeLayout(), nullptr);
    EXPECT_EQ(raw->view()->navigator(), nullptr);
    EXPECT_EQ(raw->size(), QSize(540, 420));  // the frame's size at creation, until its layout sizes it
    app->mainFrame()->action(cmd::GoToLast)->trigger();
    app->mainFrame()->action(cmd::GoToFirst)->trigger();
    EXPECT_EQ(hooks->calls, (std::vector<std::string>{"rawLayout", "rawPage:32793", "rawPage:32794"}));
    EXPECT_EQ(raw->view()->source()->currentFrame(), 0);
}

TEST_F(CommandTest, AboutAndPrintSetupAreTheApplications)
{
    app->mainFrame()->action(cmd::About)->trigger();
    EXPECT_EQ(dialogs->aboutShown, 1);
    ASSERT_NE(openPsd(), nullptr);
    app->mainFrame()->action(cmd::PrintSetup)->trigger();
    EXPECT_EQ(dialogs->pageSetups, 1);
}

}  // namespace
