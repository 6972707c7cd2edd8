#include "testsupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace fs = std::filesystem;

namespace ofx::test {

TempDir::TempDir()
{
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = fs::temp_directory_path() / ("ofertix-test-" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) {
            path_ = candidate;
            return;
        }
    }
    ADD_FAILURE() << "could not create a temporary folder";
}

TempDir::~TempDir()
{
    if (path_.empty())
        return;
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::string readFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    if (!in) {
        ADD_FAILURE() << "cannot read " << p;
        return {};
    }
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool writeFile(const fs::path& p, std::string_view bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        ADD_FAILURE() << "cannot write " << p;
        return false;
    }
    return true;
}

fs::path sourceFile(std::string_view relative)
{
    return fs::path(OFX_TESTS_SOURCE_DIR) / std::string(relative);
}

#ifdef _WIN32

bool ranAsUnprivileged() { return false; }

#else

bool ranAsUnprivileged()
{
    if (::geteuid() != 0)
        return false;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string filter = std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name();

    const ::passwd* nobody = ::getpwnam("nobody");
    if (!nobody) {
        ADD_FAILURE() << "this machine has no user \"nobody\" to run the test as";
        return true;
    }
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;

    // The copy of this program, readable by everyone, and a home that belongs to nobody.
    TempDir place;
    std::error_code ec;
    const fs::path program = place.file("test-program");
    const fs::path home = place.file("home");
    fs::copy_file(fs::read_symlink("/proc/self/exe"), program, ec);
    if (!ec)
        fs::create_directory(home, ec);
    if (ec || ::chown(home.c_str(), uid, gid) != 0) {
        ADD_FAILURE() << "could not lay out the unprivileged run: " << ec.message();
        return true;
    }
    fs::permissions(place.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec
                                      | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(program, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec
                                 | fs::perms::others_read | fs::perms::others_exec);

    // Everything the child needs is made before fork: after it only plain system calls are made.
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e) {
        const std::string_view entry(*e);
        if (entry.rfind("HOME=", 0) != 0 && entry.rfind("TMPDIR=", 0) != 0 && entry.rfind("XDG_RUNTIME_DIR=", 0) != 0)
            environment.emplace_back(entry);
    }
    environment.push_back("HOME=" + home.string());
    environment.push_back("TMPDIR=" + home.string());
    std::vector<char*> envp;
    for (std::string& e : environment)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string programText = program.string();
    std::string filterText = filter;
    char* argv[] = {programText.data(), filterText.data(), nullptr};
    const std::string homeText = home.string();

    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe failed";
        return true;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeEnds[1], 1);
        ::dup2(pipeEnds[1], 2);
        if (::chdir(homeText.c_str()) != 0 || ::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
            ::_exit(3);
        ::execve(argv[0], argv, envp.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    std::string output;
    char buffer[4096];
    for (::ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        output.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) {
        ADD_FAILURE() << "could not start the unprivileged run";
        return true;
    }
    const int exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    EXPECT_EQ(exitCode, 0) << "(3: could not become nobody; 127: could not start the copy)\n" << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test."), std::string::npos) << output;
    return true;
}

#endif

}  // namespace ofx::test
