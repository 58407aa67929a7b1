#include "HttpClient.h"

#include <climits>
#include <cstdio>
#include <cstring>

const char kUpdateHostHeader[] = "update.zorbscape.example";

namespace {

bool IsScanSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads an announced length: white space as "%d" skips it, then digits alone up to the end of
// the line. A sign or anything else on the line makes it no length, so -1 can never pass for
// "no length" nor a negative count for a bound. A number beyond the int range saturates instead
// of wrapping, so a huge length stays huge and never turns small.
bool ReadContentLength(const char* text, int* value)
{
    while (IsScanSpace(*text)) {
        ++text;
    }
    if (*text < '0' || *text > '9') {
        return false;
    }
    int64_t number = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (number <= INT_MAX) {
            number = number * 10 + (*text - '0');
        }
    }
    while (*text == ' ' || *text == '\t') {
        ++text;
    }
    if (*text != '\r' && *text != '\n' && *text != '\0') {
        return false;
    }
    *value = number > INT_MAX ? INT_MAX : static_cast<int>(number);
    return true;
}

} // namespace

std::string Printable(const std::string& text)
{
    std::string shown;
    char escaped[5];
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) {
            snprintf(escaped, sizeof escaped, "\\x%02X", c);
            shown += escaped;
        } else {
            shown += static_cast<char>(c);
        }
    }
    return shown;
}

bool IsSafeRequestPath(const std::string& path)
{
    if (path.empty()) {
        return false;
    }
    for (unsigned char c : path) {
        if (c <= 0x20 || c == 0x7F) {
            return false;
        }
    }
    return true;
}

HttpClient::HttpClient() = default;

HttpClient::HttpClient(const std::string& programFileName) : agentName(programFileName)
{
    size_t extension = agentName.find(".exe");
    if (extension != std::string::npos) {
        agentName.erase(extension);
    }
}

HttpClient::~HttpClient() = default;

HttpClient& HttpClient::operator=(const HttpClient& other)
{
    Socket::operator=(other);
    agentName = other.agentName;
    return *this;
}

bool HttpClient::SendGet(const std::string& path)
{
    if (!IsConnected()) {
        return false;
    }
    if (!IsSafeRequestPath(path)) {
        printf("Refused request path with a space or control character: %s\n", Printable(path).c_str());
        return false;
    }
    std::string request = "GET ";
    request += path;
    request += " HTTP/1.1\r\nAccept: */*\r\n";
    request += "Accept-Language: en-gb\r\n";
    request += "Accept-Encoding: gzip, deflate\r\n";
    request += "User-Agent: Mozilla/4.0 (compatible; ";
    request += agentName;
    request += ")\r\nConnection: Keep-Alive\r\n";
    request += "Host: ";
    request += kUpdateHostHeader;
    request += "\r\n\r\n";
    printf("Get Packet: %s", request.c_str());
    return Send(request.data(), request.size()) != SOCKET_ERROR;
}

int HttpClient::ParseResponseHeader(const char* chunk, const char** body, int64_t* contentLength)
{
    *contentLength = 0;
    int major = 0;
    int minor = 0;
    int status = -1;
    int scanned = sscanf(chunk, "HTTP/%d.%d %d ", &major, &minor, &status);
    if (scanned == 0) {
        printf("Couldn't decipher response");
        return -1;
    }
    if (status != 200) {
        printf("Received HTTP error response %d", status);
        Close();
        return status;
    }
    const char* headerEnd = strstr(chunk, "\r\n\r\n");
    if (headerEnd == nullptr) {
        printf("Didn't receive enough data in response packet");
        Close();
        *body = nullptr;
        return 200;
    }
    *body = headerEnd + 4;
    // Matches "Content-Length: " and "Content-length: " alike.
    const char* lengthText = strstr(chunk, "ength: ");
    int length = 0;
    if (lengthText == nullptr || !ReadContentLength(lengthText + 7, &length)) {
        printf("Could not determine length of content");
        Close();
        return 200;
    }
    *contentLength = length;
    return 200;
}

int HttpClient::Refuse(SocketRecvCallback& callback)
{
    printf("Reply refused by its receiver");
    Close();
    callback.OnConnectionClosed(0);
    return -1;
}

int HttpClient::Receive(SocketRecvCallback& callback)
{
    if (!IsConnected()) {
        return -1;
    }
    int status = -1;
    int64_t remaining = 0;
    bool headerSeen = false;
    // A 200 with a length the header step could read: the reply ends there, whatever follows.
    bool bounded = false;
    char area[kReceiveAreaSize + 1];
    for (;;) {
        // After the header step has closed the socket this fails and ends the loop.
        int received = Socket::Receive(area, kReceiveAreaSize);
        if (received == 0) {
            Close();
            callback.OnConnectionClosed(0);
            return status;
        }
        if (received < 0) {
            Close();
            callback.OnConnectionClosed(0);
            return -1;
        }
        area[received] = '\0';
        const char* body = area;
        if (!headerSeen) {
            headerSeen = true;
            status = ParseResponseHeader(area, &body, &remaining);
            if (status == 200) {
                callback.OnContentLength(remaining);
                if (body == nullptr) {
                    callback.OnConnectionClosed(0);
                    return -1;
                }
                if (!callback.AcceptsMore()) {
                    return Refuse(callback);
                }
                // The header step closes the connection when it finds no length.
                bounded = IsConnected();
            }
        }
        int64_t count = received - (body - area);
        bool overrun = bounded && count > remaining;
        if (overrun) {
            count = remaining;
        }
        callback.OnData(body, count);
        if (!callback.AcceptsMore()) {
            return Refuse(callback);
        }
        remaining -= count;
        if (remaining == 0) {
            // Bytes past the body were read off the connection with it, so the next reply on it
            // would not start at its first byte: the connection is not used again.
            if (overrun) {
                printf("Reply ran past its announced length");
                Close();
            }
            return status;
        }
    }
}
