#include "app/CFrameSelectBar.h"

#include "app/CommandTable.h"
#include "app/ShellLook.h"
#include "platform/NumText.h"
#include "platform/Prompter.h"
#include "resources/AppTexts.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kavro {

CFrameSelectBar::CFrameSelectBar(Prompter& prompter, QWidget* parent) : QWidget(parent), prompter_(prompter)
{
    paintLightGrey(this);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 5, 6, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);

    // The page buttons around the cursor's frame, the range and Process File below.
    grid->addWidget(addButton(kFirstButton, text::kFirstButton), 0, 0);
    grid->addWidget(addButton(kPrevButton, text::kPrevButton), 0, 1);
    auto* frameLabel = new QLabel(QString::fromUtf8(text::kSelectFrameLabel), this);
    frameLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(frameLabel, 0, 2);
    grid->addWidget(addEdit(kCurrentEdit), 0, 3);
    grid->addWidget(addButton(kNextButton, text::kNextButton), 0, 4);
    grid->addWidget(addButton(kLastButton, text::kLastButton), 0, 5);
    grid->addWidget(addButton(kSelectFirstButton, text::kSelectFirstButton), 1, 0, 1, 2);
    grid->addWidget(addEdit(kFirstEdit), 1, 2, 1, 2);
    grid->addWidget(addButton(kSelectLastButton, text::kSelectLastButton), 1, 4);
    grid->addWidget(addEdit(kLastEdit), 1, 5);
    grid->addWidget(addButton(kProcessButton, text::kProcessFileButton), 1, 6);
    grid->setColumnStretch(7, 1);
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

bool CFrameSelectBar::selectFirst(int frame)
{
    // The other end as the box shows it: a number typed there counts.
    const int last = boxValue(kLastEdit, last_);
    if (last < frame) {
        prompter_.message(text::kFirstExceedsLast);
        return false;
    }
    setSelection(frame, last);
    return true;
}

bool CFrameSelectBar::selectLast(int frame)
{
    const int first = boxValue(kFirstEdit, first_);
    if (frame < first) {
        prompter_.message(text::kFirstExceedsLast);
        return false;
    }
    setSelection(first, frame);
    return true;
}

std::optional<std::pair<int, int>> CFrameSelectBar::rangeForProcessing()
{
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
    // A range typed the wrong way round would process nothing and close the file.
    if (ends[0] > ends[1]) {
        prompter_.message(text::kFirstExceedsLast);
        return std::nullopt;
    }
    setSelection(ends[0], ends[1]);
    return std::make_pair(ends[0], ends[1]);
}

void CFrameSelectBar::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    drawBarTopBorder(*this);
}

}  // namespace kavro
