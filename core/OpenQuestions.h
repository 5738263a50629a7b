#pragma once
// The questions that complete an open request while a source opens: the desktop
// program asks them as file dialogs at the step that needs each answer, so that
// every check of the step before comes first and the dialogs keep their order.  A
// request that kavro-cli or a reconnect gives is complete and asks nothing.
#include "core/OpenRequest.h"
#include "platform/Prompter.h"

#include <optional>
#include <string>
#include <vector>

namespace kavro {

class OpenQuestions {
public:
    virtual ~OpenQuestions() = default;
    // Each answers the missing part of the request; nothing: cancelled.
    virtual std::optional<std::string> recording(const OpenRequest& request) = 0;
    virtual std::optional<std::string> ringArea(const std::string& calibrationFolder) = 0;
    virtual std::optional<std::string> background(const OpenRequest& request, const std::string& initialDirectory) = 0;
    // Before the outputs are chosen: whether and where to record (the desktop asks
    // when no output is on); may change the request's output and switches, or throw
    // UserAbort.
    virtual void beforeOutputs(OpenRequest& request) { (void)request; }
    // The .psd to write, proposed as proposal; may also say what becomes of the
    // files that exist (request.existing).
    virtual std::optional<std::string> output(OpenRequest& request, const std::string& proposal) = 0;
    // Whether the files beside the chosen .psd that exist already may be replaced.
    virtual bool replaceBeside(const std::vector<std::string>& existing) = 0;
    // Whether a raw recording whose laser words mark summed scans holds them.
    virtual bool multiScan() = 0;
};

// The questions as the program's file dialogs and message boxes, through a Prompter.
class PrompterQuestions : public OpenQuestions {
public:
    explicit PrompterQuestions(Prompter& prompter) : prompter_(prompter) {}
    std::optional<std::string> recording(const OpenRequest& request) override;
    std::optional<std::string> ringArea(const std::string& calibrationFolder) override;
    std::optional<std::string> background(const OpenRequest& request, const std::string& initialDirectory) override;
    std::optional<std::string> output(OpenRequest& request, const std::string& proposal) override;
    bool replaceBeside(const std::vector<std::string>& existing) override;
    bool multiScan() override;

protected:
    Prompter& prompter_;
};

}  // namespace kavro
