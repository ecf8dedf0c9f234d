// End-to-end: the real executable, started from a throwaway installation directory.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "run_program.h"
#include "test_support.h"

namespace {

const char FATAL_NO_CONFIG_FILE[] =
    "Fatal Error. Name of config file not found. What can I do without a config file to modify?\n"
    "To specify a config file, edit setup.config and add the following line (without the <>):\n"
    "config_file <Name of config file>\n";
const char NO_NAME[] = "Unable to find name of program. Using default (Application)\n";

// An installation directory holding a link to the program and a "Version.txt" that
// points at a working directory of its own, so the real home is never touched.
class StartupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        mkdir(install.c_str(), 0755);
        mkdir(work.c_str(), 0755);
        ASSERT_EQ(symlink(SETUP_BINARY, (install + "/setup").c_str()), 0);
        write_file(install + "/Version.txt", work + "\n");
    }
    ProgramResult run(const std::string &argv0, const std::string &cwd) {
        return run_program(SETUP_BINARY, argv0, cwd);
    }
    ProgramResult run() { return run(install + "/setup", root.path()); }

    TempDir root;
    std::string install = root / "install";
    std::string work = root / "work";
};

TEST_F(StartupTest, MissingSettingsFileIsFatal) {
    ProgramResult result = run();
    EXPECT_EQ(result.stderr_text, "Unable to read from setup.config\n");
    EXPECT_EQ(result.status, 255);
}

TEST_F(StartupTest, SettingsWithoutConfigFileAreFatal) {
    write_file(work + "/setup.config", "# nothing useful\n");
    ProgramResult result = run();
    EXPECT_EQ(result.stderr_text, std::string(NO_NAME) + FATAL_NO_CONFIG_FILE);
    EXPECT_EQ(result.status, 255);
}

TEST_F(StartupTest, FaultyLinesAreReportedInOrderBeforeTheDefaults) {
    write_file(work + "/setup.config", "program_name A\nprogram_name B\nconfig_file\ncolumns none\n"
                                       "Temp_file x\ntemp_file\n");
    ProgramResult result = run();
    EXPECT_EQ(result.stderr_text, "Duplicate program_name in config file\n"
                                  "Missing parameter for config_file\n"
                                  "Invalid parameter for column in config file\n"
                                  "Unknown line in config file: Temp_file x\n"
                                  "Missing parameter for temp_file in config file\n" +
                                      std::string(FATAL_NO_CONFIG_FILE));
    EXPECT_EQ(result.status, 255);
}

TEST_F(StartupTest, WithoutADisplayTheToolkitEndsTheProgramAfterTheSettings) {
    write_file(work + "/setup.config", "program_name P\nconfig_file game.conf\ntemp_file t\n");
    ProgramResult result = run();
    // "game.conf" is missing too: the toolkit's failure shows that the window is opened
    // before the game's file is read. Its warning carries the program's name, its pid and the time
    // of day.
    EXPECT_THAT(result.stderr_text,
                ::testing::MatchesRegex("Unable to find number of columns. Using default \\(3\\)\n"
                                        "\n\\([^:]*:[0-9]+\\): Gtk-WARNING \\*\\*: "
                                        "[0-9:.]+: cannot open display: \n"));
    EXPECT_EQ(result.status, 1);
}

// Each location's settings file names itself through an unknown line, which the
// program reports before stopping for the missing config_file.
std::string where(const std::string &label) { return "where " + label + "\n"; }
std::string reported(const std::string &label) {
    return "Unknown line in config file: where " + label + "\n" + NO_NAME + FATAL_NO_CONFIG_FILE;
}

TEST_F(StartupTest, WorkingDirectoryComesFirstThenTheInstallation) {
    write_file(install + "/setup.config", where("install"));
    EXPECT_EQ(run().stderr_text, reported("install"));
    write_file(work + "/setup.config", where("work"));
    EXPECT_EQ(run().stderr_text, reported("work"));
}

TEST_F(StartupTest, InstallationDirectoryFollowsTheWayTheProgramWasStarted) {
    write_file(install + "/setup.config", where("install"));
    EXPECT_EQ(run("./install/setup", root.path()).stderr_text, reported("install"));
    EXPECT_EQ(run("../install/setup", work).stderr_text, reported("install"));
    // A bare name keeps the start directory.
    EXPECT_EQ(run("setup", install).stderr_text, reported("install"));
}

TEST_F(StartupTest, BackslashSeparatesLikeASlash) {
    std::string odd = root / "odd\\";
    mkdir(odd.c_str(), 0755);
    write_file(odd + "/Version.txt", work + "\n");
    write_file(odd + "/setup.config", where("odd"));
    EXPECT_EQ(run("odd\\setup", root.path()).stderr_text, reported("odd"));
}

TEST_F(StartupTest, VersionWordEndsAtWhiteSpace) {
    write_file(install + "/Version.txt", work + "\tignored words");
    write_file(work + "/setup.config", where("work"));
    EXPECT_EQ(run().stderr_text, reported("work"));
    write_file(install + "/Version.txt", work);
    EXPECT_EQ(run().stderr_text, reported("work"));
}

TEST_F(StartupTest, ParentVersionFileIsUsedWhenTheInstallationHasNone) {
    unlink((install + "/Version.txt").c_str());
    write_file(root / "Version.txt", work + "\n");
    write_file(work + "/setup.config", where("work"));
    EXPECT_EQ(run().stderr_text, reported("work"));
}

TEST_F(StartupTest, MissingSubdirectoryLeavesTheHomeOrInstallation) {
    // The named directory does not exist: the program stays in the home directory, which
    // holds no settings, so the installed file is read.
    write_file(install + "/Version.txt", root / "absent\n");
    write_file(install + "/setup.config", where("install"));
    EXPECT_EQ(run().stderr_text, reported("install"));
}

} // namespace
