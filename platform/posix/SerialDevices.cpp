#include "platform/SerialDevices.h"

#include "platform/FileUtil.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

namespace kavro {

namespace fs = std::filesystem;

namespace {

// The families of device nodes, in the order they are offered.
const char* const kFamilies[] = {"ttyUSB", "ttyACM", "ttyS"};
constexpr int kBuiltInFamily = 2;

struct Node {
    int family;
    long number;
    std::string name;
    int rank = 0;  // the order of the offer: the family, a built-in port of unknown UART last
};

// "ttyUSB12" -> family 0, number 12; false for any other name.
bool parseNode(const std::string& name, Node* node)
{
    for (int f = 0; f < 3; ++f) {
        const std::string prefix = kFamilies[f];
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string digits = name.substr(prefix.size());
        if (digits.size() > 6 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return false;
        *node = Node{f, std::stol(digits), name};
        return true;
    }
    return false;
}

std::string canonicalOrEmpty(const fs::path& path)
{
    std::error_code ec;
    fs::path p = fs::canonical(path, ec);
    return ec ? std::string() : p.string();
}

// The UART type the kernel found for a built-in port: 0 = no UART there;
// -1 = cannot be told.
int uartType(const std::string& sysTty, const std::string& name)
{
    std::ifstream in(joinPath(joinPath(sysTty, name), "type"));
    int type = -1;
    if (!(in >> type))
        return -1;
    return type;
}

}  // namespace

std::vector<SerialDevice> listSerialDevices(const SerialDeviceRoots& roots)
{
    std::vector<SerialDevice> devices;
    std::set<std::string> listed;
    std::error_code ec;
    for (fs::directory_iterator it(roots.byId, ec), end; !ec && it != end; it.increment(ec)) {
        std::string target = canonicalOrEmpty(it->path());
        if (target.empty())
            continue;  // a link left behind by an adapter that is gone
        devices.push_back(SerialDevice{it->path().string(), target, it->path().filename().string(), true});
        listed.insert(target);
    }
    std::sort(devices.begin(), devices.end(),
              [](const SerialDevice& a, const SerialDevice& b) { return a.name < b.name; });

    std::vector<Node> nodes;
    for (fs::directory_iterator it(roots.dev, ec), end; !ec && it != end; it.increment(ec)) {
        Node node;
        if (!parseNode(it->path().filename().string(), &node))
            continue;
        node.rank = node.family;
        if (node.family == kBuiltInFamily) {
            const int uart = uartType(roots.sysTty, node.name);
            if (uart == 0)
                continue;  // an empty slot the kernel lists anyway
            if (uart < 0)
                node.rank = kBuiltInFamily + 1;
        }
        nodes.push_back(node);
    }
    std::sort(nodes.begin(), nodes.end(), [](const Node& a, const Node& b) {
        return std::make_pair(a.rank, a.number) < std::make_pair(b.rank, b.number);
    });
    for (const Node& n : nodes) {
        const std::string path = joinPath(roots.dev, n.name);
        std::string target = canonicalOrEmpty(path);
        if (target.empty() || listed.count(target))
            continue;
        listed.insert(target);
        devices.push_back(SerialDevice{path, path, "", n.family != kBuiltInFamily});
    }
    return devices;
}

std::string describeSerialDevice(const SerialDevice& device)
{
    return device.name.empty() ? device.path : device.target + "  " + device.name;
}

std::string defaultSerialDevice(int portIndex)
{
    return "/dev/ttyUSB" + std::to_string(portIndex);
}

bool serialDevicePresent(const std::string& device)
{
    std::error_code ec;
    return !device.empty() && fs::exists(device, ec);
}

std::string presentDeviceOr(const std::string& fallback, const SerialDeviceRoots& roots)
{
    std::error_code ec;
    if (fallback.empty() || fs::exists(fallback, ec))
        return fallback;
    std::vector<SerialDevice> adapters = listSerialDevices(roots);
    adapters.erase(std::remove_if(adapters.begin(), adapters.end(), [](const SerialDevice& d) { return !d.adapter; }),
                   adapters.end());
    return adapters.size() == 1 ? adapters.front().path : fallback;
}

}  // namespace kavro
