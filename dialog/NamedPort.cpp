// The port named on the command line: its run link, its selection, and its failures.
#include "dialog/NamedPort.h"

#include <algorithm>

namespace {
// Tries for a run link when another window takes the same number at the same moment.
const int kLinkTries = 8;
}  // namespace

CNamedPort::~CNamedPort() {
    if (m_nRunNumber) RemoveRunPortLink(m_nRunNumber, m_path);
}

KvPathPort CNamedPort::Link(const CKivernSettings& settings, const std::string& path,
                            unsigned& nNumber) {
    // The settings box's rules decide what a port may be; the settings themselves stay as
    // they are.
    CKivernSettings probe = settings;
    KvPathPort result = AddPathPort(probe, path, nNumber);
    if (result == KV_PATH_ADDED) {
        std::vector<unsigned> reserved;
        for (const auto& p : probe.m_ports) reserved.push_back(p.first);
        bool bLinked = false;
        for (int i = 0; i < kLinkTries && nNumber && !bLinked; ++i) {
            bLinked = CreateRunPortLink(nNumber, path);
            if (!bLinked) {
                reserved.push_back(nNumber);
                nNumber = FreePortNumber(reserved);
            }
        }
        if (!bLinked) return KV_PATH_NO_NUMBER;
        m_nRunNumber = nNumber;
    }
    if (result == KV_PATH_ADDED || result == KV_PATH_KNOWN) {
        m_path = path;
        m_nNumber = nNumber;
    }
    return result;
}

void CNamedPort::OnUserPick(const CString& strPort) {
    if (strPort != m_strKept) m_strKept.Empty();
}

void CNamedPort::Adopt(CKivernSettings& settings) {
    if (!m_nRunNumber) return;
    auto& ports = settings.m_ports;
    for (const auto& p : ports)
        if (p.first == m_nRunNumber) return;  // the number went to another entry
    auto added =
        std::find_if(ports.begin(), ports.end(),
                     [&](const std::pair<unsigned, std::string>& p) { return p.second == m_path; });
    if (added == ports.end()) return;
    added->first = m_nRunNumber;
    std::sort(ports.begin(), ports.end());
    KeepRunPortLink(m_nRunNumber);
    m_nRunNumber = 0;
}

void CNamedPort::Describe(CPortOpenFailure& f) const {
    const bool bNamed = m_nNumber && f.nPort == m_nNumber;
    if (m_bOpening || (bNamed && m_nRunNumber)) f.bCommandLine = true;
    if (bNamed && f.strDevice.IsEmpty() && f.strAddress.IsEmpty() && !LooksLikeNetPortUrl(m_path))
        f.strDevice = m_path.c_str();
}
