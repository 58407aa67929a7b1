#pragma once

#include "SocketRecvCallback.h"

#include <vector>

// Keeps a reply body in memory.
class SocketRecvBuffer : public SocketRecvCallback
{
public:
    // The most OnContentLength reserves ahead. A longer body still arrives whole, growing as it
    // comes; an announced length alone never makes the buffer big.
    static constexpr int64_t kMaxReserve = 16 * 1024 * 1024;

    void OnContentLength(int64_t contentLength) override;
    void OnData(const char* data, int64_t length) override;
    void OnConnectionClosed(int unused) override;

    std::vector<char> bytes;
};
