#include "ServerFixture.h"

#include "Updater/Updater/Updater.h"

#include <string>

namespace {

std::string UniqueFileName()
{
    static int counter = 0;
    return "zorb-net-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter) + ".bin";
}

std::string UpdaterLine(const std::string& fileName, const std::string& currentVersion, const std::string& path)
{
    return "prog.exe Filename=" + fileName + " CurrVer=" + currentVersion +
           " Host=127.0.0.1 Port=" + std::to_string(TestServerPort()) + " Path=" + path;
}

// A version reply that serves several program files; only the running one's word counts.
std::string Manifest(const std::string& entry)
{
    return "Other.exe=9.9,/a,/b " + OwnFileName() + "=" + entry + " Last.exe=0.1";
}

const std::string kMinorPath = Scripted("", "MINOR BODY");
const std::string kMajorPath = Scripted("", "MAJOR BODY");

struct OfferCase
{
    std::string current;
    std::string offered;
    bool update;
    bool major;
};

TEST(UpdaterNetTest, OffersOnlyNewerVersionsAndTellsMajorFromMinor)
{
    REQUIRE_TEST_SERVER();
    const OfferCase cases[] = {
        {"1.5", "1.6", true, false},
        {"1.5", "2.0", true, true},
        {"1.5", "1.10", false, false},
        {"1.5", "1.5", false, false},
        {"1.5", "1.4", false, false},
        // Only dotted numbers are offered: the version text goes into the question to the user.
        {"1.5", "1.5a", false, false},
        {"1.5", "1.6\n\nGet it from elsewhere", false, false},
        {"1.5", "1.6\t", false, false},
        {"1.5", "10.0", true, true},
        {"1.5", "1.6.1", true, false},
        // Versions that are no numbers are no update, and nothing throws.
        {"1.5", "x.1", false, false},
        {"1.5", "1.99999999999", false, false},
        {"1.5", "99999999999", false, false},
        {"abc", "b", false, false},
        {"", "1.0", true, false},
    };
    for (const OfferCase& c : cases) {
        std::string path = Scripted("", Manifest(c.offered + "," + kMinorPath + "," + kMajorPath));
        Updater updater(UpdaterLine(UniqueFileName(), c.current, path));
        testing::internal::CaptureStdout();
        bool update = updater.CheckForUpdate();
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(update, c.update) << c.current << " offered " << c.offered;
        EXPECT_EQ(updater.IsMajorUpdate(), c.major) << c.current << " offered " << c.offered;
        EXPECT_EQ(updater.GetNewVersion(), IsVersionText(c.offered) ? c.offered : "") << c.offered;
    }
}

struct BoundCase
{
    const char* name;
    std::string path;
    bool update;
};

TEST(UpdaterNetTest, VersionReplyIsBoundedInSize)
{
    REQUIRE_TEST_SERVER();
    const std::string word = OwnFileName() + "=1.6," + kMinorPath;
    const size_t limit = Updater::kMaxVersionReply;
    const std::string atLimit = word + " " + std::string(limit - word.size() - 1, 'x');
    const std::string pastLimit = atLimit + "x";
    const BoundCase cases[] = {
        {"at the limit", Scripted("", atLimit), true},
        {"past the limit", Scripted("", pastLimit), false},
        {"past the limit in small pieces", Scripted("chunk=3000+gap=1", pastLimit), false},
        // Neither waits for the rest of what the server says it will send.
        {"announces a huge body", Scripted("len=300000000", word), false},
        // What follows the announced body is no part of the reply, however long.
        {"sends past its announced length",
         Scripted("len=" + std::to_string(word.size()), word + " " + std::string(3 * limit, 'y')), true},
    };
    for (const BoundCase& c : cases) {
        Updater updater(UpdaterLine(UniqueFileName(), "1.5", c.path));
        testing::internal::CaptureStdout();
        EXPECT_EQ(updater.CheckForUpdate(), c.update) << c.name;
        std::string printed = testing::internal::GetCapturedStdout();
        if (!c.update) {
            EXPECT_NE(printed.find("Version reply longer than"), std::string::npos) << c.name << ": " << printed;
        }
    }
}

struct BodyCase
{
    const char* name;
    std::string body;
    bool update;
    std::vector<std::string> fields;
};

TEST(UpdaterNetTest, ReadsTheRunningProgramsWordOfTheBody)
{
    REQUIRE_TEST_SERVER();
    const std::string self = OwnFileName();
    std::string upper = self;
    for (char& ch : upper) {
        ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
    }
    const BodyCase cases[] = {
        {"other words around", "A.exe=3.0,/x " + self + "=1.6,/m,/M B.exe=4.0", true, {"1.6", "/m", "/M"}},
        {"key in capitals", upper + "=1.7,/m", true, {"1.7", "/m"}},
        {"last word wins", self + "=1.6,/one " + self + "=1.8,/two", true, {"1.8", "/two"}},
        {"line end stays in the last field", self + "=1.6,/m,/M\r\n", true, {"1.6", "/m", "/M\r\n"}},
        {"extra fields", self + "=1.6,/m,/M,/x,/y", true, {"1.6", "/m", "/M", "/x", "/y"}},
        {"no word for this program", "Other.exe=9.9,/a,/b", false, {}},
        {"empty value", self + "=", false, {}},
        {"empty body", "", false, {}},
    };
    for (const BodyCase& c : cases) {
        Updater updater(UpdaterLine(UniqueFileName(), "1.5", Scripted("", c.body)));
        testing::internal::CaptureStdout();
        EXPECT_EQ(updater.CheckForUpdate(), c.update) << c.name;
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(updater.GetVersionFields(), c.fields) << c.name;
    }
}

TEST(UpdaterNetTest, CheckFailsQuietlyOnServerErrors)
{
    REQUIRE_TEST_SERVER();
    const std::string paths[] = {
        Scripted("status=500", Manifest("1.6,/m")),
        Scripted("nolen+close", Manifest("1.6,/m")),
        Scripted("raw+close", "not http at all"),
    };
    for (const std::string& path : paths) {
        Updater updater(UpdaterLine(UniqueFileName(), "1.5", path));
        testing::internal::CaptureStdout();
        EXPECT_FALSE(updater.CheckForUpdate()) << path;
        testing::internal::GetCapturedStdout();
    }
}

class UpdaterDownloadTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        for (const std::string& file : cleanup) {
            DeleteFileA(file.c_str());
        }
    }

    // Check and download with one Updater, as the update thread does.
    bool CheckAndDownload(Updater& updater)
    {
        cleanup.push_back(updater.GetTempFile());
        cleanup.push_back(updater.GetTargetPath());
        testing::internal::CaptureStdout();
        bool checked = updater.CheckForUpdate();
        bool downloaded = checked && updater.Download();
        testing::internal::GetCapturedStdout();
        EXPECT_TRUE(checked);
        // A download that failed leaves nothing the updater program could take for the program.
        if (!downloaded) {
            EXPECT_EQ(GetFileAttributesA(updater.GetTempFile().c_str()), INVALID_FILE_ATTRIBUTES)
                << updater.GetTempFile() << " was left behind";
        }
        return downloaded;
    }

    std::vector<std::string> cleanup;
};

