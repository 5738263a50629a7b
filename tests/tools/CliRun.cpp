#include "tests/tools/CliRun.h"

#include "tests/support/TestFiles.h"

#include <cstdlib>
#include <sys/wait.h>

namespace kavro::test {
namespace {

std::string shellQuoted(const std::string& s)
{
    std::string q(1, '\'');
    for (char c : s) {
        if (c == '\'')
            q.append("'\\''");
        else
            q.push_back(c);
    }
    q.push_back('\'');
    return q;
}

}  // namespace

std::string cliPath()
{
    return std::string(KAVRO_BIN_DIR) + "/kavro-cli";
}

std::string cliCommand(const std::vector<std::string>& args)
{
    std::string command = shellQuoted(cliPath());
    for (const std::string& a : args)
        command.append(" ").append(shellQuoted(a));
    return command;
}

CliResult runCli(const std::vector<std::string>& args, const std::string& shellPrefix)
{
    TempDir dir;
    std::string command = shellPrefix;
    command.append(" exec ").append(cliCommand(args));
    command.append(" >").append(shellQuoted(dir.file("out")));
    command.append(" 2>").append(shellQuoted(dir.file("err"))).append(" </dev/null");
    std::string shell("sh -c ");
    shell.append(shellQuoted(command));
    const int raw = std::system(shell.c_str());
    CliResult r;
    r.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = readFile(dir.file("out"));
    r.err = readFile(dir.file("err"));
    return r;
}

}  // namespace kavro::test
