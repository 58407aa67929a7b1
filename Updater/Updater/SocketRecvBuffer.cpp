#include "SocketRecvBuffer.h"

SocketRecvBuffer::SocketRecvBuffer(size_t limit) : limit(limit), overLimit(false)
{
}

void SocketRecvBuffer::OnContentLength(int64_t contentLength)
{
    // The length is the server's word, not a measure: negative or huge values are not trusted.
    if (contentLength <= 0) {
        return;
    }
    // No limit means none, also for lengths beyond what a 32-bit size_t holds.
    if (limit != kNoLimit && static_cast<uint64_t>(contentLength) > limit) {
        overLimit = true;
        return;
    }
    int64_t ahead = contentLength < kMaxReserve ? contentLength : kMaxReserve;
    bytes.reserve(bytes.size() + static_cast<size_t>(ahead));
}

void SocketRecvBuffer::OnData(const char* data, int64_t length)
{
    if (length <= 0 || overLimit) {
        return;
    }
    if (static_cast<uint64_t>(length) > limit - bytes.size()) {
        overLimit = true;
        return;
    }
    bytes.insert(bytes.end(), data, data + length);
}

void SocketRecvBuffer::OnConnectionClosed(int)
{
}
