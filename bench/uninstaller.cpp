// The uninstaller as a whole, run from its copy in a staged sandbox:
//   FirstFrame/headless  exec of the copy to its first presented frame (the headless backend's
//                        first frame file)
//   FirstFrame/xvfb      exec of the copy to its first frame on a private Xvfb server: the frame
//                        that sends "windowinit", seen on the server as the confirmation box,
//                        a second window with the uninstaller's title, next to the main one
//   WholeRun             a confirmed headless run: peak resident memory, and the CPU time the
//                        process spends per second of its (mostly animated) run
//   ProgressAnimation    the CPU time per second of the progress animation alone: sampled from the
//                        scheduler's accounting between 0.4 s and 1.1 s into a confirmed headless run
//                        of a tiny installation, when start-up and removal are over and only the
//                        progress timer repaints the bar
//   ProgressAnimation/wake-floor  the same sampling of a child that only wakes at 100 Hz: what
//                        the machine charges for the wake-ups alone
//   ProgressAnimationXvfb  the same on a private X server through SDL, confirmed with a fake Return
//                        key; the X server's own CPU time in the same window is reported beside it
// Build uninstall.exe and tarvion-stage first. A physical reference is given in the same run:
// FirstFrame/exec-true is exec to exit of /bin/true, the floor of starting any process.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

#ifdef TVU_HAVE_X11
#include "tests/e2e/TitledWindows.h"
#include "tests/platform/sdl/XvfbServer.h"
#include <X11/keysym.h>
#endif

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::string kBuild = TVU_BINARY_DIR;

