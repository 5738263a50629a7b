#pragma once
// The Cast Overview of a .psd view: the whole file in one picture with a cursor
// at the view's frame, which follows the navigation and the animation; a click
// on the picture moves the view to the frame under it.  Printable, and saved as
// PNG, PDF or SVG through the same drawing as kavro-cli plot.
#include <QDialog>

class QPushButton;

namespace kavro {

class CPDFile;
struct CastSummary;

class CCastOverviewWnd;
class CKavroView;

class CastOverviewWindow : public QDialog {
    Q_OBJECT
public:
    // Columns the cast is binned into: about a wide screen's width.
    static constexpr int kColumns = 1920;

    // Modeless, owned by the view's widget; reads the view's .psd file once.
    // Throws std::runtime_error when the file cannot be read.
    explicit CastOverviewWindow(CKavroView& view);

    // The whole file binned for a picture about a screen wide, along its time stamps
    // (frames when it has none).  Throws std::runtime_error when it cannot be read.
    static CastSummary summaryOf(const CPDFile& file);

    // The view has moved to another frame.
    void followView();

    CCastOverviewWnd* picture() const { return picture_; }
    QPushButton* printButton() const { return printButton_; }
    QPushButton* saveButton() const { return saveButton_; }

    void print();
    void savePicture();

private:
    CKavroView& view_;
    CCastOverviewWnd* picture_;
    QPushButton* printButton_;
    QPushButton* saveButton_;
};

}  // namespace kavro
