// A private Xvfb server for real-window tests, and XTest's fake input loaded at run time.
#pragma once

#include <X11/Xlib.h>
#include <dlfcn.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace testx {

class XServer
{
public:
    XServer() = default;
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;
    ~XServer() { Stop(); }

    // Xvfb picks a free display number itself and reports it through a pipe (-displayfd), so test
    // processes running side by side each get a server of their own. extraArgs go to Xvfb as given.
    bool Start(const std::vector<std::string>& extraArgs = {})
    {
        int fds[2];
        if (pipe(fds) != 0) {
            m_error = "no pipe for Xvfb's display number";
            return false;
        }
        const std::string writeEnd = std::to_string(fds[1]);
        // -noreset: the server must not restart each time its last client (a finished test) leaves.
        std::vector<std::string> args = {"Xvfb",        "-displayfd", writeEnd, "-screen", "0",
                                         "1024x768x24", "-nolisten",  "tcp",    "-noreset"};
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        const int spawned = posix_spawnp(&m_pid, "Xvfb", nullptr, nullptr, argv.data(), environ);
        close(fds[1]);
        if (spawned != 0) {
            close(fds[0]);
            m_pid = 0;
            m_error = "Xvfb is not installed";
            return false;
        }
        std::string number;
        pollfd wait{fds[0], POLLIN, 0};
        char c = 0;
        while (poll(&wait, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (number.empty()) {
            Stop();
            m_error = "Xvfb did not report a display within 10 seconds";
            return false;
        }
        m_display = ":" + number;
        return true;
    }

    void Stop()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
            m_pid = 0;
        }
    }

    const std::string& Display() const { return m_display; }
    const std::string& Error() const { return m_error; }

private:
    pid_t m_pid = 0;
    std::string m_display;
    std::string m_error;
};

// XTest is loaded at run time: only its shared library is needed, not its headers.
struct FakeInput
{
    using Motion = int (*)(::Display*, int, int, int, unsigned long);
    using Button = int (*)(::Display*, unsigned int, int, unsigned long);
    void* library = nullptr;
    Motion motion = nullptr;
    Button button = nullptr;
    Button key = nullptr; // XTestFakeKeyEvent has the same shape, with a key code

    bool Load()
    {
        library = dlopen("libXtst.so.6", RTLD_NOW);
        if (!library)
            return false;
        motion = reinterpret_cast<Motion>(dlsym(library, "XTestFakeMotionEvent"));
        button = reinterpret_cast<Button>(dlsym(library, "XTestFakeButtonEvent"));
        key = reinterpret_cast<Button>(dlsym(library, "XTestFakeKeyEvent"));
        return motion && button && key;
    }
};

} // namespace testx
