// kavro-cli: the KAVRO companion without a screen.
#include "platform/System.h"
#include "tools/CliOptions.h"

#include <clocale>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C");
    kavro::writeFailsPastFileSizeLimit();
    kavro::consoleShowsUtf8();
    // Paths are UTF-8 text in the whole program, also those given on the command line.
    std::vector<std::string> args = kavro::commandLineArguments(argc, argv);
    std::vector<char*> pointers;
    for (std::string& arg : args)
        pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    return kavro::cli::runCommandLine(static_cast<int>(args.size()), pointers.data(),
                                      std::string("kavro-cli ") + KAVRO_VERSION);
}
