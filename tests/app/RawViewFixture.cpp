#include "tests/app/RawViewFixture.h"

#include "acquisition/CRawFile.h"
#include "app/BackgroundHooks.h"
#include "app/CKavroFrame.h"
#include "app/CKavroView.h"
#include "app/CMainFrame.h"
#include "app/CommandTable.h"
#include "app/ProgramHooks.h"
#include "app/RawFileView.h"
#include "app/RawViewHooks.h"

#include <QAction>
#include <stdexcept>

namespace kavro::test {

std::vector<std::uint16_t> browsingFrame(int i)
{
    std::vector<std::uint16_t> w(40, 1000);
    w[0] = static_cast<std::uint16_t>(16 * i % 4096);
    w[32] = static_cast<std::uint16_t>(2000 + i);
    w[33] = 2000;
    w[34] = 0;
    w[35] = 1000;
    w[36] = static_cast<std::uint16_t>(100 + i);
    w[37] = 2150;
    return w;
}

namespace {

// The raw view's and the background windows' hooks, their dialogs shown by run.
std::unique_ptr<CommandHooks> rawViewAndRings(const DialogRunner& run)
{
    auto hooks = std::make_unique<ProgramHooks>();
    hooks->add(std::make_unique<RawViewHooks>(run));
    hooks->add(std::make_unique<BackgroundHooks>(run));
    return hooks;
}

}  // namespace

RawViewFixture::RawViewFixture(std::unique_ptr<SourceFactory> sources)
    : AppFixture(std::move(sources), rawViewAndRings([this](QDialog& dialog) {
          ++dialogsShown;
          if (dialogScript.empty())
              throw std::logic_error("unexpected dialog " + dialog.windowTitle().toStdString());
          auto answer = std::move(dialogScript.front());
          dialogScript.pop_front();
          dialog.setResult(QDialog::Rejected);
          answer(dialog);
          return dialog.result();
      }))
{
    app->settings().calFiles = cal.dir.path();
    recording = cal.path("cast.raw");
}

CKavroFrame* RawViewFixture::openRecording(int frames, const std::string& psd,
                                           const std::function<std::vector<std::uint16_t>(int)>& frame)
{
    std::vector<std::vector<std::uint16_t>> records;
    for (int i = 0; i < frames; ++i)
        records.push_back(frame(i));
    writeFile(recording, rawRecords(records));
    dialogs->modelAnswers.push_back(0);
    prompter->choose(recording)
        .choose(cal.path("RingArea_a.asc"))
        .choose(cal.path("zsc.asc"))
        .choose(psd.empty() ? cal.path("cast.psd") : psd);
    const int before = static_cast<int>(app->mainFrame()->frames().size());
    command(cmd::OpenRawFile);
    if (static_cast<int>(app->mainFrame()->frames().size()) == before)
        return nullptr;
    return app->mainFrame()->activeFrame();
}

RawFileView* RawViewFixture::rawView(CKavroFrame* frame) const
{
    return RawFileView::of(*frame->view());
}

CRawFile* RawViewFixture::rawSource(CKavroFrame* frame) const
{
    return dynamic_cast<CRawFile*>(frame->view()->source());
}

void RawViewFixture::command(int id)
{
    app->mainFrame()->updateCommandStates();
    app->mainFrame()->action(id)->trigger();
}

CAuxParamDlg* RawViewFixture::showAuxWindow(CKavroFrame* frame)
{
    command(cmd::AuxParameterFrame);
    return auxWindowOf(*frame->view());
}

}  // namespace kavro::test
