#include "platform/qt/QtPrompter.h"

#include "resources/PlatformTexts.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QSplitter>
#include <QTreeView>
#include <algorithm>

namespace kavro {

namespace {

std::vector<std::string> splitBars(const std::string& filter)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : filter) {
        if (c == '|') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

// "*.x;*.y" -> "*.x *.y", with the Windows every-file pattern as Qt knows it.
QString qtPatterns(const std::string& patterns)
{
    QStringList out;
    for (const QString& p : QString::fromStdString(patterns).split(';', Qt::SkipEmptyParts)) {
        QString t = p.trimmed();
        out << (t == "*.*" ? QString("*") : t);
    }
    return out.join(' ');
}

// The description without a trailing "(*.x)": Qt reads the patterns from there,
// so the ones given after the '|' are put back in their place.
QString bareDescription(const std::string& description)
{
    QString d = QString::fromStdString(description).trimmed();
    qsizetype open = d.lastIndexOf('(');
    if (d.endsWith(')') && open > 0) {
        QString inside = d.mid(open);
        if (inside.contains('*') || inside.contains('?'))
            d = d.left(open).trimmed();
    }
    return d;
}

}  // namespace

QStringList qtNameFilters(const std::string& filter)
{
    std::vector<std::string> parts = splitBars(filter);
    QStringList filters;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty() && parts[i + 1].empty())
            break;  // the "||" that ends the list
        filters << bareDescription(parts[i]) + " (" + qtPatterns(parts[i + 1]) + ")";
    }
    return filters;
}

bool isNamePattern(const std::string& name)
{
    return name.find_first_of("*?") != std::string::npos;
}

void configureFileDialog(QFileDialog& dialog, const FileDialogRequest& request, bool save)
{
    dialog.setWindowTitle(QString::fromStdString(request.title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save || !request.mustExist ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(save && request.overwritePrompt));
    if (!request.initialDirectory.empty())
        dialog.setDirectory(QString::fromStdString(request.initialDirectory));

    QStringList filters = qtNameFilters(request.filter);
    QString selected;
    if (isNamePattern(request.initialName)) {
        // A name that is a pattern shows only the matching files, as typing it would.
        QString pattern = qtPatterns(request.initialName);
        QString own = pattern + " (" + pattern + ")";
        selected = own;
        for (const QString& f : filters)
            if (f.endsWith("(" + pattern + ")"))
                selected = f;
        if (selected == own)
            filters.prepend(own);
    }
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (!selected.isEmpty())
        dialog.selectNameFilter(selected);
    else if (!request.initialName.empty())
        dialog.selectFile(QString::fromStdString(request.initialName));
    if (!request.defaultExtension.empty())
        dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
}

std::optional<std::string> QtPrompter::runFileDialog(const FileDialogRequest& request, bool save)
{
    QFileDialog dialog(parent_);
    configureFileDialog(dialog, request, save);
    // Wide enough for the size, type and date columns of a folder's list, and the
    // names shown whole: the list opens in detail with a wide name column.
    dialog.resize(dialog.sizeHint().expandedTo(QSize(880, 540)));
    dialog.setViewMode(QFileDialog::Detail);
    if (auto* list = dialog.findChild<QTreeView*>()) {
        // Name, size, type, date: a long name, "Photoshop image" and a whole date fit.
        const int widths[] = {300, 90, 170, 190};
        QHeaderView* header = list->header();
        for (int column = 0; column < std::min(header->count(), 4); ++column)
            header->resizeSection(column, std::max(header->sectionSize(column), widths[column]));
    }
    // The places beside the list wide enough for their names.
    if (auto* split = dialog.findChild<QSplitter*>()) {
        QList<int> sizes = split->sizes();
        if (sizes.size() == 2 && sizes[0] < 150) {
            sizes[1] -= 150 - sizes[0];
            sizes[0] = 150;
            split->setSizes(sizes);
        }
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

std::optional<std::string> QtPrompter::openFile(const FileDialogRequest& request)
{
    return runFileDialog(request, false);
}

std::optional<std::string> QtPrompter::saveFile(const FileDialogRequest& request)
{
    return runFileDialog(request, true);
}

void QtPrompter::message(const std::string& text, MessageIcon icon)
{
    QMessageBox::Icon qtIcon = QMessageBox::NoIcon;
    switch (icon) {
    case MessageIcon::Information:
        qtIcon = QMessageBox::Information;
        break;
    case MessageIcon::Exclamation:
        qtIcon = QMessageBox::Warning;
        break;
    case MessageIcon::Error:
        qtIcon = QMessageBox::Critical;
        break;
    case MessageIcon::None:
        break;
    }
    QMessageBox box(qtIcon, text::kMessageBoxTitle, QString::fromStdString(text), QMessageBox::Ok, parent_);
    box.exec();
}

bool QtPrompter::askYesNo(const std::string& text)
{
    return askQuestion(text, QuestionStyle{});
}

bool QtPrompter::askQuestion(const std::string& text, QuestionStyle style)
{
    QMessageBox box(style.icon ? QMessageBox::Question : QMessageBox::NoIcon, text::kMessageBoxTitle,
                    QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No, parent_);
    box.setDefaultButton(style.defaultNo ? QMessageBox::No : QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace kavro
