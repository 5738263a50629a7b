#include "core/OpenQuestions.h"

#include "core/Constants.h"
#include "platform/FileUtil.h"
#include "resources/CoreTexts.h"
#include "resources/RawFileTexts.h"

namespace kavro {

std::optional<std::string> PrompterQuestions::recording(const OpenRequest& request)
{
    FileDialogRequest dialog;
    const bool psd = request.kind == kKindPsdFile;
    dialog.title = psd ? text::kPsdOpenTitle : text::kRawOpenTitle;
    dialog.filter = psd ? text::kPsdFilter : text::kRawDataFilter;
    dialog.mustExist = true;
    return prompter_.openFile(dialog);
}

std::optional<std::string> PrompterQuestions::ringArea(const std::string& calibrationFolder)
{
    FileDialogRequest dialog;
    dialog.title = text::kRingAreaTitle;
    dialog.filter = text::kRingAreaFilter;
    dialog.defaultExtension = text::kAscExtension;
    dialog.initialName = text::kRingAreaInitialName;
    dialog.initialDirectory = calibrationFolder;
    dialog.mustExist = true;
    return prompter_.openFile(dialog);
}

std::optional<std::string> PrompterQuestions::background(const OpenRequest& request,
                                                         const std::string& initialDirectory)
{
    (void)request;
    FileDialogRequest dialog;
    dialog.title = text::kBackgroundTitle;
    dialog.filter = text::kBackgroundFilter;
    dialog.initialName = text::kBackgroundInitialName;
    dialog.initialDirectory = initialDirectory;
    dialog.mustExist = true;
    return prompter_.openFile(dialog);
}

std::optional<std::string> PrompterQuestions::output(OpenRequest& request, const std::string& proposal)
{
    FileDialogRequest dialog;
    dialog.title = text::kPsdOutputTitle;
    dialog.filter = text::kPsdFilter;
    dialog.defaultExtension = text::kPsdExtension;
    dialog.initialName = stemBeforeFirstDot(fileNamePart(proposal)) + ".psd";
    dialog.initialDirectory = directoryPart(proposal);
    // A live cast that exists is asked about by the program (continue, a new name or
    // replace), not by the dialog.
    dialog.overwritePrompt = request.kind != kKindInstrument;
    return prompter_.saveFile(dialog);
}

bool PrompterQuestions::replaceBeside(const std::vector<std::string>& existing)
{
    return prompter_.askYesNo(text::kReplaceBesideFiles + fileListText(existing) + text::kReplaceBesideAsk);
}

bool PrompterQuestions::multiScan()
{
    return prompter_.askQuestion(text::kMultiScanQuestion, {.icon = false});
}

}  // namespace kavro
