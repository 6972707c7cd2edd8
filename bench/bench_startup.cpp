// Start-up of the desktop program: from process start to its first window shown and painted.
// Runs the real executable with OFX_STARTUP_PROBE=1, which prints a line once the window is up
// and then leaves; the time is taken from spawning to reading that line. Without a display
// (DISPLAY unset) it uses Qt's offscreen platform.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

std::vector<std::string> childEnvironment()
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "OFX_STARTUP_PROBE=", 18) != 0)
            env.emplace_back(*e);
    env.emplace_back("OFX_STARTUP_PROBE=1");
    if (!std::getenv("DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        env.emplace_back("QT_QPA_PLATFORM=offscreen");
    return env;
}

// Seconds from spawn to the probe's line; negative on failure.
double startOnce(const std::vector<std::string>& env)
{
    int out[2];
    if (pipe(out) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    std::vector<char*> envp;
    for (const auto& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(OFX_APP_PATH), nullptr};

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, OFX_APP_PATH, &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return -1;
    }
    std::string line;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n')
        line.push_back(c);
    const auto shown = std::chrono::steady_clock::now();
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (line != "ofertix: janela exibida")
        return -1;
    return std::chrono::duration<double>(shown - start).count();
}

void BM_StartupToFirstWindow(benchmark::State& state)
{
    const auto env = childEnvironment();
    for (auto _ : state) {
        const double seconds = startOnce(env);
        if (seconds < 0) {
            state.SkipWithError("the program did not report its first window");
            return;
        }
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(BM_StartupToFirstWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
