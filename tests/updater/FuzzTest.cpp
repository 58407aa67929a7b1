#include "FuzzReplies.h"
#include "ServerFixture.h"

#include "Updater/Updater/HttpClient.h"
#include "Updater/Updater/SocketRecvBuffer.h"
#include "Updater/Updater/SocketRecvFileWriter.h"
#include "Updater/Updater/Updater.h"

#include <random>
#include <string>
#include <vector>

namespace {

constexpr unsigned kSeed = 20261215;

// Keeps the client's diagnostics of a whole loop out of the test log.
struct QuietStdout
{
    QuietStdout() { testing::internal::CaptureStdout(); }
    ~QuietStdout() { testing::internal::GetCapturedStdout(); }
};

TEST(FuzzTest, RandomRepliesNeverCrashOrHangTheClient)
{
    REQUIRE_TEST_SERVER();
    std::mt19937 random(kSeed);
    const int kRounds = 300;
    int accepted = 0;
    QuietStdout quiet;
    for (int round = 0; round < kRounds; ++round) {
        std::string reply = MakeFuzzReply(random, "fuzz.exe");
        std::string options = "raw+close";
        if (random() % 3 == 0) {
            options += "+gap=1+chunk=" + std::to_string(1 + random() % 700);
        }
        HttpClient client("fuzz.exe");
        ASSERT_TRUE(client.Connect("127.0.0.1", TestServerPort())) << "round " << round;
        ASSERT_TRUE(client.SendGet(Scripted(options, reply)));
        SocketRecvBuffer buffer;
        int status = client.Receive(buffer);

        // Whatever arrives, the client reports 200 or -1 and keeps no byte the server never sent.
        EXPECT_TRUE(status == 200 || status == -1) << "round " << round << " status " << status;
        std::string body(buffer.bytes.begin(), buffer.bytes.end());
        EXPECT_LE(body.size(), reply.size()) << "round " << round;
        if (!body.empty()) {
            EXPECT_NE(reply.find(body), std::string::npos) << "round " << round;
        }
        EXPECT_LE(buffer.bytes.capacity(), reply.size() + SocketRecvBuffer::kMaxReserve) << "round " << round;
        accepted += status == 200;
    }
    // The templates hold sound replies, so some rounds must pass as such.
    EXPECT_GT(accepted, 0);
    EXPECT_LT(accepted, kRounds);
}

// The whole check and download against hostile version and download replies: no crash, no
// hang, no offer that is not a plain version, no download kept that is not what was announced.
TEST(FuzzTest, UpdaterSurvivesHostileVersionAndDownloadReplies)
{
    REQUIRE_TEST_SERVER();
    const std::string self = OwnFileName();
    const std::string fileName = "zorb-fuzz-" + std::to_string(GetCurrentProcessId()) + ".bin";
    std::mt19937 random(kSeed + 2);
    const int kRounds = 200;
    int offers = 0;
    int downloads = 0;
    QuietStdout quiet;
    for (int round = 0; round < kRounds; ++round) {
        std::string download = MakeFuzzReply(random, self).substr(0, 1500);
        // Half the rounds get a sound version reply on a kept connection, so that they reach the
        // download; the others a hostile one, after which the server closes.
        std::string versionPath = Scripted("raw+close", MakeFuzzReply(random, self));
        if (random() % 2 == 0) {
            std::string body = self + "=1.6," + Scripted("raw+close", download) + ",/unused";
            versionPath = Scripted(
                "raw", "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
        }
        Updater updater("prog.exe Filename=" + fileName + " CurrVer=1.5 Host=127.0.0.1 Port=" +
                        std::to_string(TestServerPort()) + " Path=" + versionPath);
        if (!updater.CheckForUpdate()) {
            continue;
        }
        ++offers;
        ASSERT_TRUE(IsVersionText(updater.GetNewVersion())) << "round " << round;
        if (!updater.Download()) {
            continue;
        }
        ++downloads;
        std::string file = ReadWholeFile(updater.GetTempFile());
        ASSERT_FALSE(file.empty()) << "round " << round;
        ASSERT_EQ(static_cast<int64_t>(file.size()), updater.GetBytesDownloaded()) << "round " << round;
        ASSERT_EQ(updater.GetExpectedSize(), updater.GetBytesDownloaded()) << "round " << round;
        ASSERT_NE(download.find(file), std::string::npos) << "round " << round;
        DeleteFileA(updater.GetTempFile().c_str());
    }
    EXPECT_GT(offers, kRounds / 4);
    EXPECT_GT(downloads, 0);
    EXPECT_LT(downloads, offers);
}

TEST(FuzzTest, HeaderStepSurvivesRandomFirstChunks)
{
    std::mt19937 random(kSeed + 1);
    QuietStdout quiet;
    for (int round = 0; round < 20000; ++round) {
        std::string chunk = MakeFuzzReply(random, "fuzz.exe").substr(0, HttpClient::kReceiveAreaSize);
        HttpClient client("fuzz.exe");
        const char* body = chunk.c_str();
        int64_t length = 0;
        int status = client.ParseResponseHeader(chunk.c_str(), &body, &length);
        if (status == 200 && body != nullptr) {
            ASSERT_GE(body, chunk.c_str() + 4) << "round " << round;
            ASSERT_LE(body, chunk.c_str() + chunk.size()) << "round " << round;
        }
        if (status != 200) {
            ASSERT_EQ(body, chunk.c_str()) << "round " << round;
        }
        ASSERT_GE(length, INT32_MIN);
        ASSERT_LE(length, INT32_MAX);
    }
}

} // namespace
