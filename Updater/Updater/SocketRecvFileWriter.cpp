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
    // Only the part of a chunk within the announced length is this reply's: a chunk that runs
    // past it still carries the body's last bytes.
    int64_t room = received < Bound() ? Bound() - received : 0;
    received += length;
    if (room > 0) {
        Write(data, static_cast<size_t>(length < room ? length : room));
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
