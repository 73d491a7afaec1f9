// Removing a staged installation of 50,000 files in nested folders with step 1 of the uninstaller
// (registry read, manifest parse, deletion of every listed name) against `rm -rf` of an identical
// tree in the same run. Both trees are staged fresh by tarvion-stage before each timed round, and
// the two removals alternate in order so that neither always runs on a warmer cache.
//
// The trees live on tmpfs (/dev/shm) unless TVU_BENCH_DIR names another folder: on a disk file
// system the cost of a delete is mostly the device's (journal commits, online discard), which
// varies by seconds between runs and hides what the two programs themselves spend.
#include "app/Removal.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 50000;

std::string Quote(const fs::path& p)
{
    std::string quoted(1, '\'');
    quoted += p.string();
    quoted += '\'';
    return quoted;
}

bool Stage(const fs::path& dir)
{
    const std::string tool = std::string(TVU_BINARY_DIR) + "/tools/tarvion-stage/tarvion-stage";
    const std::string command = Quote(tool) + " " + Quote(dir) + " --files " + std::to_string(kFiles) + " >/dev/null";
    return std::system(command.c_str()) == 0;
}

double Seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

void BM_RemoveStagedInstallation(benchmark::State& state)
{
    const char* chosen = std::getenv("TVU_BENCH_DIR");
    const fs::path root = chosen && *chosen ? fs::path(chosen) : fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    const fs::path base = root / ("tvu-bench-" + std::to_string(std::random_device()()));
    double ours = 0, rm = 0;
    int round = 0;
    for (auto _ : state) {
        const fs::path a = base / ("ours" + std::to_string(round));
        const fs::path b = base / ("rm" + std::to_string(round));
        if (!Stage(a) || !Stage(b)) {
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

BENCHMARK(BM_RemoveStagedInstallation)->UseManualTime()->Iterations(6)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
