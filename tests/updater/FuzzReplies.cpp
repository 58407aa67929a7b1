#include "FuzzReplies.h"

#include <cstdint>
#include <vector>

namespace {

std::string Sound(const std::string& body)
{
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::vector<std::string> Templates(const std::string& exeName)
{
    return {
        "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello",
        "HTTP/1.1 200 OK\r\nContent-length: 0\r\n\r\n",
        "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone",
        "HTTP/1.1 200 OK\r\n\r\nno length here",
        "HTTP/1.0 200 OK\r\nContent-Length: 99999999999\r\n\r\nbig",
        "HTTP/1.1 200 OK\r\nContent-Length: -2147483648\r\n\r\nneg",
        "HTTP/1.1 200 OK\r\nContent-Length: 12",
        "HTTP/9.9 200 \r\nContent-Length: 3\r\n\r\nabcdef",
        "garbage",
        Sound(exeName + "=1.6,/dl/minor,/dl/major"),
        Sound("Other.exe=9.9,/a,/b " + exeName + "=2.0,/dl/minor,/dl/major Last.exe=0.1"),
        Sound(exeName + "=1.7,/dl/minor,/dl/major\r\n"),
        Sound(exeName + "=1.6\n\nPlease,/dl/minor"),
        Sound(exeName + "=3.1.4,/dl/m\r\nX-Injected:\t1,/dl/M"),
        "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\n" + exeName + "=1.6,/dl/minor",
    };
}

} // namespace

std::string FuzzBytes(std::mt19937& random, size_t count)
{
    std::string bytes;
    for (size_t i = 0; i < count; ++i) {
        bytes += static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

std::string MakeFuzzReply(std::mt19937& random, const std::string& exeName)
{
    static const std::string kSeparators = ",.= \r\n\t0123456789";
    std::vector<std::string> templates = Templates(exeName);
    std::string reply = templates[random() % templates.size()];
    if (random() % 8 == 0) {
        return FuzzBytes(random, random() % 3000);
    }
    int mutations = static_cast<int>(random() % 5);
    for (int m = 0; m < mutations; ++m) {
        size_t at = reply.empty() ? 0 : random() % (reply.size() + 1);
        switch (random() % 8) {
        case 0:
            if (!reply.empty()) {
                reply[random() % reply.size()] = static_cast<char>(random() & 0xFF);
            }
            break;
        case 1:
            reply.insert(at, FuzzBytes(random, 1 + random() % 16));
            break;
        case 2:
            reply.resize(at);
            break;
        case 3:
            reply.insert(at, "\r\n\r\n");
            break;
        case 4:
            reply.insert(at, "ength: " + std::to_string(static_cast<int64_t>(random()) - 2147483648LL * (random() % 3)));
            break;
        case 5:
            reply += std::string(random() % 2500, static_cast<char>('a' + random() % 26));
            break;
        case 6:
            reply.insert(at, 1, kSeparators[random() % kSeparators.size()]);
            break;
        default:
            reply.insert(at, std::string(1, '\0'));
            break;
        }
    }
    return reply;
}
