#pragma once
// Helpers of the tests: a temporary folder removed afterwards, files written and read whole.
#include <cstdint>
#include <string>
#include <vector>

namespace kavro::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path()/name
    std::string file(const std::string& name) const;

private:
    std::string path_;
};

void writeFile(const std::string& path, const std::string& content);
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);

// Big-endian 80-byte raw records from 40-word frames.
std::string rawRecords(const std::vector<std::vector<std::uint16_t>>& frames);

}  // namespace kavro::test
