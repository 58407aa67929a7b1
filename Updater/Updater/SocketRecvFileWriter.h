#pragma once

#include "FileWriter.h"
#include "SocketRecvCallback.h"

// Writes a reply body into the file its owner opened; closes it when the connection ends.
class SocketRecvFileWriter : public FileWriter, public SocketRecvCallback
{
public:
    static constexpr int64_t kNotAnnounced = -1;

    // A negative length is taken as 0: no body is expected, so none is written.
    void OnContentLength(int64_t contentLength) override;
    // Writes only bytes within the announced length, up to it from a chunk that crosses it, and
    // nothing before a length was announced: the file holds a prefix of the announced body and
    // never grows past it.
    void OnData(const char* data, int64_t length) override;
    void OnConnectionClosed(int unused) override;
    // A body running past its announced length is not the file that was announced; reading on
    // would only fill the disk.
    bool AcceptsMore() const override;

    // The length the last reply announced, never negative once one was; kNotAnnounced before.
    int64_t GetAnnouncedLength() const { return announcedLength; }

private:
    int64_t Bound() const { return announcedLength == kNotAnnounced ? 0 : announcedLength; }

    int64_t announcedLength = kNotAnnounced;
    // Body bytes offered since the length was announced, written or not.
    int64_t received = 0;
};
