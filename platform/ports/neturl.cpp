// Network port URLs.
#include "platform/ports/neturl.h"

#include <strings.h>

namespace {
const struct {
    const char* prefix;
    NetPortKind kind;
} kSchemes[] = {{"rfc2217://", NET_PORT_RFC2217}, {"tcp://", NET_PORT_TCP}};

bool HostCharsOk(const std::string& host, bool bracketed) {
    if (host.empty() || host.size() > 253) return false;
    for (char c : host) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '.' || c == '-' || c == '_' || (bracketed && (c == ':' || c == '%'));
        if (!ok) return false;
    }
    return true;
}
}  // namespace

bool ParseNetPortUrl(const std::string& url, NetPortAddress& address) {
    address = NetPortAddress();
    NetPortKind kind = NET_PORT_NONE;
    std::string rest;
    for (const auto& s : kSchemes) {
        size_t len = std::char_traits<char>::length(s.prefix);
        if (url.size() > len && strncasecmp(url.c_str(), s.prefix, len) == 0) {
            kind = s.kind;
            rest = url.substr(len);
        }
    }
    if (kind == NET_PORT_NONE) return false;
    if (!rest.empty() && rest.back() == '/') rest.pop_back();
    std::string host, port;
    bool bracketed = !rest.empty() && rest[0] == '[';
    if (bracketed) {
        size_t close = rest.find(']');
        if (close == std::string::npos || close + 1 >= rest.size() || rest[close + 1] != ':')
            return false;
        host = rest.substr(1, close - 1);
        port = rest.substr(close + 2);
    } else {
        size_t colon = rest.find(':');
        if (colon == std::string::npos || rest.find(':', colon + 1) != std::string::npos)
            return false;
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
    }
    if (!HostCharsOk(host, bracketed) || port.empty() || port.size() > 5) return false;
    unsigned long n = 0;
    for (char c : port) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (unsigned long)(c - '0');
    }
    if (n < 1 || n > 65535) return false;
    address.kind = kind;
    address.host = host;
    address.port = std::to_string(n);
    return true;
}

NetPortKind NetPortKindOf(const std::string& url) {
    NetPortAddress a;
    return ParseNetPortUrl(url, a) ? a.kind : NET_PORT_NONE;
}

bool LooksLikeNetPortUrl(const std::string& text) {
    size_t sep = text.find("://");
    if (sep == std::string::npos || sep == 0) return false;
    for (size_t i = 0; i < sep; ++i) {
        char c = text[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}
