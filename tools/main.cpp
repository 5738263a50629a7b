// kavro-cli: the KAVRO companion without a screen.
#include "platform/System.h"
#include "tools/CliOptions.h"

#include <clocale>
#include <string>

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C");
    kavro::writeFailsPastFileSizeLimit();
    return kavro::cli::runCommandLine(argc, argv, std::string("kavro-cli ") + KAVRO_VERSION);
}
