#include "ServerFixture.h"

#include "Updater/Updater/HttpClient.h"
#include "Updater/Updater/SocketRecvBuffer.h"

#include <string>
#include <vector>

namespace {

// Records every callback in order.
class Recorder : public SocketRecvCallback
{
public:
    void OnContentLength(int64_t length) override { lengths.push_back(length); }
    void OnData(const char* data, int64_t length) override
    {
        chunks.emplace_back(data, static_cast<size_t>(length));
        if (closed > 0) {
            dataAfterClose = true;
        }
    }
    void OnConnectionClosed(int) override { ++closed; }

    std::string Body() const
    {
        std::string all;
        for (const std::string& chunk : chunks) {
            all += chunk;
        }
        return all;
    }

    std::vector<int64_t> lengths;
    std::vector<std::string> chunks;
    int closed = 0;
    bool dataAfterClose = false;
};

struct Reply
{
    int status;
    std::string printed;
    bool stillConnected;
};

Reply Fetch(HttpClient& client, const std::string& path, SocketRecvCallback& callback)
{
    EXPECT_TRUE(client.SendGet(path));
    testing::internal::CaptureStdout();
    int status = client.Receive(callback);
    return {status, testing::internal::GetCapturedStdout(), client.IsConnected()};
}

struct ReplyCase
{
    const char* name;
    std::string path;
    int status;
    const char* printed;
    bool stillConnected;
    std::vector<int64_t> lengths;
    std::string body;  // all OnData bytes joined
    int closed;
};

TEST(HttpClientNetTest, RepliesEndByLengthByCloseOrByError)
{
    REQUIRE_TEST_SERVER();
    const char kRanPast[] = "Reply ran past its announced length";
    const std::string header404 = "HTTP/1.1 404 Test\r\nContent-Length: 4\r\nConnection: keep-alive\r\n\r\ngone";
    const ReplyCase cases[] = {
        {"plain", Scripted("", "hello"), 200, "", true, {5}, "hello", 0},
        {"empty body", Scripted("", ""), 200, "", true, {0}, "", 0},
        {"lower-case length", Scripted("lower", "abc"), 200, "", true, {3}, "abc", 0},
        {"404", Scripted("status=404", "gone"), -1, "Received HTTP error response 404", false, {}, header404, 1},
        {"header past the first 1024 bytes", Scripted("pad=1100", "body"), -1,
         "Didn't receive enough data in response packet", false, {0}, "", 1},
        {"no length, header only", Scripted("nolen", ""), 200, "Could not determine length of content", false, {0},
         "", 0},
        {"no length, with body", Scripted("nolen+close", "abc"), -1, "Could not determine length of content", false,
         {0}, "abc", 1},
        {"server closes early", Scripted("len=100+close", "0123456789"), 200, "", false, {100}, "0123456789", 1},
        // The reply ends at its length without waiting for the rest; what came with its end is
        // dropped, and so is the connection, whose next reply would not start at its start.
        {"more than announced", Scripted("raw+close", "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nhello"), 200,
         kRanPast, false, {3}, "hel", 0},
        {"more than announced, kept alive", Scripted("len=3", "hello"), 200, kRanPast, false, {3}, "hel", 0},
        {"announced empty, more sent", Scripted("len=0", "hello"), 200, kRanPast, false, {0}, "", 0},
        {"third number missing", Scripted("raw+close", "HTTP/1.1 abc\r\n\r\n"), -1, "Received HTTP error response -1",
         false, {}, "HTTP/1.1 abc\r\n\r\n", 1},
        {"not a status line", Scripted("raw+close+chunk=5", "garbage reply body"), -1, "Couldn't decipher response",
         false, {}, "garbage reply body", 1},
        {"capital CONTENT-LENGTH", Scripted("raw+close", "HTTP/1.1 200 OK\r\nCONTENT-LENGTH: 2\r\n\r\nok"), -1,
         "Could not determine length of content", false, {0}, "ok", 1},
        {"negative length", Scripted("len=-1+close", "abc"), -1, "Could not determine length of content", false, {0},
         "abc", 1},
        {"huge length", Scripted("raw+close", "HTTP/1.1 200 OK\r\nContent-Length: 99999999999\r\n\r\nabc"), 200, "",
         false, {2147483647}, "abc", 1},
    };
    for (const ReplyCase& c : cases) {
        HttpClient client("updater_net.exe");
        ASSERT_TRUE(client.Connect("127.0.0.1", TestServerPort())) << c.name;
        Recorder recorder;
        Reply reply = Fetch(client, c.path, recorder);
        EXPECT_EQ(reply.status, c.status) << c.name;
        EXPECT_EQ(reply.printed, c.printed) << c.name;
        EXPECT_EQ(reply.stillConnected, c.stillConnected) << c.name;
        EXPECT_EQ(recorder.lengths, c.lengths) << c.name;
        EXPECT_EQ(recorder.Body(), c.body) << c.name;
        EXPECT_EQ(recorder.closed, c.closed) << c.name;
        EXPECT_FALSE(recorder.dataAfterClose) << c.name;
        EXPECT_FALSE(recorder.chunks.empty() && c.status == 200) << c.name;
    }
}

TEST(HttpClientNetTest, ABodySplitAcrossManyChunksArrivesInOrder)
{
    REQUIRE_TEST_SERVER();
    std::string body;
    for (int i = 0; i < 6000; ++i) {
        body += static_cast<char>('A' + (i * 7) % 26);
    }
    HttpClient client("updater_net.exe");
    ASSERT_TRUE(client.Connect("127.0.0.1", TestServerPort()));
    Recorder recorder;
    Reply reply = Fetch(client, Scripted("chunk=300", body), recorder);
    EXPECT_EQ(reply.status, 200);
    EXPECT_TRUE(reply.stillConnected);
    EXPECT_GT(recorder.chunks.size(), 5u);
    for (const std::string& chunk : recorder.chunks) {
        EXPECT_LE(chunk.size(), static_cast<size_t>(HttpClient::kReceiveAreaSize));
    }
    EXPECT_EQ(recorder.Body(), body);
    EXPECT_EQ(recorder.closed, 0);
}

TEST(HttpClientNetTest, TwoRequestsShareOneKeptAliveConnection)
{
    REQUIRE_TEST_SERVER();
    HttpClient client("updater_net.exe");
    ASSERT_TRUE(client.Connect("127.0.0.1", TestServerPort()));
    SocketRecvBuffer first;
    ASSERT_EQ(Fetch(client, "/t/conn/", first).status, 200);
    SocketRecvBuffer second;
    ASSERT_EQ(Fetch(client, "/t/conn/", second).status, 200);
    std::string a(first.bytes.begin(), first.bytes.end());
    std::string b(second.bytes.begin(), second.bytes.end());
    ASSERT_EQ(a.substr(a.size() - 6), " req=1");
    EXPECT_EQ(b, a.substr(0, a.size() - 1) + "2");

    // After a reply that closed the connection, the next request is not even sent.
    SocketRecvBuffer third;
    Fetch(client, Scripted("nolen+close", "x"), third);
    EXPECT_FALSE(client.SendGet("/t/conn/"));
}

TEST(HttpClientNetTest, RequestBytesAreExactlyTheEightLines)
{
    REQUIRE_TEST_SERVER();
    HttpClient client("updater_net.exe");
    ASSERT_TRUE(client.Connect("127.0.0.1", TestServerPort()));
    const std::string path = "/t/echo/?q=1&x=%20";
    const std::string expected = "GET " + path +
                                 " HTTP/1.1\r\n"
                                 "Accept: */*\r\n"
                                 "Accept-Language: en-gb\r\n"
                                 "Accept-Encoding: gzip, deflate\r\n"
                                 "User-Agent: Mozilla/4.0 (compatible; updater_net)\r\n"
                                 "Connection: Keep-Alive\r\n"
                                 "Host: " +
                                 std::string(kUpdateHostHeader) + "\r\n\r\n";
    testing::internal::CaptureStdout();
    ASSERT_TRUE(client.SendGet(path));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Get Packet: " + expected);
    SocketRecvBuffer echo;
    testing::internal::CaptureStdout();
    EXPECT_EQ(client.Receive(echo), 200);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::string(echo.bytes.begin(), echo.bytes.end()), expected);
}