int Spawn(const std::string& program, const std::vector<std::string>& args,
          const std::map<std::string, std::string>& env, bool quiet = false)
{
    std::vector<std::string> argStore{program}, envStore;
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::map<std::string, std::string> vars;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const auto eq = entry.find('=');
        if (eq != std::string::npos)
            vars[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    for (const auto& [k, v] : env)
        v.empty() ? void(vars.erase(k)) : void(vars[k] = v);
    for (const auto& [k, v] : vars) {
        std::string entry = k;
        entry += '=';
        entry += v;
        envStore.push_back(std::move(entry));
    }
    std::vector<char*> argv, envp;
    for (auto& a : argStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : envStore)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet)
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

// A staged sandbox with the uninstaller already copied into its TEMP.
struct Sandbox
{
    fs::path dir;
    explicit Sandbox(int files)
    {
        std::random_device rd;
        dir = fs::path("/tmp") / ("tvu-bench-" + std::to_string(rd()) + std::to_string(rd()));
        const int stage = Spawn(kBuild + "/tools/tarvion-stage/tarvion-stage",
                                {dir.string(), "--files", std::to_string(files)}, {}, true);
        waitpid(stage, nullptr, 0);
        fs::copy_file(kBuild + "/app/uninstall.exe", dir / "temp" / "uninstall.exe");
    }
    ~Sandbox()
    {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::map<std::string, std::string> Env(const std::string& platform) const
    {
        return {{"TVU_PLATFORM", platform},
                {"TVU_MSGBOX", "ok"},
                {"TVU_REGISTRY", (dir / "registry.db").string()},
                {"TVU_STARTMENU", (dir / "startmenu").string()},
                {"TEMP", (dir / "temp").string()}};
    }
    std::string Copy() const { return (dir / "temp" / "uninstall.exe").string(); }
};

// The file listing a process's children (built piece by piece: GCC 12 warns falsely on the chain).
std::string ChildrenFile(int pid)
{
    std::string path = "/proc/";
    path += std::to_string(pid);
    path += "/task/";
    path += std::to_string(pid);
    path += "/children";
    return path;
}

void KillAndReap(int pid)
{
    // The copy and the helper process of its confirmation box, if any.
    std::ifstream in(ChildrenFile(pid));
    for (int child; in >> child;)
        kill(child, SIGKILL);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

void FirstFrameHeadless(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        Sandbox box(20);
        auto env = box.Env("headless");
        env["TVU_FRAMES"] = (box.dir / "frames").string();
        const fs::path first = box.dir / "frames" / "000001.png";
        state.ResumeTiming();
        const auto start = Clock::now();
        const int pid = Spawn(box.Copy(), {}, env);
        while (!fs::exists(first) && Clock::now() - start < std::chrono::seconds(20))
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        state.PauseTiming();
        KillAndReap(pid);
        state.ResumeTiming();
    }
}

class Xvfb
{
public:
    Xvfb()
    {
        for (int n = 231; n < 300 && m_pid < 0; ++n) {
            const std::string digits = std::to_string(n);
            std::string socket = "/tmp/.X11-unix/X", lock = "/tmp/.X";
            socket += digits;
            lock += digits;
            lock += "-lock";
            if (fs::exists(socket) || fs::exists(lock))
                continue;
            m_display = digits;
            m_display.insert(m_display.begin(), ':');
            m_pid = Spawn("/usr/bin/Xvfb", {m_display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, {});
            for (int i = 0; i < 200 && !fs::exists(socket); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    ~Xvfb()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    bool Ok() const { return m_pid > 0; }
    int Pid() const { return m_pid; }
    const std::string& Display() const { return m_display; }

private:
    int m_pid = -1;
    std::string m_display;
};

#ifdef TVU_HAVE_X11
// Viewable windows titled like the uninstaller's: its main window and, once the first frame has
// been shown, its confirmation box.
int CountTitled(Display* display, Window parent)
{
    int found = 0;
    e2e::ForEachTitledWindow(display, parent, e2e::kUninstallerTitle,
                             [&](Window, const XWindowAttributes&) { ++found; });
    return found;
}

// A connection to the private server, or null with the benchmark skipped. A server that is not
// there would let the uninstaller fall back to the headless backend, whose run shows nothing on a
// display at all.
Display* OpenPrivateDisplay(const Xvfb& server, benchmark::State& state)
{
    Display* display = server.Ok() ? XOpenDisplay(server.Display().c_str()) : nullptr;
    if (!display)
        state.SkipWithError("Xvfb did not start");
    return display;
}

std::map<std::string, std::string> SdlEnv(const Sandbox& box, const Xvfb& server)
{
    auto env = box.Env("sdl");
    env["DISPLAY"] = server.Display();
    return env;
}

void FirstFrameXvfb(benchmark::State& state)
{
    if (!fs::exists("/usr/bin/Xvfb")) {
        state.SkipWithError("Xvfb is not installed");
        return;
    }
    Xvfb server;
    Display* display = OpenPrivateDisplay(server, state);
    if (!display)
        return;
    const Window root = DefaultRootWindow(display);
    for (auto _ : state) {
        state.PauseTiming();
        Sandbox box(20);
        const auto env = SdlEnv(box, server);
        state.ResumeTiming();
        const auto start = Clock::now();
        const int pid = Spawn(box.Copy(), {}, env);
        bool shown = false;
        while (!(shown = CountTitled(display, root) >= 2) && Clock::now() - start < std::chrono::seconds(20))
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        state.PauseTiming();
        KillAndReap(pid);
        // The server drops a killed client's windows a moment later; the next run starts without them.
        const auto killed = Clock::now();
        while (CountTitled(display, root) > 0 && Clock::now() - killed < std::chrono::seconds(5))
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        state.ResumeTiming();
        if (!shown) {
            state.SkipWithError("no first frame on the X server within 20 s");
            break;
        }
    }
    XCloseDisplay(display);
}
#else
void FirstFrameXvfb(benchmark::State& state)
{
    state.SkipWithError("built without Xlib");
}
#endif

void ExecTrue(benchmark::State& state)
{
    for (auto _ : state) {
        const auto start = Clock::now();
        const int pid = Spawn("/bin/true", {}, {});
        waitpid(pid, nullptr, 0);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}

void WholeRun(benchmark::State& state)
{
    double peakKiB = 0, cpuPerSecond = 0, wall = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Sandbox box(200);
        state.ResumeTiming();
        const auto start = Clock::now();
        const int pid = Spawn(box.Copy(), {}, box.Env("headless"));
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        const double cpu =
            usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
        peakKiB = std::max(peakKiB, double(usage.ru_maxrss));
        cpuPerSecond += cpu / seconds;
        wall += seconds;
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::milliseconds(3200)); // let the self-deletion finish
        state.ResumeTiming();
    }
    state.counters["peak_rss_MiB"] = peakKiB / 1024;
    state.counters["cpu_ms_per_s"] = 1000 * cpuPerSecond / double(state.iterations());
    state.counters["run_s"] = wall / double(state.iterations());
}

// Seconds the process's living threads have spent on a CPU (nanoseconds in schedstat).
double CpuSeconds(int pid)
{
    double total = 0;
    std::error_code ec;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        std::ifstream in(task.path() / "schedstat");
        double ns = 0;
        if (in >> ns)
            total += ns / 1e9;
    }
    return total;
}

// CPU seconds per second of the child pid between 0.4 s and 1.1 s after its start, when start-up
// is over and only the animation runs; the child is then reaped and the window becomes the
// iteration's time.
double SampleMidRun(benchmark::State& state, int pid)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    const double cpu0 = CpuSeconds(pid);
    const auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    const double cpu1 = CpuSeconds(pid);
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    waitpid(pid, nullptr, 0);
    state.SetIterationTime(seconds);
    return std::max(0.0, cpu1 - cpu0) / seconds;
}

void ProgressAnimation(benchmark::State& state)
{
    double cpuPerSecond = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Sandbox box(5);
        state.ResumeTiming();
        const int pid = Spawn(box.Copy(), {}, box.Env("headless"));
        cpuPerSecond += SampleMidRun(state, pid);
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::milliseconds(3200)); // let the self-deletion finish
        state.ResumeTiming();
    }
    state.counters["cpu_ms_per_s"] = 1000 * cpuPerSecond / double(state.iterations());
}

// The floor of any 100 Hz animation on this machine: a child that does nothing but wake on an
// absolute 10 ms deadline, sampled exactly as ProgressAnimation samples the uninstaller. On a
// virtual machine each wake-up can cost tens of microseconds of accounted time by itself.
void WakeFloor(benchmark::State& state)
{
    double cpuPerSecond = 0;
    for (auto _ : state) {
        const int pid = fork();
        if (pid == 0) {
            timespec deadline{};
            clock_gettime(CLOCK_MONOTONIC, &deadline);
            for (int tick = 0; tick < 120; ++tick) {
                deadline.tv_nsec += 10'000'000;
                if (deadline.tv_nsec >= 1'000'000'000) {
                    deadline.tv_nsec -= 1'000'000'000;
                    ++deadline.tv_sec;
                }
                while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) != 0) {
                }
            }
            _exit(0);
        }
        if (pid < 0) {
            state.SkipWithError("fork failed");
            break;
        }
        cpuPerSecond += SampleMidRun(state, pid);
    }
    state.counters["cpu_ms_per_s"] = 1000 * cpuPerSecond / double(state.iterations());
}

