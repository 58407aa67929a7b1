#pragma once

#include <cstdint>

// Receives one HTTP reply's body from HttpClient::Receive, chunk by chunk. The caller owns the
// object; the client keeps no pointer to it after the call.
class SocketRecvCallback
{
public:
    // At most once per reply, only for status 200: the announced length, or 0 when none was read.
    virtual void OnContentLength(int64_t contentLength) = 0;
    // Once per received chunk with that chunk's body bytes; the length may be 0.
    virtual void OnData(const char* data, int64_t length) = 0;
    // Last, when the reply ended by the peer closing or by an error; the argument means nothing.
    virtual void OnConnectionClosed(int unused) = 0;
    // Asked after OnContentLength and after every OnData. False ends the reply there: the
    // connection is closed, OnConnectionClosed follows and the reply fails. A receiver that has
    // seen enough of a hostile reply need not read the rest of it.
    virtual bool AcceptsMore() const { return true; }

protected:
    // Not deleted through this interface, so it needs no virtual destructor.
    ~SocketRecvCallback() = default;
};
