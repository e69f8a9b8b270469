// Ports on the network, named by URL: "rfc2217://HOST:PORT" (Telnet with the serial-port
// option) and "tcp://HOST:PORT" (a raw byte stream). HOST is a name, an IPv4 address or an
// IPv6 address in brackets ("[::1]"); PORT is 1 to 65535.
#pragma once
#include <string>

enum NetPortKind { NET_PORT_NONE, NET_PORT_RFC2217, NET_PORT_TCP };

struct NetPortAddress {
    NetPortKind kind = NET_PORT_NONE;
    std::string host;  // without brackets
    std::string port;  // decimal
};

// Reads url; NET_PORT_NONE (and false) when it is no well-formed network port URL.
bool ParseNetPortUrl(const std::string& url, NetPortAddress& address);
// The kind of port url names; NET_PORT_NONE for a device path or a malformed URL.
NetPortKind NetPortKindOf(const std::string& url);
// Whether text starts like a network port URL ("scheme://"), well-formed or not.
bool LooksLikeNetPortUrl(const std::string& text);
