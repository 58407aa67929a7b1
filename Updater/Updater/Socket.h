#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A blocking IPv4 TCP client over Winsock 2.2. Every call blocks as long as the system call does:
// no time-outs, no retries. Diagnostics go to standard output.
class Socket
{
public:
    Socket();
    ~Socket();

    // Assignment takes over the peer's host, port and address, never its handle or its Winsock
    // start: each socket handle and each WSAStartup has exactly one owner that releases it.
    // Whatever this object held is released first.
    Socket& operator=(const Socket& other);
    Socket(const Socket&) = delete;

    void StartWinsock();
    bool Connect(const std::string& host, uint16_t port);
    // Only for a Socket that has started Winsock and holds no socket.
    void Reconnect();
    void Close();

    int Send(const char* data, size_t length);
    int SendBytes(const std::vector<char>& bytes);
    int Receive(char* buffer, int length);
    int ReceiveBytes(std::vector<char>& bytes, int length);

    bool IsConnected() const { return connected; }
    bool IsWinsockStarted() const { return winsockStarted; }
    const std::string& GetHost() const { return host; }
    uint16_t GetPort() const { return port; }

private:
    bool OpenConnection();
    void Release();

    bool winsockStarted;
    bool connected;
    std::string host;
    uint16_t port;
    SOCKET sock;
    in_addr address;
};
