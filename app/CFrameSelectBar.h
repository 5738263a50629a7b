#pragma once
// The frame-select bar (dialog 114) docked under a raw-data-file view: the frame
// under the auxiliary graph's cursor, the first and last frame of the range to
// process, the page buttons, Select First/Last and Process File.
#include <QWidget>
#include <map>
#include <optional>
#include <utility>

class QLineEdit;
class QPushButton;

namespace kavro {

class Prompter;

class CFrameSelectBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDialogId = 114;
    // Control ids.
    static constexpr int kCurrentEdit = 141;
    static constexpr int kFirstEdit = 139;
    static constexpr int kLastEdit = 140;
    static constexpr int kFirstButton = 147;
    static constexpr int kPrevButton = 148;
    static constexpr int kNextButton = 149;
    static constexpr int kLastButton = 150;
    static constexpr int kSelectFirstButton = 137;
    static constexpr int kSelectLastButton = 138;
    static constexpr int kProcessButton = 142;

    // prompter tells a refused selection.
    explicit CFrameSelectBar(Prompter& prompter, QWidget* parent = nullptr);

    void setCurrentFrame(int frame);
    // Sets both ends as they are (the graph's whole file at first).
    void setSelection(int first, int last);
    // Select First / Select Last: the value is taken only when it keeps first <= last,
    // else the bar tells the user and keeps both.  True when taken.
    bool selectFirst(int frame);
    bool selectLast(int frame);
    // The range the boxes hold, for a recording of frameCount frames; nothing (and
    // the user told why) when a box holds no integer, the range is reversed, or its
    // first frame lies outside the recording.  A last frame beyond the recording
    // stands for its end.
    std::optional<std::pair<int, int>> rangeForProcessing(int frameCount);

    int currentFrame() const { return current_; }
    int first() const { return first_; }
    int last() const { return last_; }
    QLineEdit* edit(int id) const;
    QPushButton* button(int id) const;

signals:
    // A page button's command (First, Prev, Next, Last).
    void command(int commandId);
    void selectFirstClicked();
    void selectLastClicked();
    void processClicked();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPushButton* addButton(int id, const char* text);
    QLineEdit* addEdit(int id);
    // Both ends when first <= last; else the message, and both stay.
    bool trySelection(int first, int last);
    // What a box holds now: typed text when it is an integer, else the value last set.
    int boxValue(int id, int stored) const;

    Prompter& prompter_;
    int current_ = 0;
    int first_ = 0;
    int last_ = 0;
    std::map<int, QPushButton*> buttons_;
    std::map<int, QLineEdit*> edits_;
};

}  // namespace kavro
