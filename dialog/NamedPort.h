// The port named on the command line. A device path or network URL named there is a port for
// this run only: the number the user gave it in the settings box when it is one of those, else
// a run link in the ports folder under a free number, which goes with the window and is never
// written to the settings file. The named port stays selected through every refresh of the
// list until the user picks another. A failed opening that --open asked for, or of a port that
// exists only for this run, is reported with its cause stated.
#pragma once
#include <string>

#include "options/PathPorts.h"
#include "platform/afx.h"
#include "serial/OpenFailure.h"

// Posted by the start-up so that --open acts once the window is up.
#define UM_STARTUP_OPEN (WM_USER + 41)

class CNamedPort {
public:
    CNamedPort() = default;
    ~CNamedPort();
    CNamedPort(const CNamedPort&) = delete;
    CNamedPort& operator=(const CNamedPort&) = delete;

    // Makes path a port for this run; nNumber gets its number. KV_PATH_KNOWN: one of the
    // settings' ports; KV_PATH_ADDED: a run link was made.
    KvPathPort Link(const CKivernSettings& settings, const std::string& path, unsigned& nNumber);
    // strPort ("COMn") is the port the command line named.
    void Name(const CString& strPort) { m_strName = m_strKept = strPort; }
    const CString& GetName() const { return m_strName; }
    // The entry a refresh selects ("" once the user picked another).
    const CString& GetKeptSelection() const { return m_strKept; }
    // The user picked strPort in the list.
    void OnUserPick(const CString& strPort);
    // The settings box added the run port's path: the entry takes the run's number and the
    // link lasts from now on.
    void Adopt(CKivernSettings& settings);
    // Marks a failure as the command line's where it is, with the named device when the
    // system no longer knows it.
    void Describe(CPortOpenFailure& f) const;

    bool m_bOpening = false;  // the opening --open asked for is under way

private:
    CString m_strName;
    CString m_strKept;
    unsigned m_nRunNumber = 0;  // the run link's number; 0: none
    std::string m_path;         // what the command line named
    unsigned m_nNumber = 0;     // its port number, run link or not
};
