#include "tests/support/ScopedEnvironment.h"

#include "platform/FileUtil.h"
#include "platform/System.h"

#include <cstdlib>
#include <stdexcept>

namespace kavro::test {
namespace {

void setVariable(const std::string& name, const std::optional<std::string>& value)
{
#ifdef _WIN32
    // The wide environment, as the program reads it; "" removes the variable.
    const std::wstring wideName = pathFromUtf8(name).wstring();
    const std::wstring wideValue = value ? pathFromUtf8(*value).wstring() : std::wstring();
    const bool done = _wputenv_s(wideName.c_str(), wideValue.c_str()) == 0;
#else
    const bool done = value ? ::setenv(name.c_str(), value->c_str(), 1) == 0 : ::unsetenv(name.c_str()) == 0;
#endif
    if (!done)
        throw std::runtime_error("cannot set the environment variable " + name);
}

}  // namespace

ScopedEnvironment::ScopedEnvironment(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)), old_(environmentVariable(name_.c_str()))
{
    setVariable(name_, value);
}

ScopedEnvironment::~ScopedEnvironment()
{
    try {
        setVariable(name_, old_);
    } catch (const std::exception&) {
        // Nothing to be done in a destructor: the next test sets what it needs.
    }
}

}  // namespace kavro::test
