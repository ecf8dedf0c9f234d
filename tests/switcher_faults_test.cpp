// Real faults around a switcher pass: devices as the temporary file, full disks, files and
// directories that the user may not write, links, and kills in the middle of a pass. Each
// pass runs in a driver process, so that fatal ends, limits and kills stay out of here.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "run_program.h"
#include "test_support.h"

namespace {

const char BEFORE[] = "#set G A\n<!-- #A -->\na\n<!-- #end -->\n";
const char AFTER[] = "#set G none\n<!-- #A\na\n#end -->\n";

// The user that the permission cases run as: file modes mean nothing to root.
const uid_t NOBODY = 65534;

struct Limits {
    bool unprivileged = false;
    rlim_t file_size = RLIM_INFINITY;
};

// Runs in the forked child: limits, the user, then the driver.
[[noreturn]] void ExecDriver(const std::string &driver, std::vector<std::string> args,
                             const Limits &limits, int stderr_fd) {
    int null_fd = open("/dev/null", O_RDWR);
    dup2(null_fd, 0);
    dup2(null_fd, 1);
    dup2(stderr_fd, 2);
    // A regression must fail its writes, not fill the disk or hang the suite.
    rlimit size{limits.file_size, limits.file_size};
    setrlimit(RLIMIT_FSIZE, &size);
    signal(SIGXFSZ, SIG_IGN);
    alarm(20);
    if (limits.unprivileged &&
        (setgroups(0, nullptr) != 0 || setresgid(NOBODY, NOBODY, NOBODY) != 0 ||
         setresuid(NOBODY, NOBODY, NOBODY) != 0))
        _exit(126);
    std::vector<char *> argv{const_cast<char *>(driver.c_str())};
    for (std::string &arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(driver.c_str(), argv.data());
    _exit(127);
}

pid_t StartDriver(const std::string &driver, const std::vector<std::string> &args,
                  const Limits &limits, int *stderr_read) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        ExecDriver(driver, args, limits, fds[1]);
    }
    close(fds[1]);
    *stderr_read = fds[0];
    return pid;
}

