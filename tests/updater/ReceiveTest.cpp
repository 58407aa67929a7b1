#include "Updater/Updater/FileWriter.h"
#include "Updater/Updater/HttpClient.h"
#include "Updater/Updater/SocketRecvBuffer.h"
#include "Updater/Updater/SocketRecvFileWriter.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <cstdio>
#include <string>

#include "WholeFile.h"

namespace {

std::string TempName(const char* tag)
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "zorb-" + tag + "-" + std::to_string(GetCurrentProcessId()) + ".bin";
}

TEST(SocketRecvBufferTest, ReservesTheAnnouncedLengthWithinReason)
{
    SocketRecvBuffer small;
    small.OnContentLength(300);
    EXPECT_GE(small.bytes.capacity(), 300u);
    small.OnData("abc", 3);
    small.OnData("", 0);
    small.OnData("de", 2);
    EXPECT_EQ(std::string(small.bytes.begin(), small.bytes.end()), "abcde");

    // Lengths no server could mean never turn into a crash or a giant allocation.
    const int64_t lengths[] = {-1, INT_MIN, 0, INT_MAX, INT64_MAX};
    for (int64_t length : lengths) {
        SocketRecvBuffer buffer;
        buffer.OnContentLength(length);
        EXPECT_LE(buffer.bytes.capacity(), static_cast<size_t>(SocketRecvBuffer::kMaxReserve)) << length;
        buffer.OnData("xyz", 3);
        EXPECT_EQ(buffer.bytes.size(), 3u);
    }
}

struct LimitCase
{
    const char* name;
    int64_t announced;
    std::vector<std::string> chunks;
    bool overLimit;
    std::string kept;
};

TEST(SocketRecvBufferTest, LimitRefusesABodyThatIsOrGetsLonger)
{
    const LimitCase cases[] = {
        {"fits", 8, {"abcd", "efgh"}, false, "abcdefgh"},
        {"announced too long", 9, {}, true, ""},
        {"sent past the limit", 4, {"abcd", "efgh", "i"}, true, "abcdefgh"},
        {"one chunk past the limit", -1, {"abcdefghi"}, true, ""},
        {"unannounced, fits", 0, {"ab", "", "cd"}, false, "abcd"},
    };
    for (const LimitCase& c : cases) {
        SocketRecvBuffer buffer(8);
        buffer.OnContentLength(c.announced);
        for (const std::string& chunk : c.chunks) {
            buffer.OnData(chunk.data(), static_cast<int64_t>(chunk.size()));
        }
        EXPECT_EQ(buffer.IsOverLimit(), c.overLimit) << c.name;
        EXPECT_EQ(buffer.AcceptsMore(), !c.overLimit) << c.name;
        EXPECT_EQ(std::string(buffer.bytes.begin(), buffer.bytes.end()), c.kept) << c.name;
        EXPECT_LE(buffer.bytes.capacity(), 64u) << c.name;
    }
}

TEST(FileWriterTest, CountsEveryByteAcrossOpenAndClose)
{
    std::string first = TempName("fw1");
    std::string second = TempName("fw2");
    FileWriter writer;
    EXPECT_EQ(writer.Write("x", 1), 0);
    ASSERT_TRUE(writer.Open(first));
    EXPECT_EQ(writer.WriteString("", true), 1);
    EXPECT_EQ(writer.WriteString("ab", false), 2);
    EXPECT_EQ(writer.WriteBytes(std::vector<char>{'c', 'd'}), 2);
    EXPECT_EQ(writer.WriteBytes(std::vector<char>{}), 0);
    // Opening again closes the first file: it is complete on disk and no longer held.
    ASSERT_TRUE(writer.Open(second));
    EXPECT_EQ(ReadWholeFile(first), "\nabcd");
    EXPECT_TRUE(DeleteFileA(first.c_str()));
    EXPECT_EQ(writer.WriteString("z", true), 2);
    writer.Close();
    EXPECT_EQ(writer.GetBytesWritten(), 7);
    EXPECT_EQ(ReadWholeFile(second), "z\n");
    EXPECT_FALSE(writer.Open(TempName("no\\such\\folder")));
    EXPECT_EQ(writer.GetBytesWritten(), 7);
    DeleteFileA(second.c_str());
}

