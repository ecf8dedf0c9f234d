#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "central.h"
#include "file.h"
#include "test_support.h"

namespace {

class SettingsTest : public ::testing::Test {
  protected:
    // Loads `content` as the working directory's "setup.config"; returns standard error.
    std::string Load(const std::string &content) {
        write_file(work / "setup.config", content);
        ScopedChdir here(work.path());
        testing::internal::CaptureStderr();
        LoadMainConfig();
        return testing::internal::GetCapturedStderr();
    }
    void TearDown() override {
        ClearMainConfig();
        origpath[0] = '\0';
    }
    TempDir work;
};

const char DEFAULT_NAME[] = "Unable to find name of program. Using default (Application)\n";
const char DEFAULT_TEMP[] = "Unable to find name of temporary file. Using default (config.temp)\n";
const char DEFAULT_COLUMNS[] = "Unable to find number of columns. Using default (3)\n";

struct SettingsCase {
    const char *what;
    std::string content;
    std::string messages;
    std::string program_name;
    std::string temp_file;
    int columns;
};

TEST_F(SettingsTest, ReportsEachFaultyLineAndKeepsReading) {
    const std::string full =
        "program_name Game\nconfig_file game.conf\ntemp_file t.tmp\ncolumns 2\n";
    const SettingsCase cases[] = {
        {"all four settings", full, "", "Game", "t.tmp", 2},
        {"only the config file", "config_file game.conf\n",
         std::string(DEFAULT_NAME) + DEFAULT_TEMP + DEFAULT_COLUMNS, "Application", "config.temp",
         3},
        {"comments, blank lines and CR-LF", "# note\r\n\r\n   \nconfig_file game.conf\r\n" + full,
         "Duplicate config_file in config file\n", "Game", "t.tmp", 2},
        {"indented hash is no comment", "  # indented\n" + full,
         "Unknown line in config file:   # indented\n", "Game", "t.tmp", 2},
        {"tab does not separate", "program_name\tTab\n" + full,
         "Unknown line in config file: program_name\tTab \n", "Game", "t.tmp", 2},
        {"keys are case-sensitive", "Program_name Big\n" + full,
         "Unknown line in config file: Program_name Big\n", "Game", "t.tmp", 2},
        {"missing parameter, then a valid line", "program_name   \n" + full,
         "Missing parameter for program_name\n", "Game", "t.tmp", 2},
        {"missing temp_file and columns parameters", "temp_file\ncolumns\n" + full,
         "Missing parameter for temp_file in config file\n"
         "Missing parameter for columns in config file\n",
         "Game", "t.tmp", 2},
        {"duplicates keep the first value", full + "program_name Other\ntemp_file u\ncolumns 4\n",
         "Duplicate program_name in config file\nDuplicate temp_file in config file\n"
         "Duplicate columns in config file\n",
         "Game", "t.tmp", 2},
        {"duplicate without a parameter", full + "program_name\n",
         "Duplicate program_name in config file\n", "Game", "t.tmp", 2},
        {"two spaces keep a leading space", "config_file g\nprogram_name  Two  words\n",
         std::string(DEFAULT_TEMP) + DEFAULT_COLUMNS, " Two  words", "config.temp", 3},
        {"zero columns take the default", "config_file g\ncolumns 0\n",
         std::string("Invalid parameter for column in config file\n") + DEFAULT_NAME +
             DEFAULT_TEMP + DEFAULT_COLUMNS,
         "Application", "config.temp", 3},
        {"text columns take the default", "config_file g\ncolumns many\n",
         std::string("Invalid parameter for column in config file\n") + DEFAULT_NAME +
             DEFAULT_TEMP + DEFAULT_COLUMNS,
         "Application", "config.temp", 3},
        {"number followed by text", "config_file g\ncolumns 4x\n",
         std::string(DEFAULT_NAME) + DEFAULT_TEMP, "Application", "config.temp", 4},
        {"negative columns are replaced silently", "config_file g\ncolumns -2\ncolumns 5\n",
         std::string(DEFAULT_NAME) + DEFAULT_TEMP, "Application", "config.temp", 5},
        {"negative then zero leaves zero", "config_file g\ncolumns -2\ncolumns 0\n",
         std::string("Invalid parameter for column in config file\n") + DEFAULT_NAME + DEFAULT_TEMP,
         "Application", "config.temp", 0},
        {"negative stays without a later line", "config_file g\ncolumns -1\n",
         std::string(DEFAULT_NAME) + DEFAULT_TEMP, "Application", "config.temp", -1},
    };
    for (const SettingsCase &c : cases) {
        EXPECT_EQ(Load(c.content), c.messages) << c.what;
        EXPECT_STREQ(CONFIG.program_name, c.program_name.c_str()) << c.what;
        EXPECT_STREQ(CONFIG.temp_file, c.temp_file.c_str()) << c.what;
        EXPECT_EQ(CONFIG.columns, c.columns) << c.what;
        ClearMainConfig();
    }
}

TEST_F(SettingsTest, LongLineArrivesInPiecesOfAtMost1023Bytes) {
    const std::string head = "program_name " + std::string(1010, 'A');
    ASSERT_EQ(head.size(), 1023u);
    std::string messages =
        Load(head + "temp_file t.tmp\n" + "config_file g" + std::string(1010, 'B') + "#x\n");
    EXPECT_EQ(messages, DEFAULT_COLUMNS);
    EXPECT_EQ(CONFIG.program_name, std::string(1010, 'A'));
    EXPECT_STREQ(CONFIG.temp_file, "t.tmp");
    // The "#x" piece after the first 1023 bytes is a comment of its own.
    EXPECT_EQ(CONFIG.config_file, "g" + std::string(1010, 'B'));
}

TEST_F(SettingsTest, WorkingDirectoryFileHidesTheInstalledOne) {
    TempDir installed;
    strcpy(origpath, installed.path().c_str());
    write_file(installed / "setup.config", "config_file installed\ncolumns 1\n");
    Load("config_file here\n");
    EXPECT_STREQ(CONFIG.config_file, "here");
    EXPECT_EQ(CONFIG.columns, 3);
}

TEST_F(SettingsTest, FallsBackToTheInstallationDirectory) {
    TempDir installed;
    strcpy(origpath, installed.path().c_str());
    write_file(installed / "setup.config", "config_file installed\ncolumns 1\n");
    ScopedChdir here(work.path());
    testing::internal::CaptureStderr();
    LoadMainConfig();
    testing::internal::GetCapturedStderr();
    EXPECT_STREQ(CONFIG.config_file, "installed");
    EXPECT_EQ(CONFIG.columns, 1);
}

} // namespace