ProgramResult FinishDriver(pid_t pid, int stderr_read) {
    ProgramResult result{-1, ""};
    char buffer[4096];
    for (ssize_t n; (n = read(stderr_read, buffer, sizeof buffer)) > 0;)
        result.stderr_text.append(buffer, n);
    close(stderr_read);
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

std::vector<std::string> DirectoryEntries(const std::string &path) {
    std::vector<std::string> names;
    DIR *dir = opendir(path.c_str());
    while (dirent *entry = dir ? readdir(dir) : nullptr)
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
            names.push_back(entry->d_name);
    if (dir) closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

mode_t ModeOf(const std::string &path) {
    struct stat st {};
    lstat(path.c_str(), &st);
    return st.st_mode;
}

// A working directory with the target and the temporary file, all open to other users
// so that the driver can run as one of them.
class SwitcherFaultTest : public ::testing::Test {
  protected:
    void SetUp() override {
        chmod(root.path().c_str(), 0755);
        Directory(work, 0755);
        Directory(other, 0755);
        write_file(target, BEFORE);
        // A copy of the driver that every user may run, wherever the build tree lies.
        write_file(driver, read_file(SWITCH_DRIVER));
        chmod(driver.c_str(), 0755);
    }
    void TearDown() override { chmod(work.c_str(), 0755); }
    void Directory(const std::string &path, mode_t mode) {
        mkdir(path.c_str(), mode);
        chmod(path.c_str(), mode);
    }
    // Hands a file or directory to the user that the permission cases run as.
    void GiveToRunner(const std::string &path) {
        if (geteuid() == 0) {
            ASSERT_EQ(chown(path.c_str(), NOBODY, NOBODY), 0) << path;
        }
    }
    std::vector<std::string> Args(const char *action) {
        return {work, install, config_file, temp_file, "0", action, "A", "G"};
    }
    ProgramResult Run(const char *action = "disable", Limits limits = {}) {
        int stderr_read;
        pid_t pid = StartDriver(driver, Args(action), limits, &stderr_read);
        return FinishDriver(pid, stderr_read);
    }
    ProgramResult RunAsUser(const char *action = "disable") {
        Limits limits;
        limits.unprivileged = geteuid() == 0;
        return Run(action, limits);
    }

    TempDir root;
    std::string driver = root / "switch_driver";
    std::string work = root / "work";
    std::string other = root / "other";
    std::string target = work + "/game.conf";
    std::string temp = other + "/config.temp";
    std::string config_file = target;
    std::string temp_file = temp;
    std::string install = root.path();
};

TEST_F(SwitcherFaultTest, TemporaryFileThatIsNoRegularFileOrIsTheTargetIsRefusedBeforeAnyWrite) {
    mkfifo((work + "/fifo").c_str(), 0644);
    mkdir((work + "/subdir").c_str(), 0755);
    symlink("game.conf", (work + "/link").c_str());
    for (std::string device : {"/dev/full", "/dev/zero", "fifo", "subdir", "game.conf", "link"}) {
        SCOPED_TRACE(device);
        temp_file = device;
        Limits limits;
        limits.file_size = 1 << 20;
        ProgramResult result = Run("disable", limits);
        EXPECT_EQ(result.stderr_text, "Unable to write to " + device + "\n");
        EXPECT_EQ(result.status, 255);
        EXPECT_EQ(read_file(target), BEFORE);
    }
}

TEST_F(SwitcherFaultTest, FailedWriteOfTheTemporaryFileEndsTheProcessAndKeepsTheTarget) {
    std::string big = BEFORE + std::string(200000, 'x') + "\n";
    write_file(target, big);
    Limits limits;
    limits.file_size = 64 * 1024;
    ProgramResult result = Run("disable", limits);
    EXPECT_EQ(result.stderr_text, "Unable to write to " + temp + "\n");
    EXPECT_EQ(result.status, 255);
    EXPECT_EQ(read_file(target), big);
}

TEST_F(SwitcherFaultTest, TextIsReadBackFromTheFallbackItWasWrittenTo) {
    GiveToRunner(work);
    GiveToRunner(target);
    GiveToRunner(other);
    install = other;
    temp_file = "config.temp";
    std::string stale = work + "/config.temp";
    write_file(stale, "stale\n");
    chmod(stale.c_str(), 0444);
    ProgramResult result = RunAsUser();
    EXPECT_EQ(result.stderr_text, "");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(read_file(target), AFTER);
    EXPECT_EQ(read_file(other + "/config.temp"), AFTER);
    EXPECT_EQ(read_file(stale), "stale\n");
}

TEST_F(SwitcherFaultTest, LinkedTargetStaysALinkAndItsFileKeepsItsMode) {
    std::string real = other + "/real.conf";
    write_file(real, BEFORE);
    chmod(real.c_str(), 0640);
    unlink(target.c_str());
    ASSERT_EQ(symlink(real.c_str(), target.c_str()), 0);
    ProgramResult result = Run();
    EXPECT_EQ(result.stderr_text, "");
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(S_ISLNK(ModeOf(target)));
    EXPECT_EQ(read_file(real), AFTER);
    EXPECT_EQ(ModeOf(real) & 07777, 0640u);
    EXPECT_EQ(DirectoryEntries(other), (std::vector<std::string>{"config.temp", "real.conf"}));
}

TEST_F(SwitcherFaultTest, ReadOnlyTargetIsReportedAndLeftAsItWas) {
    GiveToRunner(work);
    GiveToRunner(other);
    GiveToRunner(target);
    chmod(target.c_str(), 0444);
    ProgramResult result = RunAsUser();
    EXPECT_EQ(result.stderr_text, "Unable to write  to " + target + "\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(read_file(target), BEFORE);
    EXPECT_EQ(read_file(temp), AFTER);
    EXPECT_EQ(DirectoryEntries(work), std::vector<std::string>{"game.conf"});
}

TEST_F(SwitcherFaultTest, TargetInADirectoryThatRefusesNewFilesIsRewrittenInPlace) {
    GiveToRunner(other);
    GiveToRunner(target);
    chmod(work.c_str(), 0555);
    ProgramResult result = RunAsUser();
    EXPECT_EQ(result.stderr_text, "");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(read_file(target), AFTER);
    EXPECT_EQ(ModeOf(target) & 07777, 0644u);
    EXPECT_EQ(DirectoryEntries(work), std::vector<std::string>{"game.conf"});
}

TEST_F(SwitcherFaultTest, ReadOnlyTargetInADirectoryThatRefusesNewFilesIsLeftAsItWas) {
    GiveToRunner(other);
    chmod(target.c_str(), 0444);
    chmod(work.c_str(), 0555);
    ProgramResult result = RunAsUser();
    EXPECT_EQ(result.stderr_text, "Unable to write  to " + target + "\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(read_file(target), BEFORE);
}

// A filesystem with room for the target but not for a second copy of it.
class SmallFilesystemTest : public SwitcherFaultTest {
  protected:
    void SetUp() override {
        SwitcherFaultTest::SetUp();
        Directory(small, 0755);
        if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=256k") != 0)
            GTEST_SKIP() << "mounting a small tmpfs needs root: " << strerror(errno);
        mounted = true;
        config_file = small + "/game.conf";
        write_file(config_file, big);
    }
    void TearDown() override {
        if (mounted) umount2(small.c_str(), MNT_DETACH);
        SwitcherFaultTest::TearDown();
    }
    std::string small = root / "small";
    std::string big = BEFORE + std::string(150 * 1024, 'x') + "\n";
    bool mounted = false;
};

TEST_F(SmallFilesystemTest, TemporaryFileWithoutRoomEndsTheProcessAndKeepsTheTarget) {
    temp_file = small + "/config.temp";
    ProgramResult result = Run();
    EXPECT_EQ(result.stderr_text, "Unable to write to " + temp_file + "\n");
    EXPECT_EQ(result.status, 255);
    EXPECT_EQ(read_file(config_file), big);
}

TEST_F(SmallFilesystemTest, TargetWithoutRoomForItsNewTextKeepsItsOldText) {
    ProgramResult result = Run();
    EXPECT_EQ(result.stderr_text, "Unable to write  to " + config_file + "\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(read_file(config_file), big);
    EXPECT_EQ(DirectoryEntries(small), std::vector<std::string>{"game.conf"});
    std::string after = AFTER + std::string(150 * 1024, 'x') + "\n";
    EXPECT_EQ(read_file(temp), after);
}

TEST_F(SmallFilesystemTest, FailedRewriteInPlaceIsReportedAndTheTemporaryFileKeepsTheText) {
    std::string blocks, live;
    for (int i = 0; i < 12000; ++i) {
        blocks += "#A\n#end\n";
        live += "<!-- #A -->\n<!-- #end -->\n";
    }
    write_file(config_file, blocks);
    GiveToRunner(config_file);
    GiveToRunner(other);
    chmod(small.c_str(), 0555);
    ProgramResult result = RunAsUser("enable");
    chmod(small.c_str(), 0755);
    EXPECT_EQ(result.stderr_text, "Unable to write  to " + config_file + "\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(read_file(temp), live);
}

// A target of some MiB with many blocks; the driver toggles one choice until killed.
TEST_F(SwitcherFaultTest, KilledPassLeavesTheWholeOldOrTheWholeNewText) {
    std::string before = "#set G A\n", after = "#set G none\n";
    for (int i = 0; i < 40000; ++i) {
        std::string body = "  <value index=\"" + std::to_string(i) + "\" text=\"some words\"/>\n";
        before += "<!-- #A -->\n" + body + "<!-- #end -->\n";
        after += "<!-- #A\n" + body + "#end -->\n";
    }
    write_file(target, before);
    for (int round = 0; round < 20; ++round) {
        int stderr_read;
        pid_t pid = StartDriver(driver, Args("toggle"), Limits{}, &stderr_read);
        usleep(5000 + round * 9000);
        kill(pid, SIGKILL);
        ProgramResult result = FinishDriver(pid, stderr_read);
        ASSERT_EQ(result.status, 128 + SIGKILL) << result.stderr_text;
        std::string text = read_file(target);
        ASSERT_TRUE(text == before || text == after)
            << "round " << round << ": target of " << text.size() << " bytes";
    }
}

} // namespace
