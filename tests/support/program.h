// The built program started as a child with no display at all (DISPLAY, WAYLAND_DISPLAY and
// QT_QPA_PLATFORM removed), so that a window it tried to open would end it with a failure of
// Qt's; its standard output and error come back through pipes.
#pragma once
#include <limits.h>
#include <spawn.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace kvtest {

struct SpawnedProgram {
    pid_t pid = -1;
    int out = -1, err = -1;  // read ends of its standard output and error
    bool ok() const { return pid > 0; }
};

// `kivern` beside the test's own folder (tests/..), with args; closeFd (>= 0) is not passed on.
inline SpawnedProgram SpawnProgram(std::vector<std::string> args, int closeFd = -1) {
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path = std::string(self, n > 0 ? (size_t)n : 0);
    path = path.substr(0, path.rfind('/')) + "/../kivern";
    args.insert(args.begin(), path);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (strncmp(*e, "DISPLAY=", 8) && strncmp(*e, "WAYLAND_DISPLAY=", 16) &&
            strncmp(*e, "QT_QPA_PLATFORM=", 16))
            env.push_back(*e);
    std::vector<char*> envp;
    for (std::string& v : env) envp.push_back(&v[0]);
    envp.push_back(nullptr);

    SpawnedProgram p;
    int out[2], err[2];
    if (pipe(out) != 0) return p;
    if (pipe(err) != 0) {
        close(out[0]);
        close(out[1]);
        return p;
    }
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_adddup2(&fa, err[1], 2);
    if (closeFd >= 0) posix_spawn_file_actions_addclose(&fa, closeFd);
    pid_t pid;
    bool started = posix_spawn(&pid, path.c_str(), &fa, nullptr, argv.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&fa);
    close(out[1]);
    close(err[1]);
    if (!started) {
        close(out[0]);
        close(err[0]);
        return p;
    }
    p.pid = pid;
    p.out = out[0];
    p.err = err[0];
    return p;
}

}  // namespace kvtest
