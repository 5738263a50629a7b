#pragma once
// What the background scatter and averaging windows need from the view they belong
// to: the program's settings and prompter, the view's source and its live
// collection, the frame timer, and the way modal dialogs are run (the desktop
// program runs them, the tests answer them).
#include <functional>
#include <string>

class QDialog;

namespace kavro {

class CDataSource;
class LiveCollection;
class Profile;
class Prompter;
class Settings;

// Runs a modal dialog and answers its result (QDialog::Accepted or Rejected).
using DialogRunner = std::function<int(QDialog&)>;
int runModal(QDialog& dialog);

class BackgroundHost {
public:
    virtual ~BackgroundHost() = default;

    virtual Settings& settings() = 0;
    virtual Profile& profile() = 0;
    virtual Prompter& prompter() = 0;
    virtual int runDialog(QDialog& dialog) = 0;

    // The view's source; it outlives the windows.
    virtual CDataSource& source() = 0;
    // The view's one live collection (fed only by an instrument source).
    virtual LiveCollection& collection() = 0;

    // A collection begins: the view's frame timer is noted as it is, to be given
    // back when the collection ends; intervalMs > 0 runs it at that pace meanwhile
    // (0 leaves it as it is).  A recording that was going never stops for a collection.
    virtual void collectionBegins(int intervalMs) = 0;
    // The collection ended: the frame timer runs (or not) at the pace it had when it began.
    virtual void collectionEnds() = 0;
    // The view's not-collecting flag, seen from the averaging window.
    virtual void setAveraging(bool collecting) = 0;
    // The view shows the source's current frame again (and its windows take it).
    virtual void refreshView() = 0;
    // A collection began or ended: both windows show whether they can begin one.
    virtual void collectionChanged() = 0;
    // Tells in the program's status bar what was written.
    virtual void tell(const std::string& text) { (void)text; }
};

}  // namespace kavro
