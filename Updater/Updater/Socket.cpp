#include "Socket.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

Socket::Socket()
    : winsockStarted(false), connected(false), port(0), sock(INVALID_SOCKET), address()
{
}

Socket::~Socket()
{
    Release();
}

void Socket::Release()
{
    if (!winsockStarted) {
        return;
    }
    // A socket whose connect failed is held too and must be closed as well.
    Close();
    WSACleanup();
    winsockStarted = false;
}

Socket& Socket::operator=(const Socket& other)
{
    if (this != &other) {
        Release();
        host = other.host;
        port = other.port;
        address = other.address;
    }
    return *this;
}

void Socket::StartWinsock()
{
    if (winsockStarted) {
        return;
    }
    WSADATA data;
    int error = WSAStartup(MAKEWORD(2, 2), &data);
    if (error != 0) {
        printf("WSAStartup failed with error: %d\n", error);
        return;
    }
    if (LOBYTE(data.wVersion) == 2 && HIBYTE(data.wVersion) == 2) {
        winsockStarted = true;
    } else {
        printf("Could not find a usable version of Winsock.dll\n");
        WSACleanup();
    }
}

bool Socket::Connect(const std::string& newHost, uint16_t newPort)
{
    StartWinsock();
    if (!winsockStarted) {
        return false;
    }
    Close();
    host = newHost;
    port = newPort;
    return OpenConnection();
}

void Socket::Reconnect()
{
    OpenConnection();
}

bool Socket::OpenConnection()
{
    hostent* entry = gethostbyname(host.c_str());
    if (entry == nullptr) {
        printf("Could not resolve server: %s\nSocketCode: %d", host.c_str(), WSAGetLastError());
        return false;
    }
    if (entry->h_addrtype != AF_INET || entry->h_length != 4 || entry->h_addr_list[0] == nullptr) {
        printf("Could not resolve server: %s\nSocketCode: %d", host.c_str(), WSAGetLastError());
        return false;
    }
    memcpy(&address, entry->h_addr_list[0], sizeof address);

    sock = socket(AF_INET, SOCK_STREAM, 0);
    if (sock == INVALID_SOCKET) {
        printf("Could not create socket. SocketCode: %d", WSAGetLastError());
        return false;
    }

    sockaddr_in server = {};
    server.sin_family = AF_INET;
    server.sin_port = htons(port);
    server.sin_addr = address;
    if (connect(sock, reinterpret_cast<const sockaddr*>(&server), sizeof server) == SOCKET_ERROR) {
        printf("Could not connect to server: %s\nSocketCode: %d", host.c_str(), WSAGetLastError());
        // The failed socket is still a handle of ours.
        Close();
        return false;
    }
    connected = true;
    return true;
}

void Socket::Close()
{
    if (sock == INVALID_SOCKET) {
        return;
    }
    if (closesocket(sock) != 0) {
        printf("Error Closing socket: %d\n", WSAGetLastError());
    }
    sock = INVALID_SOCKET;
    connected = false;
}

int Socket::Send(const char* data, size_t length)
{
    if (length == 0) {
        return 0;
    }
    return send(sock, data, static_cast<int>(length), 0);
}

int Socket::SendBytes(const std::vector<char>& bytes)
{
    if (bytes.empty()) {
        return 0;
    }
    return Send(bytes.data(), bytes.size());
}

int Socket::Receive(char* buffer, int length)
{
    if (length <= 0) {
        return 0;
    }
    return recv(sock, buffer, length, 0);
}

int Socket::ReceiveBytes(std::vector<char>& bytes, int length)
{
    if (length <= 0) {
        return 0;
    }
    size_t oldSize = bytes.size();
    if (static_cast<size_t>(length) > bytes.max_size() - oldSize) {
        throw std::length_error("vector too long");
    }
    bytes.resize(oldSize + static_cast<size_t>(length));
    int received = recv(sock, bytes.data() + oldSize, length, 0);
    bytes.resize(oldSize + (received > 0 ? static_cast<size_t>(received) : 0));
    return received;
}