TEST_F(UpdaterDownloadTest, DownloadsTheChosenFieldOnTheSameConnection)
{
    REQUIRE_TEST_SERVER();
    struct Case { std::string offered; std::string expected; };
    // The conn route answers with its request number on the connection: 2 means the download
    // followed the version request on the one connection.
    const Case cases[] = {
        {"1.6," + kMinorPath + "," + kMajorPath, "MINOR BODY"},
        {"2.0," + kMinorPath + "," + kMajorPath, "MAJOR BODY"},
        {"1.7,/t/conn/", "req=2"},
    };
    for (const Case& c : cases) {
        Updater updater(UpdaterLine(UniqueFileName(), "1.5", Scripted("", Manifest(c.offered))));
        ASSERT_TRUE(CheckAndDownload(updater)) << c.offered;
        std::string file = ReadWholeFile(updater.GetTempFile());
        EXPECT_EQ(file.substr(file.size() - c.expected.size()), c.expected);
        EXPECT_EQ(updater.GetBytesDownloaded(), static_cast<int64_t>(file.size()));
    }
}

TEST_F(UpdaterDownloadTest, DownloadFailsWithoutPathOrWithAnErrorReply)
{
    REQUIRE_TEST_SERVER();
    const std::string offers[] = {
        "1.6",                                 // no path at all
        "2.0," + kMinorPath,                   // a major update with only the minor path
        "1.6," + Scripted("status=404", "x"),  // the server has no such file
        "1.6," + Scripted("pad=1100", "x"),    // a reply whose header never ends in time
        "2.0,/m,/t/conn/\r\n",                  // a line end that would go into the request line
        "1.6,/t/conn/\r\nX-Injected:\t1",
    };
    for (const std::string& offer : offers) {
        Updater updater(UpdaterLine(UniqueFileName(), "1.5", Scripted("", Manifest(offer))));
        EXPECT_FALSE(CheckAndDownload(updater)) << offer;
    }
    // After a version reply that closed the connection, the download cannot be requested.
    Updater closed(UpdaterLine(UniqueFileName(), "1.5", Scripted("close", Manifest("1.6," + kMinorPath))));
    EXPECT_FALSE(CheckAndDownload(closed));
}

struct DownloadCase
{
    const char* name;
    std::string path;
};

