#pragma once
// An environment variable set (or removed) for the life of the object, as UTF-8
// text on every system; what it was before is put back afterwards.
#include <optional>
#include <string>

namespace kavro::test {

class ScopedEnvironment {
public:
    // value nothing: the variable is removed.
    ScopedEnvironment(std::string name, const std::optional<std::string>& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

}  // namespace kavro::test
