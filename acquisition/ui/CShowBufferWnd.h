#pragma once
// The receive-buffer window of an instrument view: the last text the instrument
// sent (a frame, or the reply to a typed command), its length and how many texts
// have come since the window opened.  At most one per view; it stands over the
// view as a modeless window and dies with it.
#include <QDialog>
#include <string>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kavro {

class CShowBufferWnd : public QDialog {
    Q_OBJECT
public:
    // The view's window, or null while it has none.
    static CShowBufferWnd* of(QWidget& view);
    // Opens the view's window unless it has one already; the window either way.
    static CShowBufferWnd* openFor(QWidget& view);

    explicit CShowBufferWnd(QWidget& view);

    // A new text from the instrument: shown with its length, and counted; a rejected
    // frame text (nothing was written for it) is counted among the rejected as well.
    void showText(const std::string& text, bool rejected = false);

    const std::string& text() const { return text_; }
    int length() const { return length_; }
    int count() const { return count_; }
    int rejected() const { return rejected_; }
    QPlainTextEdit* textBox() const { return textBox_; }
    QLineEdit* lengthBox() const { return lengthBox_; }
    QLineEdit* countBox() const { return countBox_; }
    QLineEdit* rejectedBox() const { return rejectedBox_; }
    QPushButton* cancelButton() const { return cancel_; }

    // Cancel (also Escape and the window's close button): the window leaves its view
    // at once, so that Show Buffer opens a new one, and deletes itself.
    void reject() override;

private:
    std::string text_;
    int length_ = 0;
    int count_ = 0;
    int rejected_ = 0;
    QPlainTextEdit* textBox_;
    QLineEdit* lengthBox_;
    QLineEdit* countBox_;
    QLineEdit* rejectedBox_;
    QPushButton* cancel_;
};

}  // namespace kavro
