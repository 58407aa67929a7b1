#include "Updater/Updater/Updater.h"

#include <gtest/gtest.h>

namespace {

struct OrderCase
{
    std::string running;
    std::string offered;
    bool older;
};

TEST(VersionOrderTest, VersionsCompareAsTexts)
{
    const OrderCase cases[] = {
        {"1.5", "1.6", true},
        {"1.5", "2.0", true},
        {"1.5", "1.10", false},
        {"1.5", "1.5", false},
        {"1.5", "1.5a", true},
        {"1.5", "10.0", true},
        {"1.5", "1.4", false},
        {"1.5", "", false},
        {"", "1.0", true},
        {"1.5", "1.\x80", true},
        {"1.\x80", "1.5", false},
    };
    for (const OrderCase& c : cases) {
        EXPECT_EQ(IsOlderVersion(c.running, c.offered), c.older) << c.running << " vs " << c.offered;
    }
}

struct PortCase
{
    std::string option;
    uint16_t port;
};

// The command line's Port option stands in for the settings file here: both go through the
// same conversion.
TEST(UpdaterSettingsTest, PortKeepsItsLow16BitsAndSurvivesBadText)
{
    const PortCase cases[] = {
        {"Port=8080", 8080},
        {"Port=65616", 80},
        {"Port=81", 81},
        {"Port=", 80},
        {"Port=abc", 80},
        {"Port=99999999999", 80},
        {"PORT=0x10", 0},
    };
    for (const PortCase& c : cases) {
        Updater updater("prog.exe Filename=none.exe CurrVer=1.5 " + c.option);
        EXPECT_EQ(updater.GetPort(), c.port) << c.option;
    }
}

TEST(UpdaterSettingsTest, NoHostOrPathMeansNoCheck)
{
    Updater noHost("prog.exe Path=/v Port=1");
    EXPECT_FALSE(noHost.CheckForUpdate());
    Updater noPath("prog.exe Host=127.0.0.1 Port=1");
    EXPECT_FALSE(noPath.CheckForUpdate());
}

TEST(UpdaterSettingsTest, TargetAndTempFileComeFromTheFilenameOption)
{
    Updater updater("prog.exe Filename=Target.exe");
    const std::string& target = updater.GetTargetPath();
    EXPECT_EQ(target.substr(target.size() - 11), "\\Target.exe");
    const std::string& temp = updater.GetTempFile();
    EXPECT_EQ(temp.substr(temp.size() - 16), "\\\\_TmpTarget.exe");
}

} // namespace
