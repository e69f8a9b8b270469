// The one place that chooses a port's kind. A new kind is a CommLine in a file of its own and
// one line here (and a scheme in neturl.h where it is named by URL).
#include "platform/comm/comm_kind.h"

#include "platform/comm/comm_device.h"
#include "platform/comm/comm_rfc2217.h"
#include "platform/comm/comm_tcp.h"
#include "platform/ports/neturl.h"

std::unique_ptr<CommLine> OpenCommLine(const std::string& path, int wakeFd) {
    NetPortAddress address;
    ParseNetPortUrl(path, address);
    switch (address.kind) {
        case NET_PORT_RFC2217:
            return CommRfc2217::Connect(address, wakeFd);
        case NET_PORT_TCP:
            return CommTcp::Connect(address, wakeFd);
        case NET_PORT_NONE:
            break;
    }
    return CommDevice::Open(path, wakeFd);
}
