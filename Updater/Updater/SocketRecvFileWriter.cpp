#include "SocketRecvFileWriter.h"

void SocketRecvFileWriter::OnContentLength(int64_t)
{
}

void SocketRecvFileWriter::OnData(const char* data, int64_t length)
{
    if (length > 0) {
        Write(data, static_cast<size_t>(length));
    }
}

void SocketRecvFileWriter::OnConnectionClosed(int)
{
    Close();
}
