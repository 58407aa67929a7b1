#include "SocketRecvFileWriter.h"

void SocketRecvFileWriter::OnContentLength(int64_t contentLength)
{
    announcedLength = contentLength;
    received = 0;
}

void SocketRecvFileWriter::OnData(const char* data, int64_t length)
{
    if (length > 0) {
        received += length;
        Write(data, static_cast<size_t>(length));
    }
}

void SocketRecvFileWriter::OnConnectionClosed(int)
{
    Close();
}

bool SocketRecvFileWriter::AcceptsMore() const
{
    return announcedLength == kNotAnnounced || received <= announcedLength;
}
