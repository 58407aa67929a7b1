#include "Updater/Updater/Updater.h"

#include <gtest/gtest.h>

namespace {

std::string OwnName()
{
    char buffer[1000] = {};
    GetModuleFileNameA(NULL, buffer, sizeof buffer);
    std::string path = buffer;
    return path.substr(path.find_last_of("/\\") + 1);
}

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

TEST(VersionTextTest, OnlyDottedNumbersAreVersions)
{
    const std::pair<std::string, bool> cases[] = {
        {"1.6", true},
        {"2", true},
        {"1.5.3.9", true},
        {"123456789.0", true},
        {"1.5a", false},
        {"1.6\n\nInstall from elsewhere", false},
        {"1.6\t", false},
        {"\n1.6", false},
        {"", false},
        {".1", false},
        {"1.", false},
        {"1..6", false},
        {"-1.6", false},
        {"1234567890.1", false},
        {"1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1", false},
        {"1.6\xC2\xA0", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsVersionText(c.first), c.second) << Printable(c.first);
    }
}

struct ReplyCase
{
    const char* name;
    std::string body;
    bool update;
    std::string newVersion;
    bool major;
    const char* diagnostic;  // a piece of what is printed, or null for nothing
};

// The manifest and version steps of the check, on bodies that never cross a network.
TEST(UpdaterReplyTest, OffersOnlyAPlainNewerVersion)
{
    Updater updater("prog.exe Filename=none.exe CurrVer=1.5");
    const std::string self = OwnName();
    const ReplyCase cases[] = {
        {"minor", self + "=1.6,/m,/M", true, "1.6", false, nullptr},
        {"major", "A.exe=1 " + self + "=2.0,/m,/M", true, "2.0", true, nullptr},
        {"not newer", self + "=1.10,/m", false, "1.10", false, nullptr},
        {"letters", self + "=1.5a,/m", false, "", false, "Offered version is no version number"},
        {"lines for the box", self + "=1.6\n\nVisit\tnow,/m", false, "", false, "1.6\\x0A\\x0AVisit\\x09now"},
        {"line end after the version", self + "=9.0\r\n", false, "", false, "9.0\\x0D\\x0A"},
        {"number too large", self + "=99999999999,/m", false, "", false, "Offered version is no version number"},
        {"empty version", self + "=,/m", false, "", false, "Offered version is no version number"},
        {"no word", "Other.exe=9.9,/a", false, "", false, nullptr},
        {"longer than a version reply", self + "=1.6,/m " + std::string(Updater::kMaxVersionReply, 'x'), false, "",
         false, nullptr},
    };
    for (const ReplyCase& c : cases) {
        testing::internal::CaptureStdout();
        bool update = updater.ReadVersionReply(c.body);
        std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(update, c.update) << c.name;
        EXPECT_EQ(updater.GetNewVersion(), c.newVersion) << c.name;
        EXPECT_EQ(updater.IsMajorUpdate(), c.major) << c.name;
        if (c.diagnostic != nullptr) {
            EXPECT_NE(printed.find(c.diagnostic), std::string::npos) << c.name << ": " << printed;
        } else {
            EXPECT_EQ(printed, "") << c.name;
        }
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