TEST(HttpClientNetTest, UnsafeRequestPathsAreNeverSent)
{
    REQUIRE_TEST_SERVER();
    HttpClient client("updater_net.exe");
    ASSERT_TRUE(client.Connect("127.0.0.1", TestServerPort()));
    const std::string paths[] = {"/t/conn/\r\nX-Injected: 1", "/t/conn/ HTTP/1.0", "/t/conn/\t", "/t/conn/\n", ""};
    for (const std::string& path : paths) {
        testing::internal::CaptureStdout();
        EXPECT_FALSE(client.SendGet(path)) << Printable(path);
        std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(printed.find("Get Packet"), std::string::npos) << printed;
        EXPECT_NE(printed.find("Refused request path"), std::string::npos) << printed;
        EXPECT_TRUE(client.IsConnected());
    }
    // Nothing reached the server: the next sound request is the first it sees on the connection.
    SocketRecvBuffer reply;
    ASSERT_EQ(Fetch(client, "/t/conn/", reply).status, 200);
    std::string text(reply.bytes.begin(), reply.bytes.end());
    EXPECT_EQ(text.substr(text.size() - 6), " req=1");
}

TEST(SocketNetTest, ReconnectingClosesTheFirstConnectionAndBytesAppend)
{
    REQUIRE_TEST_SERVER();
    HttpClient client("updater_net.exe");
    ASSERT_TRUE(client.Connect("127.0.0.1", TestServerPort()));
    SocketRecvBuffer first;
    ASSERT_EQ(Fetch(client, "/t/conn/", first).status, 200);
    ASSERT_TRUE(client.Connect("127.0.0.1", TestServerPort()));
    SocketRecvBuffer second;
    ASSERT_EQ(Fetch(client, "/t/conn/", second).status, 200);
    std::string b(second.bytes.begin(), second.bytes.end());
    EXPECT_EQ(b.substr(b.size() - 6), " req=1");
    EXPECT_NE(b, std::string(first.bytes.begin(), first.bytes.end()));

    std::string request = "GET " + Scripted("close", "xyz") + " HTTP/1.1\r\n\r\n";
    EXPECT_EQ(client.Send(request.data(), request.size()), static_cast<int>(request.size()));
    std::vector<char> bytes = {'k', 'e', 'p', 't'};
    std::string all;
    while (client.ReceiveBytes(bytes, 1024) > 0) {
    }
    all.assign(bytes.begin(), bytes.end());
    EXPECT_EQ(all.substr(0, 13), "keptHTTP/1.1 ");
    EXPECT_EQ(all.substr(all.size() - 7), "\r\n\r\nxyz");
}

TEST(SocketNetTest, UnresolvableHostIsReported)
{
    Socket socket;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(socket.Connect("no-such-host.invalid", 80));
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed.substr(0, 50), "Could not resolve server: no-such-host.invalid\nSoc");
    EXPECT_EQ(socket.GetHost(), "no-such-host.invalid");
    EXPECT_EQ(socket.GetPort(), 80);
}

} // namespace
