// Hostile replies through the header step, the bounded version receiver and the manifest and
// version steps, in-process: many rounds, no network, the same replies on every run.
#include "FuzzReplies.h"

#include "Updater/Updater/HttpClient.h"
#include "Updater/Updater/SocketRecvBuffer.h"
#include "Updater/Updater/Updater.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr unsigned kSeed = 20261210;
constexpr int kRounds = 120000;

struct QuietStdout
{
    QuietStdout() { testing::internal::CaptureStdout(); }
    ~QuietStdout() { testing::internal::GetCapturedStdout(); }
};

std::string OwnName()
{
    char buffer[1000] = {};
    GetModuleFileNameA(NULL, buffer, sizeof buffer);
    std::string path = buffer;
    return path.substr(path.find_last_of("/\\") + 1);
}

bool HasControlOrSpace(const std::string& text)
{
    for (unsigned char c : text) {
        if (c <= 0x20 || c == 0x7F) {
            return true;
        }
    }
    return false;
}

TEST(ReplyFuzzTest, HostileVersionRepliesNeverOfferAnythingUnsafe)
{
    const std::string self = OwnName();
    Updater updater("prog.exe Filename=fuzz.exe CurrVer=1.5");
    std::mt19937 random(kSeed);
    int bodies = 0;
    int overLimit = 0;
    int offers = 0;
    int safePaths = 0;
    int unsafePaths = 0;
    QuietStdout quiet;
    for (int round = 0; round < kRounds; ++round) {
        std::string reply = MakeFuzzReply(random, self);
        std::string chunk = reply.substr(0, HttpClient::kReceiveAreaSize);
        HttpClient client(self);
        const char* body = chunk.c_str();
        int64_t length = 0;
        int status = client.ParseResponseHeader(chunk.c_str(), &body, &length);
        if (status != 200 || body == nullptr) {
            continue;
        }
        ASSERT_GE(body, chunk.c_str() + 4) << "round " << round;
        ASSERT_LE(body, chunk.c_str() + chunk.size()) << "round " << round;

        // Everything after the header, as the receiver is handed it, in receive-sized pieces.
        std::string rest = reply.substr(static_cast<size_t>(body - chunk.c_str()));
        SocketRecvBuffer received(Updater::kMaxVersionReply);
        received.OnContentLength(length);
        for (size_t at = 0; at < rest.size() && received.AcceptsMore(); at += HttpClient::kReceiveAreaSize) {
            std::string piece = rest.substr(at, HttpClient::kReceiveAreaSize);
            received.OnData(piece.data(), static_cast<int64_t>(piece.size()));
        }
        ASSERT_LE(received.bytes.size(), Updater::kMaxVersionReply) << "round " << round;
        if (received.IsOverLimit()) {
            ++overLimit;
            continue;
        }
        ++bodies;

        std::string text(received.bytes.begin(), received.bytes.end());
        if (!updater.ReadVersionReply(text)) {
            continue;
        }
        ++offers;
        // What the user is asked about is a plain version, newer than the running one.
        ASSERT_TRUE(IsVersionText(updater.GetNewVersion())) << "round " << round;
        ASSERT_TRUE(IsOlderVersion("1.5", updater.GetNewVersion())) << "round " << round;
        size_t field = updater.IsMajorUpdate() ? 2 : 1;
        const auto& fields = updater.GetVersionFields();
        if (fields.size() > field) {
            bool safe = IsSafeRequestPath(fields[field]);
            ASSERT_EQ(safe, !fields[field].empty() && !HasControlOrSpace(fields[field])) << "round " << round;
            (safe ? safePaths : unsafePaths) += 1;
        }
    }
    // The generator must reach every outcome, or the rounds prove little.
    EXPECT_GT(bodies, kRounds / 4);
    EXPECT_GT(overLimit, 0);
    EXPECT_GT(offers, 1000);
    EXPECT_GT(safePaths, 0);
    EXPECT_GT(unsafePaths, 0);
}

} // namespace
