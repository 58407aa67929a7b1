#include "ServerFixture.h"

#include "Updater/Updater/HttpClient.h"
#include "Updater/Updater/SocketRecvBuffer.h"
#include "Updater/Updater/SocketRecvFileWriter.h"

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

const char* const kTemplates[] = {
    "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello",
    "HTTP/1.1 200 OK\r\nContent-length: 0\r\n\r\n",
    "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone",
    "HTTP/1.1 200 OK\r\n\r\nno length here",
    "HTTP/1.0 200 OK\r\nContent-Length: 99999999999\r\n\r\nbig",
    "HTTP/1.1 200 OK\r\nContent-Length: -2147483648\r\n\r\nneg",
    "HTTP/1.1 200 OK\r\nContent-Length: 12",
    "HTTP/9.9 200 \r\nContent-Length: 3\r\n\r\nabcdef",
    "garbage",
    "HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\nnewZorb.exe=1.6,/a,/b",
};

std::string RandomBytes(std::mt19937& random, size_t count)
{
    std::string bytes;
    for (size_t i = 0; i < count; ++i) {
        bytes += static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

// A reply a broken or hostile server might send: a sound one, mutated a few times, or noise.
std::string MakeReply(std::mt19937& random)
{
    std::string reply = kTemplates[random() % (sizeof kTemplates / sizeof kTemplates[0])];
    if (random() % 8 == 0) {
        return RandomBytes(random, random() % 3000);
    }
    int mutations = static_cast<int>(random() % 5);
    for (int m = 0; m < mutations; ++m) {
        size_t at = reply.empty() ? 0 : random() % (reply.size() + 1);
        switch (random() % 7) {
        case 0:
            if (!reply.empty()) {
                reply[random() % reply.size()] = static_cast<char>(random() & 0xFF);
            }
            break;
        case 1:
            reply.insert(at, RandomBytes(random, 1 + random() % 16));
            break;
        case 2:
            reply.resize(at);
            break;
        case 3:
            reply.insert(at, "\r\n\r\n");
            break;
        case 4:
            reply.insert(at, "ength: " + std::to_string(static_cast<int64_t>(random()) - 2147483648LL * (random() % 3)));
            break;
        case 5:
            reply += std::string(random() % 2500, static_cast<char>('a' + random() % 26));
            break;
        default:
            reply.insert(at, std::string(1, '\0'));
            break;
        }
    }
    return reply;
}

TEST(FuzzTest, RandomRepliesNeverCrashOrHangTheClient)
{
    REQUIRE_TEST_SERVER();
    std::mt19937 random(kSeed);
    const int kRounds = 300;
    int accepted = 0;
    QuietStdout quiet;
    for (int round = 0; round < kRounds; ++round) {
        std::string reply = MakeReply(random);
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

TEST(FuzzTest, HeaderStepSurvivesRandomFirstChunks)
{
    std::mt19937 random(kSeed + 1);
    QuietStdout quiet;
    for (int round = 0; round < 20000; ++round) {
        std::string chunk = MakeReply(random).substr(0, HttpClient::kReceiveAreaSize);
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