#ifdef TVU_HAVE_X11
void ProgressAnimationXvfb(benchmark::State& state)
{
    testx::FakeInput input;
    if (!fs::exists("/usr/bin/Xvfb") || !input.Load()) {
        state.SkipWithError("Xvfb or the X test extension library is missing");
        return;
    }
    Xvfb server;
    Display* display = OpenPrivateDisplay(server, state);
    if (!display)
        return;
    const Window root = DefaultRootWindow(display);
    double cpuPerSecond = 0, serverPerSecond = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Sandbox box(5);
        const auto env = SdlEnv(box, server);
        state.ResumeTiming();
        const int pid = Spawn(box.Copy(), {}, env);
        // The main window and its confirmation box, which has the keyboard.
        const auto start = Clock::now();
        while (CountTitled(display, root) < 2 && Clock::now() - start < std::chrono::seconds(20))
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const KeyCode enter = XKeysymToKeycode(display, XK_Return);
        input.key(display, enter, True, 0);
        input.key(display, enter, False, 0);
        XFlush(display);
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        const double cpu0 = CpuSeconds(pid), server0 = CpuSeconds(server.Pid());
        const auto t0 = Clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        const double cpu1 = CpuSeconds(pid), server1 = CpuSeconds(server.Pid());
        const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        state.SetIterationTime(seconds);
        cpuPerSecond += std::max(0.0, cpu1 - cpu0) / seconds;
        serverPerSecond += std::max(0.0, server1 - server0) / seconds;
        state.PauseTiming();
        // The run ends by itself once the removal is done; waiting for it keeps the next run's
        // windows apart from this one's.
        const auto waitStart = Clock::now();
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0 && Clock::now() - waitStart < std::chrono::seconds(20))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (waitpid(pid, &status, WNOHANG) == 0)
            KillAndReap(pid);
        std::this_thread::sleep_for(std::chrono::milliseconds(3200)); // let the self-deletion finish
        state.ResumeTiming();
    }
    XCloseDisplay(display);
    state.counters["cpu_ms_per_s"] = 1000 * cpuPerSecond / double(state.iterations());
    state.counters["server_cpu_ms_per_s"] = 1000 * serverPerSecond / double(state.iterations());
}
#else
void ProgressAnimationXvfb(benchmark::State& state)
{
    state.SkipWithError("built without Xlib");
}
#endif

} // namespace

BENCHMARK(ExecTrue)->Name("FirstFrame/exec-true")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(FirstFrameHeadless)
    ->Name("FirstFrame/headless")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(8);
BENCHMARK(FirstFrameXvfb)->Name("FirstFrame/xvfb")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8);
BENCHMARK(WholeRun)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ProgressAnimation)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(WakeFloor)
    ->Name("ProgressAnimation/wake-floor")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(ProgressAnimationXvfb)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
