#include "app/CastOverviewWindow.h"

#include "app/AppDialogs.h"
#include "app/CKavroApp.h"
#include "app/CKavroView.h"
#include "app/CMainFrame.h"
#include "app/FrameNavigator.h"
#include "app/ShellLook.h"
#include "app/ViewPrinter.h"
#include "core/CPDFile.h"
#include "platform/FileUtil.h"
#include "platform/Prompter.h"
#include "plots/CCastOverviewWnd.h"
#include "plots/cast/QuickLook.h"
#include "products/CastSummary.h"
#include "resources/AppTexts.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>
#include <stdexcept>

namespace kavro {

CastOverviewWindow::CastOverviewWindow(CKavroView& view)
    : QDialog(&view), view_(view), picture_(new CCastOverviewWnd(this)),
      printButton_(new QPushButton(QString::fromUtf8(text::kCastPrintButton), this)),
      saveButton_(new QPushButton(QString::fromUtf8(text::kCastSaveButton), this))
{
    const auto* file = dynamic_cast<const CPDFile*>(view.source());
    if (!file)
        throw std::runtime_error("not a .psd view");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setWindowTitle(QString::fromUtf8(text::kCastOverviewTitle) + QString::fromStdString(fileNamePart(file->sourceName())));

    picture_->setSummary(summaryOf(*file));
    picture_->setMinimumSize(480, 320);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(printButton_);
    buttons->addWidget(saveButton_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(picture_, 1);
    layout->addLayout(buttons);
    resize(1100, 720);

    connect(picture_, &CCastOverviewWnd::frameClicked, this, [this](long long frame) {
        if (FrameNavigator* navigator = view_.navigator())
            navigator->goTo(static_cast<int>(frame));
    });
    connect(printButton_, &QPushButton::clicked, this, &CastOverviewWindow::print);
    connect(saveButton_, &QPushButton::clicked, this, &CastOverviewWindow::savePicture);
    followView();
}

CastSummary CastOverviewWindow::summaryOf(const CPDFile& file)
{
    // A time file that cannot be read leaves frames across; the picture still helps.
    std::string timeError;
    return summariseCast(castSourceOf(file, timeError), kColumns, CastAxis::Time);
}

void CastOverviewWindow::followView()
{
    if (const CDataSource* source = view_.source())
        picture_->setCurrentFrame(source->frameNumber());
}

void CastOverviewWindow::print()
{
    CKavroApp& app = view_.app();
    QPrinter& printer = app.printer();
    if (!app.dialogs().askPrint(printer))
        return;
    // The picture fills the page, its text at the size it has on the screen.
    QPainter painter;
    bool printed = painter.begin(&printer);
    if (printed) {
        const QTransform mapping = ViewPrinter::pageMapping(printer, *picture_);
        painter.setTransform(mapping);
        const QRectF page = mapping.inverted().mapRect(QRectF(0, 0, printer.width(), printer.height()));
        picture_->drawAt(painter, page.size().toSize());
        printed = painter.end();
    }
    if (!printed)
        app.prompter().message(text::kPrintFailed, MessageIcon::Exclamation);
}

void CastOverviewWindow::savePicture()
{
    CKavroApp& app = view_.app();
    FileDialogRequest request;
    request.title = text::kCastSaveTitle;
    request.filter = pictureFormatBuilt(PictureFormat::Svg) ? text::kCastSaveFilter : text::kCastSaveFilterNoSvg;
    request.initialName = stemBeforeFirstDot(fileNamePart(picture_->summary().source.path)) + ".png";
    request.initialDirectory = directoryPart(picture_->summary().source.path);
    request.defaultExtension = "png";
    request.overwritePrompt = true;
    const std::optional<std::string> path = app.prompter().saveFile(request);
    if (!path)
        return;
    PictureFormat format = pictureFormatOf(*path);
    if (format == PictureFormat::Unknown)
        format = PictureFormat::Png;
    if (!writeQuickLook(picture_->summary(), *path, format, picture_->clientWidth(), picture_->clientHeight(), false))
        app.prompter().message(text::kCastSaveFailed + *path, MessageIcon::Exclamation);
    else if (app.mainFrame())
        app.mainFrame()->tell(text::kCastSaved + *path);
}

}  // namespace kavro
