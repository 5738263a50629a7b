#include "platform/ScriptedPrompter.h"

namespace kavro {

ScriptedPrompter& ScriptedPrompter::choose(std::string path)
{
    answers_.push_back(Answer{std::move(path), false});
    return *this;
}

ScriptedPrompter& ScriptedPrompter::cancel()
{
    answers_.push_back(Answer{std::nullopt, false});
    return *this;
}

ScriptedPrompter& ScriptedPrompter::answer(bool yes)
{
    answers_.push_back(Answer{std::nullopt, yes});
    return *this;
}

ScriptedPrompter::Answer ScriptedPrompter::take(const std::string& what)
{
    if (answers_.empty())
        throw Unexpected("unexpected " + what);
    Answer a = answers_.front();
    answers_.pop_front();
    return a;
}

std::optional<std::string> ScriptedPrompter::openFile(const FileDialogRequest& request)
{
    calls_.push_back(Call{Kind::Open, request, {}, MessageIcon::None});
    return take("file-open dialog \"" + request.title + "\"").path;
}

std::optional<std::string> ScriptedPrompter::saveFile(const FileDialogRequest& request)
{
    calls_.push_back(Call{Kind::Save, request, {}, MessageIcon::None});
    return take("file-save dialog \"" + request.title + "\"").path;
}

void ScriptedPrompter::message(const std::string& text, MessageIcon icon)
{
    calls_.push_back(Call{Kind::Message, {}, text, icon});
}

bool ScriptedPrompter::askYesNo(const std::string& text)
{
    return askQuestion(text, QuestionStyle{});
}

bool ScriptedPrompter::askQuestion(const std::string& text, QuestionStyle style)
{
    calls_.push_back(Call{Kind::Question, {}, text, MessageIcon::None, style});
    return take("question \"" + text + "\"").yes;
}

std::vector<std::string> ScriptedPrompter::messages() const
{
    std::vector<std::string> out;
    for (const Call& c : calls_)
        if (c.kind == Kind::Message)
            out.push_back(c.text);
    return out;
}

}  // namespace kavro
