#pragma once
// Go To Frame (dialog 125): the number of the frame to show.
#include <QDialog>

class QLineEdit;

namespace kavro {

class Prompter;

class GoToFrameDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kFrameEdit = 208;

    // prompter tells the user when the box does not hold a number, or (lastFrame 0 or
    // more) a number past the last frame of the file; the box starts at current.
    explicit GoToFrameDialog(Prompter& prompter, QWidget* parent = nullptr, int lastFrame = -1, int current = 0);

    QLineEdit* frameEdit() const { return edit_; }
    // The number entered (valid after OK).
    int frame() const { return frame_; }

    // Takes the number; a box without one is told and the dialog stays open.
    void accept() override;

private:
    Prompter& prompter_;
    QLineEdit* edit_;
    int frame_ = 0;
    int lastFrame_ = -1;
};

}  // namespace kavro
