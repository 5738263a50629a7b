#pragma once
// A document: one open data source.  It asks for the instrument port and model
// when the source needs them, builds and opens the source, owns it, and answers
// the source's questions about the model.  Nothing in it is ever modified, so
// closing never asks to save.
#include "core/CDataSource.h"
#include "core/SourceContext.h"

#include <ctime>
#include <memory>
#include <string>

namespace kavro {

class CKavroApp;
class Prompter;
class CKavroView;

class CKavroDoc : public SourceOwner {
public:
    // The scroll extent of the instrument and .psd layouts.
    static constexpr int kDocumentWidth = 400;
    static constexpr int kDocumentHeight = 360;

    explicit CKavroDoc(CKavroApp& app);
    ~CKavroDoc() override;

    int instrumentModel() const override { return model_; }
    void setInstrumentModel(int model) override { model_ = model; }
    void showBufferText(const std::string& text) override;
    void showRejectedText(const std::string& text) override;

    // Asks for the port and model (instrument) or the model (raw data file), builds
    // the source of the kind and opens it.  Throws UserAbort when a dialog was
    // cancelled or the source has already told why it could not open; whatever the
    // open throws otherwise passes through.  The document keeps no source then.
    CDataSource& createDataSource(const OpenRequest& start);
    // Titles the document after its source; false without a source.
    bool onNewDocument();
    // Sets the title, without an extension of up to three characters.
    void setTitle(const std::string& title);

    const std::string& title() const { return title_; }
    CDataSource* source() const { return source_.get(); }
    CKavroView* view() const { return view_; }
    void setView(CKavroView* view) { view_ = view; }

    // The title a source name gives: its file part, cut before the first full stop.
    static std::string titleFromSourceName(const std::string& sourceName);
    // A title without a final extension of one to three characters ("run.psd" -> "run").
    static std::string withoutShortExtension(const std::string& title);

private:
    void askInstrumentPort(OpenRequest& request);
    void askInstrumentModel();

    CKavroApp& app_;
    // The prompter the source asks through: the program's, with the calibration
    // folder's whereabouts added to a message about a calibration file that is missing.
    std::unique_ptr<Prompter> sourcePrompter_;
    std::unique_ptr<CDataSource> source_;
    CKavroView* view_ = nullptr;
    int model_ = 0;
    std::string title_;
};

}  // namespace kavro
