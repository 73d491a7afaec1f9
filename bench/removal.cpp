// Removing a staged installation with step 1 of the uninstaller (registry read, manifest parse,
// deletion of every listed name) against `rm -rf` of an identical tree in the same run, for three
// trees: 50,000 files in nested folders, 100,000 files, and the 50,000 files beside a chain of
// 10,000 nested folders (listed by its top folder only, as an installer that records a folder it
// filled would). Both trees are staged fresh by tarvion-stage before each timed round, and
// the two removals alternate in order so that neither always runs on a warmer cache.
//
// The trees live on tmpfs (/dev/shm) unless TVU_BENCH_DIR names another folder: on a disk file
// system the cost of a delete is mostly the device's (journal commits, online discard), which
// varies by seconds between runs and hides what the two programs themselves spend.
#include "app/Removal.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string Quote(const fs::path& p)
{
    std::string quoted(1, '\'');
    quoted += p.string();
    quoted += '\'';
    return quoted;
}

// A chain of `depth` folders named "d" below install/chain, made through descriptors because its
// path is far longer than any path the kernel accepts at once.
bool MakeChain(const fs::path& install, int depth)
{
    fs::create_directory(install / "chain");
    int fd = open((install / "chain").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; level < depth && fd >= 0; ++level) {
        const int next = mkdirat(fd, "d", 0755) == 0 ? openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
        close(fd);
        fd = next;
    }
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

// Lists install/chain in the manifest, before the manifest's own entry.
bool ListChain(const fs::path& install)
{
    const fs::path manifest = install / "uninstall.dat";
    std::string text;
    {
        std::FILE* in = std::fopen(manifest.c_str(), "rb");
        if (in == nullptr)
            return false;
        char buffer[65536];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
            text.append(buffer, n);
        std::fclose(in);
    }
    const std::string last = "  {\"name\": \"uninstall.dat\"}";
    const std::size_t at = text.rfind(last);
    if (at == std::string::npos)
        return false;
    text.insert(at, "  {\"name\": \"chain\"},\n");
    std::FILE* out = std::fopen(manifest.c_str(), "wb");
    if (out == nullptr)
        return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    return std::fclose(out) == 0 && ok;
}

bool Stage(const fs::path& dir, int files, int chain)
{
    const std::string tool = std::string(TVU_BINARY_DIR) + "/tools/tarvion-stage/tarvion-stage";
    const std::string command = Quote(tool) + " " + Quote(dir) + " --files " + std::to_string(files) + " >/dev/null";
    if (std::system(command.c_str()) != 0)
        return false;
    return chain == 0 || (MakeChain(dir / "install", chain) && ListChain(dir / "install"));
}

double Seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// state.range(0) files, and a chain of state.range(1) folders beside them.
void BM_RemoveStagedInstallation(benchmark::State& state)
{
    const int files = int(state.range(0));
    const int chain = int(state.range(1));
    const char* chosen = std::getenv("TVU_BENCH_DIR");
    const fs::path root = chosen && *chosen ? fs::path(chosen) : fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    const fs::path base = root / ("tvu-bench-" + std::to_string(std::random_device()()));
    double ours = 0, rm = 0;
    int round = 0;
    for (auto _ : state) {
        const fs::path a = base / ("ours" + std::to_string(round));
        const fs::path b = base / ("rm" + std::to_string(round));
        if (!Stage(a, files, chain) || !Stage(b, files, chain)) {
            state.SkipWithError("tarvion-stage failed (build the tarvion-stage target)");
            break;
        }
        setenv("TVU_REGISTRY", (a / "registry.db").c_str(), 1);
        const std::string rmCommand = "rm -rf " + Quote(b / "install");

        double oursTime = 0, rmTime = 0;
        const auto timeOurs = [&] {
            const auto start = std::chrono::steady_clock::now();
            RemoveListedFiles();
            oursTime = Seconds(std::chrono::steady_clock::now() - start);
        };
        const auto timeRm = [&] {
            const auto start = std::chrono::steady_clock::now();
            if (std::system(rmCommand.c_str()) != 0)
                state.SkipWithError("rm -rf failed");
            rmTime = Seconds(std::chrono::steady_clock::now() - start);
        };
        if (round % 2 == 0) {
            timeOurs();
            timeRm();
        } else {
            timeRm();
            timeOurs();
        }
        if (fs::exists(a / "install"))
            state.SkipWithError("the installation directory was not removed");
        state.SetIterationTime(oursTime);
        ours += oursTime;
        rm += rmTime;
        ++round;
    }
    std::error_code ec;
    fs::remove_all(base, ec);
    if (round > 0) {
        state.counters["ours_ms"] = 1000 * ours / round;
        state.counters["rm_rf_ms"] = 1000 * rm / round;
        state.counters["ratio_vs_rm_rf"] = ours / rm;
    }
}

} // namespace

BENCHMARK(BM_RemoveStagedInstallation)
    ->ArgNames({"files", "chain"})
    ->Args({50000, 0})
    ->Args({100000, 0})
    ->Args({50000, 10000})
    ->UseManualTime()
    ->Iterations(6)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
