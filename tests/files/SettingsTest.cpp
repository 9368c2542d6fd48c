// The settings survive the program: each step runs as its own process, so a
// value can only come back through config.dat.
#include "files/Settings.h"
#include "files/modINI.h"

#include "files/FileTestSupport.h"
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace corvane {
namespace {

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        setenv("CORVANE_PROGRAM_FOLDER", dir_.path().toLocal8Bit().constData(), 1);
        SetProgramFolder(QString()); // this process follows the variable too
    }
    void TearDown() override { unsetenv("CORVANE_PROGRAM_FOLDER"); }

    // Runs the probe as a new program and returns what it printed.
    static std::string Start(const std::string& args) {
        const std::string command = std::string("'") + SETTINGS_PROBE + "' " + args;
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) return "<no probe>";
        std::string out;
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
        const int status = pclose(pipe);
        return status == 0 ? out : out + "<failed>";
    }
    void PutConfig(const QByteArray& bytes) const { PutFile(dir_.filePath("config.dat"), bytes); }
    QTemporaryDir dir_;
};

TEST_F(SettingsFile, RoundTripAcrossProgramStarts) {
    const std::string user = AccountUserName().toUpper().toStdString();
    EXPECT_EQ(Start("read"), "SOM=True\nNICK=" + user + "\nAVISO=False\n");
    EXPECT_FALSE(QFile::exists(dir_.filePath("config.dat"))); // reading creates nothing

    EXPECT_EQ(Start("close False 'Ana Maria'"), "");
    EXPECT_EQ(Start("read"), "SOM=False\nNICK=ANA MARIA\nAVISO=False\n");
    EXPECT_EQ(Start("aviso True"), "");
    EXPECT_EQ(Start("close True ana"), "");
    EXPECT_EQ(Start("read"), "SOM=True\nNICK=ANA\nAVISO=True\n");
    EXPECT_EQ(ReadIniValue("Corvane", "NICK", ConfigPath(), ""), "ana"); // stored as given
}

TEST_F(SettingsFile, OddValuesFallBackToTheDefaults) {
    const std::pair<QByteArray, std::pair<bool, bool>> rows[] = {
        {"[Corvane]\nSOM=talvez\nAVISO=sim\n", {true, false}},
        {"[Corvane]\nSOM=false\nAVISO=TRUE\n", {false, true}},
        {"[Corvane]\r\nSOM=0\r\nAVISO=-1\r\n", {false, true}},
        {"[Corvane]\nSOM=Falso\nAVISO=Verdadeiro\n", {false, true}},
        {"\xFF\xFE\x00\x01", {true, false}},
    };
    for (const auto& [file, expected] : rows) {
        PutConfig(file);
        EXPECT_EQ(ReadSoundOn(), expected.first) << file.toStdString();
        EXPECT_EQ(ReadWarningHidden(), expected.second) << file.toStdString();
    }
}

TEST_F(SettingsFile, WritesKeepTheRestOfTheFile) {
    PutConfig("[Corvane]\r\n; mine\r\nNICK=old\r\nOTHER=x\r\n");
    ASSERT_TRUE(WriteSettingsOnClose(false, "NEW"));
    ASSERT_TRUE(WriteWarningHidden(true));
    EXPECT_EQ(GetFile(dir_.filePath("config.dat")),
              "[Corvane]\r\n; mine\r\nNICK=NEW\r\nOTHER=x\r\nSOM=False\r\nAVISO=True\r\n");
    // A run that chose no nick keeps the stored one.
    ASSERT_TRUE(WriteSettingsOnClose(true, ""));
    EXPECT_EQ(ReadNick(), "NEW");
    EXPECT_TRUE(ReadSoundOn());
}

} // namespace
} // namespace corvane
