// The program's entry: the command line is read first, so --help, --version and a bad line
// need no display; then the framework runs theApp with the program's resources.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Headless.h"
#include "app/KIVERN.h"
#include "platform/afx.h"
#include "res/resources.h"

int main(int argc, char** argv) {
    CKivernCommandLine cl = ParseCommandLine(argc, argv);
    std::string& port = cl.startup.port;
    if (cl.action == KV_CMD_RUN && LooksLikeNetPortUrl(port)) {
        if (NetPortKindOf(port) == NET_PORT_NONE) {
            cl.action = KV_CMD_ERROR;
            cl.error = "'" + port + "' is no network port (rfc2217://HOST:PORT or tcp://HOST:PORT)";
        }
    } else if (cl.action == KV_CMD_RUN && IsPortPath(port)) {
        // A relative path would be read from the ports folder once linked.
        if (port[0] != '/') {
            char cwd[4096];
            if (getcwd(cwd, sizeof cwd)) port = std::string(cwd) + "/" + port;
        }
        if (cl.script.empty() && !IsTerminalDevice(port)) {
            cl.action = KV_CMD_ERROR;
            cl.error = "'" + port + "' is no serial port or terminal device";
        }
    }
    switch (cl.action) {
        case KV_CMD_HELP:
            fputs(CommandLineHelp().c_str(), stdout);
            return 0;
        case KV_CMD_VERSION:
            fputs(CommandLineVersion().c_str(), stdout);
            return 0;
        case KV_CMD_ERROR:
            fprintf(stderr, "kivern: %s\nTry 'kivern --help' for more information.\n",
                    cl.error.c_str());
            return KV_EXIT_USAGE;
        case KV_CMD_RUN:
            break;
    }
    // A script without a window: no display, no toolkit; a path that cannot be opened is
    // reported by the opening itself.
    if (!cl.script.empty()) return RunScriptWithoutWindow(cl);
    theApp.m_startup = cl.startup;
    theApp.m_nLanguage = cl.language;
    // Qt keeps the arguments it is given for the life of the application.
    std::vector<char*> args;
    for (std::string& a : cl.toolkitArgs) args.push_back(&a[0]);
    args.push_back(nullptr);
    int nArgs = (int)cl.toolkitArgs.size();
    return AfxWinMain(nArgs, args.data(), &g_KivernResources);
}
