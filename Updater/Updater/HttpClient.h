#pragma once

#include "Socket.h"
#include "SocketRecvCallback.h"

#include <cstdint>
#include <string>

// The Host header's value. It is fixed in the program: the configured server name is used only to
// look up and connect, so one update server can be reached under any name or address.
extern const char kUpdateHostHeader[];

// A request target that can stand in the request line as it is: not empty, and no space, no
// control byte (CR and LF above all) that would end the line or add header lines of its own.
bool IsSafeRequestPath(const std::string& path);

// What a diagnostic may show of a text a server sent: control bytes as \xNN.
std::string Printable(const std::string& text);

// One HTTP/1.1 GET request form and its reply, on a connected Socket. No redirects, no
// time-outs, no content or transfer decoding: body bytes go to the callback as they arrive.
class HttpClient : public Socket
{
public:
    // The size of one receive; the status line and the whole header must fit the first one.
    static constexpr int kReceiveAreaSize = 1024;

    HttpClient();
    // The agent name is the program file name cut before its first ".exe".
    explicit HttpClient(const std::string& programFileName);
    ~HttpClient();

    HttpClient& operator=(const HttpClient& other);

    // Refuses, sending nothing, a path that IsSafeRequestPath rejects.
    bool SendGet(const std::string& path);
    // The HTTP status, 200 on success, or -1. A body with a Content-Length ends there: bytes that
    // follow it are no part of the reply and reach no callback. The connection stays open only
    // after a body that ended by its Content-Length with nothing after it in the same receive.
    int Receive(SocketRecvCallback& callback);
    // The header step of Receive on a NUL-terminated first chunk: returns the status, sets
    // *body to the byte after the header end (null when it is missing) for a 200, and
    // *contentLength to the announced length when one could be read. Closes the socket where
    // Receive would.
    int ParseResponseHeader(const char* chunk, const char** body, int64_t* contentLength);

    const std::string& GetAgentName() const { return agentName; }

private:
    // Ends a reply that the callback will take no more of.
    int Refuse(SocketRecvCallback& callback);

    std::string agentName;
};