TEST_F(UpdaterDownloadTest, OnlyTheWholeAnnouncedFileIsADownload)
{
    REQUIRE_TEST_SERVER();
    const DownloadCase cases[] = {
        {"closed after 8 of 5,000,000 bytes", Scripted("len=5000000+close", std::string("MZ\x90\x00\x03\x00\x00\x00", 8))},
        {"closed after 10 of 100 bytes in pieces", Scripted("len=100+close+chunk=4+gap=1", "0123456789")},
        {"announced empty", Scripted("", "")},
        {"no length", Scripted("nolen", "")},
    };
    for (const DownloadCase& c : cases) {
        Updater updater(UpdaterLine(UniqueFileName(), "1.5", Scripted("", Manifest("1.6," + c.path))));
        EXPECT_FALSE(CheckAndDownload(updater)) << c.name;
        EXPECT_EQ(updater.GetExpectedSize(), -1) << c.name;
    }
}

// A server that sends more than it announced has still sent the announced file whole.
TEST_F(UpdaterDownloadTest, BytesAfterTheAnnouncedBodyAreNoPartOfTheDownload)
{
    REQUIRE_TEST_SERVER();
    const int64_t kProgramSize = 959426;
    const struct
    {
        const char* name;
        std::string path;
        std::string file;
    } cases[] = {
        {"in the body's last receive", Scripted("len=4", "0123456789"), "0123"},
        {"a program, then 1 MB more", Scripted("fill=" + std::to_string(kProgramSize + 1000000) + "+len=" +
                                                   std::to_string(kProgramSize), ""),
         std::string(kProgramSize, 'z')},
        {"then the server closes", Scripted("len=4+close", "0123456789"), "0123"},
    };
    for (const auto& c : cases) {
        Updater updater(UpdaterLine(UniqueFileName(), "1.5", Scripted("", Manifest("1.6," + c.path))));
        ASSERT_TRUE(CheckAndDownload(updater)) << c.name;
        EXPECT_TRUE(ReadWholeFile(updater.GetTempFile()) == c.file) << c.name;
        EXPECT_EQ(updater.GetBytesDownloaded(), static_cast<int64_t>(c.file.size())) << c.name;
        EXPECT_EQ(updater.GetExpectedSize(), static_cast<int64_t>(c.file.size())) << c.name;
    }
}

// No length, or one that is no plain number, bounds the body at nothing: not a byte of it is
// written, however much the server would send.
TEST_F(UpdaterDownloadTest, ALengthThatIsNoNumberWritesNothing)
{
    REQUIRE_TEST_SERVER();
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    const DownloadCase cases[] = {
        {"-1 before 4,000,000 bytes", Scripted("len=-1+fill=4000000+close", "")},
        {"-2", Scripted("len=-2+close", "0123456789")},
        {"a plus sign", Scripted("raw+close", ok + "Content-Length: +10\r\n\r\n0123456789")},
        {"letters after the digits", Scripted("raw+close", ok + "Content-Length: 10x\r\n\r\n0123456789")},
        {"no length", Scripted("nolen+close", "0123456789")},
    };
    for (const DownloadCase& c : cases) {
        Updater updater(UpdaterLine(UniqueFileName(), "1.5", Scripted("", Manifest("1.6," + c.path))));
        EXPECT_FALSE(CheckAndDownload(updater)) << c.name;
        EXPECT_EQ(updater.GetBytesDownloaded(), 0) << c.name;
    }
}

TEST_F(UpdaterDownloadTest, CopyChecksTheSizeThatWasWritten)
{
    REQUIRE_TEST_SERVER();
    Updater updater(UpdaterLine(UniqueFileName(), "1.5", Scripted("", Manifest("1.6," + kMinorPath))));
    ASSERT_TRUE(CheckAndDownload(updater));
    EXPECT_EQ(updater.GetExpectedSize(), 10);

    // The copy goes over the target only when the file still has the size that was written.
    FILE* target = fopen(updater.GetTargetPath().c_str(), "wb");
    ASSERT_NE(target, nullptr);
    fputs("old program", target);
    fclose(target);
    FILE* grown = fopen(updater.GetTempFile().c_str(), "ab");
    fputs("!", grown);
    fclose(grown);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(updater.CopyDownloaded(false));
    EXPECT_FALSE(updater.CopyDownloaded(true));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(ReadWholeFile(updater.GetTargetPath()), "old program");
}

TEST_F(UpdaterDownloadTest, CopyReplacesTheTargetWithTheDownload)
{
    REQUIRE_TEST_SERVER();
    Updater updater(UpdaterLine(UniqueFileName(), "1.5", Scripted("", Manifest("1.6," + kMinorPath))));
    ASSERT_TRUE(CheckAndDownload(updater));
    FILE* target = fopen(updater.GetTargetPath().c_str(), "wb");
    ASSERT_NE(target, nullptr);
    fclose(target);
    EXPECT_TRUE(updater.CopyDownloaded(false));
    EXPECT_EQ(ReadWholeFile(updater.GetTargetPath()), "MINOR BODY");

    Updater nothing(UpdaterLine(UniqueFileName(), "1.5", "/unused"));
    EXPECT_FALSE(nothing.CopyDownloaded(true));
}

} // namespace
