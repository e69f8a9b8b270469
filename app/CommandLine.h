// The command line: kivern [PORT] [-b|--baud N] [--data 5-8] [--parity N|O|E|M|S] [--stop 1|2]
// [--flow none|rtscts|xonxoff] [--open] [--language zh|en] [--script FILE [--quiet] [-- ARGS...]]
// [--help]
// [--version], plus Qt's own options, which go on to the framework. Parsing reads nothing but the
// arguments, so it runs before any window.
#pragma once
#include <string>
#include <vector>

#include "options/StartOptions.h"

// Exit status of a command line that cannot be run.
#define KV_EXIT_USAGE 2

enum KvCommand { KV_CMD_RUN, KV_CMD_HELP, KV_CMD_VERSION, KV_CMD_ERROR };

struct CKivernCommandLine {
    KvCommand action = KV_CMD_RUN;
    CKivernStartup startup;
    std::vector<std::string> toolkitArgs;  // the program name and Qt's options, in order
    std::string error;                     // why the line cannot be run (KV_CMD_ERROR)
    // --script: the file runs against the port without a window.
    std::string script;
    std::vector<std::string> scriptArgs;  // after "--"
    bool quiet = false;                   // only the script's print reaches standard output
    int language = -1;                    // LANG_* for this run; -1: as the settings say
};

CKivernCommandLine ParseCommandLine(int argc, const char* const* argv);
// The text --help prints, and the line --version prints.
std::string CommandLineHelp();
std::string CommandLineVersion();
