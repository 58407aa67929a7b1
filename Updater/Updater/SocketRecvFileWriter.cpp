#include "SocketRecvFileWriter.h"

void SocketRecvFileWriter::OnContentLength(int64_t contentLength)
{
    announcedLength = contentLength < 0 ? 0 : contentLength;
    received = 0;
}

void SocketRecvFileWriter::OnData(const char* data, int64_t length)
{
    if (length <= 0) {
        return;
    }
    bool within = received <= Bound() && length <= Bound() - received;
    received += length;
    if (within) {
        Write(data, static_cast<size_t>(length));
    }
}

void SocketRecvFileWriter::OnConnectionClosed(int)
{
    Close();
}

bool SocketRecvFileWriter::AcceptsMore() const
{
    return received <= Bound();
}
