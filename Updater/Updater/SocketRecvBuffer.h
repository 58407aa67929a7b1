#pragma once

#include "SocketRecvCallback.h"

#include <cstddef>
#include <vector>

// Keeps a reply body in memory, optionally no more than a given number of bytes.
class SocketRecvBuffer : public SocketRecvCallback
{
public:
    // The most OnContentLength reserves ahead. A longer body still arrives whole, growing as it
    // comes; an announced length alone never makes the buffer big.
    static constexpr int64_t kMaxReserve = 16 * 1024 * 1024;
    static constexpr size_t kNoLimit = static_cast<size_t>(-1);

    // A body, announced or received, longer than limit is refused whole: no byte of it is kept
    // beyond the limit and the reply ends as soon as that is known.
    explicit SocketRecvBuffer(size_t limit = kNoLimit);

    void OnContentLength(int64_t contentLength) override;
    void OnData(const char* data, int64_t length) override;
    void OnConnectionClosed(int unused) override;
    bool AcceptsMore() const override { return !overLimit; }

    bool IsOverLimit() const { return overLimit; }

    std::vector<char> bytes;

private:
    size_t limit;
    bool overLimit;
};
