#pragma once
// What a data source is given when it is built: the program's settings, the
// settings store, the way to ask the user, and the document that owns it.
#include <string>

namespace kavro {

class Settings;
class Profile;
class Prompter;

struct SourceContext {
    Settings& settings;
    Profile& profile;
    Prompter& prompter;
};

// The owning document, as a source sees it.
class SourceOwner {
public:
    virtual ~SourceOwner() = default;
    // The instrument model 0, 1 or 2 the document was opened for.
    virtual int instrumentModel() const = 0;
    // A .psd file's header names the model of the data it holds.
    virtual void setInstrumentModel(int model) = 0;
    // Text received from the instrument, for the receive-buffer window when it is open.
    virtual void showBufferText(const std::string& text) { (void)text; }
    // A frame text the instrument sent that was rejected (nothing was written for it).
    virtual void showRejectedText(const std::string& text) { showBufferText(text); }
};

// An owner with a fixed model, for work without a document (kavro-cli, tests).
class FixedModelOwner : public SourceOwner {
public:
    explicit FixedModelOwner(int model = 0) : model_(model) {}
    int instrumentModel() const override { return model_; }
    void setInstrumentModel(int model) override { model_ = model; }

private:
    int model_;
};

}  // namespace kavro
