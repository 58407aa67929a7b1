#include "SocketRecvBuffer.h"

void SocketRecvBuffer::OnContentLength(int64_t contentLength)
{
    // The length is the server's word, not a measure: negative or huge values are not trusted.
    if (contentLength <= 0) {
        return;
    }
    int64_t ahead = contentLength < kMaxReserve ? contentLength : kMaxReserve;
    bytes.reserve(bytes.size() + static_cast<size_t>(ahead));
}

void SocketRecvBuffer::OnData(const char* data, int64_t length)
{
    if (length > 0) {
        bytes.insert(bytes.end(), data, data + length);
    }
}

void SocketRecvBuffer::OnConnectionClosed(int)
{
}