TEST(FileWriterTest, ReceiveFileWriterWritesWhileOpenAndClosesAtTheEnd)
{
    std::string name = TempName("rfw");
    SocketRecvFileWriter writer;
    writer.OnData("lost", 4);
    EXPECT_EQ(writer.GetBytesWritten(), 0);
    ASSERT_TRUE(writer.Open(name));
    writer.OnContentLength(99);
    writer.OnData("body", 4);
    writer.OnData("", 0);
    writer.OnConnectionClosed(0);
    EXPECT_FALSE(writer.IsOpen());
    writer.OnData("late", 4);
    EXPECT_EQ(writer.GetBytesWritten(), 4);
    EXPECT_EQ(ReadWholeFile(name), "body");
    DeleteFileA(name.c_str());
}

bool Exists(const std::string& name)
{
    return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The file goes with the handle that made it unless it was kept: closing, opening another file
// and the writer's end all take it away, an older file of that name with it.
TEST(FileWriterTest, AProvisionalFileStaysOnlyWhenKept)
{
    std::string name = TempName("provisional");
    {
        FILE* older = fopen(name.c_str(), "wb");
        ASSERT_NE(older, nullptr);
        fputs("left from before", older);
        fclose(older);
    }
    FileWriter writer;
    ASSERT_TRUE(writer.OpenProvisional(name));
    EXPECT_EQ(writer.WriteString("part", false), 4);
    writer.Close();
    EXPECT_FALSE(Exists(name));

    ASSERT_TRUE(writer.OpenProvisional(name));
    writer.WriteString("part", false);
    ASSERT_TRUE(writer.Open(TempName("provisional-next")));
    EXPECT_FALSE(Exists(name));
    writer.Close();
    DeleteFileA(TempName("provisional-next").c_str());

    {
        FileWriter ending;
        ASSERT_TRUE(ending.OpenProvisional(name));
        ending.WriteString("part", false);
    }
    EXPECT_FALSE(Exists(name));

    ASSERT_TRUE(writer.OpenProvisional(name));
    writer.WriteString("whole", false);
    EXPECT_TRUE(writer.Keep());
    EXPECT_TRUE(writer.Close());
    EXPECT_EQ(ReadWholeFile(name), "whole");
    EXPECT_FALSE(writer.Keep());
    EXPECT_TRUE(DeleteFileA(name.c_str()));

    EXPECT_FALSE(writer.OpenProvisional(TempName("no\\such\\folder")));
    EXPECT_FALSE(writer.Keep());
}

// What a closed program does to its update thread: the process ends with the file open and no
// code of ours runs after. The system still removes the file.
TEST(FileWriterTest, AProvisionalFileGoesWithAProcessThatEndsAbruptly)
{
    // The death test's process runs this test again from the start, with its own process id:
    // it takes the file name from the environment the first process gave it.
    const char kNameVariable[] = "ZORB_TEST_PROVISIONAL_FILE";
    char inherited[MAX_PATH] = {};
    std::string name = GetEnvironmentVariableA(kNameVariable, inherited, MAX_PATH) > 0
                           ? std::string(inherited)
                           : TempName("provisional-ended");
    SetEnvironmentVariableA(kNameVariable, name.c_str());
    EXPECT_EXIT(
        {
            FileWriter writer;
            if (writer.OpenProvisional(name) && writer.WriteString("part", false) == 4) {
                TerminateProcess(GetCurrentProcess(), 3);
            }
            ExitProcess(1);
        },
        testing::ExitedWithCode(3), "");
    // The system closes an ended process's handles as it ends; the wait only covers a system that
    // reports the end before it has finished.
    for (int i = 0; i < 600 && Exists(name); ++i) {
        Sleep(50);
    }
    EXPECT_FALSE(Exists(name));
    DeleteFileA(name.c_str());
    SetEnvironmentVariableA(kNameVariable, NULL);
}

struct WriterCase
{
    const char* name;
    bool announce;
    int64_t announced;
    std::vector<std::string> chunks;
    std::string written;
    bool acceptsMore;
};

// Nothing beyond the announced length reaches the file, though the part of a chunk within it
// does, and without an announced length nothing does.
TEST(FileWriterTest, ReceiveFileWriterWritesNothingBeyondTheAnnouncedLength)
{
    const WriterCase cases[] = {
        {"exactly announced", true, 6, {"abc", "def"}, "abcdef", true},
        {"one byte more", true, 6, {"abc", "def", "g"}, "abcdef", false},
        {"a chunk across the end", true, 4, {"abc", "def"}, "abcd", false},
        {"one chunk past the end", true, 4, {"abcdef"}, "abcd", false},
        {"a chunk after the end", true, 3, {"abc", "def"}, "abc", false},
        {"announced empty", true, 0, {"a"}, "", false},
        {"announced negative", true, -1, {"abc"}, "", false},
        {"nothing announced", false, 0, {"abc"}, "", false},
        {"nothing announced, no data", false, 0, {""}, "", true},
    };
    for (const WriterCase& c : cases) {
        std::string name = TempName("rfw-bound");
        SocketRecvFileWriter writer;
        ASSERT_TRUE(writer.Open(name));
        if (c.announce) {
            writer.OnContentLength(c.announced);
        }
        for (const std::string& chunk : c.chunks) {
            writer.OnData(chunk.data(), static_cast<int64_t>(chunk.size()));
        }
        EXPECT_EQ(writer.AcceptsMore(), c.acceptsMore) << c.name;
        EXPECT_TRUE(writer.Close()) << c.name;
        EXPECT_EQ(ReadWholeFile(name), c.written) << c.name;
        EXPECT_EQ(writer.GetBytesWritten(), static_cast<int64_t>(c.written.size())) << c.name;
        DeleteFileA(name.c_str());
    }
}

TEST(HttpClientTest, OnlyPathsWithoutSpacesOrControlBytesAreSafe)
{
    const std::pair<std::string, bool> cases[] = {
        {"/dl/newZorb.exe", true},
        {"/t/echo/?q=1&x=%20", true},
        {"/caf\xE9", true},
        {"", false},
        {"/a b", false},
        {"/a\r\nX-Injected: 1", false},
        {"/m\r\n", false},
        {"/tab\there", false},
        {"/nul" + std::string(1, '\0') + "x", false},
        {"/del\x7F", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsSafeRequestPath(c.first), c.second) << Printable(c.first);
    }
    EXPECT_EQ(Printable("1.6\r\n\tx"), "1.6\\x0D\\x0A\\x09x");
}

TEST(HttpClientTest, AgentNameIsCutBeforeTheFirstDotExe)
{
    const std::pair<const char*, const char*> cases[] = {
        {"newZorb.exe", "newZorb"},
        {"newZorbReleaseSSE.exe", "newZorbReleaseSSE"},
        {"a.exe.exe", "a"},
        {"NEWZORB.EXE", "NEWZORB.EXE"},
        {"noext", "noext"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HttpClient(c.first).GetAgentName(), c.second) << c.first;
    }
}

struct HeaderCase
{
    const char* chunk;
    int status;
    int bodyOffset;  // -1: body left as passed in; -2: body set to null
    int64_t length;
    const char* printed;
};

TEST(HttpClientTest, HeaderStepReadsStatusBodyAndLength)
{
    const HeaderCase cases[] = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", 200, 38, 5, ""},
        {"HTTP/1.1 200 OK\r\nContent-length: 0\r\n\r\n", 200, 38, 0, ""},
        {"HTTP/1.0 200 OK\r\nX: 1\r\nContent-Length:  \r\n 12\r\n\r\n", 200, 49, 12, ""},
        {"HTTP/1.1 200 OK\r\nCONTENT-LENGTH: 5\r\n\r\nhello", 200, 38, 0, "Could not determine length of content"},
        {"HTTP/1.1 200 OK\r\nContent-Length: x\r\n\r\n", 200, 38, 0, "Could not determine length of content"},
        {"HTTP/1.1 200 OK\r\n\r\nbody with ength: 7", 200, 19, 7, ""},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n", 200, -2, 0, "Didn't receive enough data in response packet"},
        {"HTTP/1.1 404 Not Found\r\n\r\n", 404, -1, 0, "Received HTTP error response 404"},
        {"HTTP/1.1 abc\r\n\r\n", -1, -1, 0, "Received HTTP error response -1"},
        {"HT", -1, -1, 0, "Received HTTP error response -1"},
        {"garbage\r\n\r\n", -1, -1, 0, "Couldn't decipher response"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 99999999999\r\n\r\n", 200, 48, INT_MAX, ""},
        // A length is a plain number of bytes; anything else is no length.
        {"HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n", 200, 39, 0, "Could not determine length of content"},
        {"HTTP/1.1 200 OK\r\nContent-Length: -0\r\n\r\n", 200, 39, 0, "Could not determine length of content"},
        {"HTTP/1.1 200 OK\r\nContent-Length: +5\r\n\r\n", 200, 39, 0, "Could not determine length of content"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5x\r\n\r\n", 200, 39, 0, "Could not determine length of content"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5 5\r\n\r\n", 200, 40, 0, "Could not determine length of content"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5 \t\r\n\r\n", 200, 40, 5, ""},
    };
    for (const HeaderCase& c : cases) {
        HttpClient client("t.exe");
        const char* body = "untouched";
        const char* before = body;
        int64_t length = -77;
        testing::internal::CaptureStdout();
        int status = client.ParseResponseHeader(c.chunk, &body, &length);
        std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(status, c.status) << c.chunk;
        EXPECT_EQ(length, c.length) << c.chunk;
        EXPECT_EQ(printed, c.printed) << c.chunk;
        if (c.bodyOffset == -1) {
            EXPECT_EQ(body, before) << c.chunk;
        } else if (c.bodyOffset == -2) {
            EXPECT_EQ(body, nullptr) << c.chunk;
        } else {
            EXPECT_EQ(body, c.chunk + c.bodyOffset) << c.chunk;
        }
    }
}

TEST(HttpClientTest, NothingIsSentOrReadWithoutAConnection)
{
    HttpClient client("t.exe");
    SocketRecvBuffer buffer;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(client.SendGet("/x"));
    EXPECT_EQ(client.Receive(buffer), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(buffer.bytes.empty());
}

TEST(SocketTest, ZeroLengthsMakeNoCall)
{
    Socket socket;
    char byte = 0;
    EXPECT_EQ(socket.Send(&byte, 0), 0);
    EXPECT_EQ(socket.Receive(&byte, 0), 0);
    EXPECT_EQ(socket.Receive(&byte, -3), 0);
    std::vector<char> bytes = {'k'};
    EXPECT_EQ(socket.SendBytes(std::vector<char>{}), 0);
    EXPECT_EQ(socket.ReceiveBytes(bytes, 0), 0);
    EXPECT_EQ(bytes.size(), 1u);
    EXPECT_FALSE(socket.IsWinsockStarted());
    // Without a socket the system call fails; its -1 comes back unchanged.
    EXPECT_EQ(socket.Send("x", 1), -1);
}

// A loopback port that nobody listens on: bound once to learn a free number, then released.
uint16_t ClosedLoopbackPort()
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int size = sizeof address;
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
    closesocket(probe);
    WSACleanup();
    return ntohs(address.sin_port);
}

TEST(SocketTest, RefusedConnectionIsReportedAndKeepsTheTarget)
{
    uint16_t port = ClosedLoopbackPort();
    Socket socket;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(socket.Connect("127.0.0.1", port));
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "Could not connect to server: 127.0.0.1\nSocketCode: 10061");
    EXPECT_TRUE(socket.IsWinsockStarted());
    EXPECT_FALSE(socket.IsConnected());
    EXPECT_EQ(socket.GetHost(), "127.0.0.1");
    EXPECT_EQ(socket.GetPort(), port);

    // Assignment takes the target, never the Winsock start or a handle.
    Socket copy;
    copy = socket;
    EXPECT_EQ(copy.GetHost(), "127.0.0.1");
    EXPECT_FALSE(copy.IsWinsockStarted());
}

} // namespace
