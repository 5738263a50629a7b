#include "app/CFrameSelectBar.h"

#include "app/CommandTable.h"
#include "app/ShellLook.h"
#include "platform/NumText.h"
#include "platform/Prompter.h"
#include "resources/AppTexts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>

namespace kavro {

CFrameSelectBar::CFrameSelectBar(Prompter& prompter, QWidget* parent) : QWidget(parent), prompter_(prompter)
{
    paintLightGrey(this);
    // The page buttons around the cursor's frame; the range and Process File below.
    auto* pages = new QHBoxLayout;
    pages->addWidget(addButton(kFirstButton, text::kFirstButton));
    pages->addWidget(addButton(kPrevButton, text::kPrevButton));
    pages->addSpacing(6);
    pages->addWidget(new QLabel(QString::fromUtf8(text::kSelectFrameLabel), this));
    pages->addWidget(addEdit(kCurrentEdit));
    pages->addSpacing(6);
    pages->addWidget(addButton(kNextButton, text::kNextButton));
    pages->addWidget(addButton(kLastButton, text::kLastButton));
    pages->addStretch(1);
    auto* range = new QHBoxLayout;
    range->addWidget(addButton(kSelectFirstButton, text::kSelectFirstButton));
    range->addWidget(addEdit(kFirstEdit));
    range->addSpacing(6);
    range->addWidget(addButton(kSelectLastButton, text::kSelectLastButton));
    range->addWidget(addEdit(kLastEdit));
    range->addSpacing(6);
    range->addWidget(addButton(kProcessButton, text::kProcessFileButton));
    range->addStretch(1);
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(6, 5, 6, 4);
    rows->setSpacing(3);
    for (QHBoxLayout* row : {pages, range}) {
        row->setSpacing(4);
        rows->addLayout(row);
    }
    edits_.at(kCurrentEdit)->setReadOnly(true);

    const std::pair<int, int> pageCommands[] = {{kFirstButton, cmd::GoToFirst},
                                                {kPrevButton, cmd::GoToPrev},
                                                {kNextButton, cmd::GoToNext},
                                                {kLastButton, cmd::GoToLast}};
    for (auto [id, commandId] : pageCommands)
        connect(buttons_.at(id), &QPushButton::clicked, this, [this, commandId] { emit command(commandId); });
    connect(buttons_.at(kSelectFirstButton), &QPushButton::clicked, this, &CFrameSelectBar::selectFirstClicked);
    connect(buttons_.at(kSelectLastButton), &QPushButton::clicked, this, &CFrameSelectBar::selectLastClicked);
    connect(buttons_.at(kProcessButton), &QPushButton::clicked, this, &CFrameSelectBar::processClicked);
    setCurrentFrame(0);
    setSelection(0, 0);
    setFixedHeight(sizeHint().height());
}

QPushButton* CFrameSelectBar::addButton(int id, const char* text)
{
    QPushButton* b = makeBarButton(this, text);
    buttons_[id] = b;
    return b;
}

QLineEdit* CFrameSelectBar::addEdit(int id)
{
    auto* e = new QLineEdit(this);
    e->setFixedWidth(e->fontMetrics().horizontalAdvance("00000000") + 10);
    edits_[id] = e;
    return e;
}

QLineEdit* CFrameSelectBar::edit(int id) const
{
    auto it = edits_.find(id);
    return it == edits_.end() ? nullptr : it->second;
}

QPushButton* CFrameSelectBar::button(int id) const
{
    auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

void CFrameSelectBar::setCurrentFrame(int frame)
{
    current_ = frame;
    edits_.at(kCurrentEdit)->setText(QString::number(frame));
}

void CFrameSelectBar::setSelection(int first, int last)
{
    first_ = first;
    last_ = last;
    edits_.at(kFirstEdit)->setText(QString::number(first));
    edits_.at(kLastEdit)->setText(QString::number(last));
}

int CFrameSelectBar::boxValue(int id, int stored) const
{
    return scanWholeInt(edits_.at(id)->text().toStdString()).value_or(stored);
}

bool CFrameSelectBar::trySelection(int first, int last)
{
    if (first > last) {
        prompter_.message(text::kFirstExceedsLast);
        return false;
    }
    setSelection(first, last);
    return true;
}

// The other end as its box shows it: a number typed there counts.
bool CFrameSelectBar::selectFirst(int frame)
{
    return trySelection(frame, boxValue(kLastEdit, last_));
}

bool CFrameSelectBar::selectLast(int frame)
{
    return trySelection(boxValue(kFirstEdit, first_), frame);
}

std::optional<std::pair<int, int>> CFrameSelectBar::rangeForProcessing(int frameCount)
{
    if (frameCount <= 0) {
        prompter_.message(text::kNoFramesToProcess, MessageIcon::Exclamation);
        return std::nullopt;
    }
    int ends[2] = {0, 0};
    const int ids[2] = {kFirstEdit, kLastEdit};
    for (int i = 0; i < 2; ++i) {
        QLineEdit* e = edits_.at(ids[i]);
        std::optional<int> v = scanWholeInt(e->text().toStdString());
        if (!v) {
            refuseBox(prompter_, text::kEnterInteger, e);
            return std::nullopt;
        }
        ends[i] = *v;
    }
    // A range typed the wrong way round, or outside the recording, would process
    // nothing and close the file.
    if (!trySelection(ends[0], ends[1]))
        return std::nullopt;
    if (ends[0] < 0 || ends[0] >= frameCount) {
        const std::string why = ends[0] < 0 ? std::string(text::kFirstBelowZero)
                                            : text::kFirstBeyondFile + std::to_string(frameCount - 1) + ".";
        refuseBox(prompter_, why.c_str(), edits_.at(kFirstEdit));
        return std::nullopt;
    }
    return std::make_pair(ends[0], ends[1]);
}

void CFrameSelectBar::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    drawBarTopBorder(*this);
}

}  // namespace kavro
