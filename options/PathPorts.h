// Ports the user added by path or by network URL (rfc2217://HOST:PORT, tcp://HOST:PORT), kept in
// the options (CKivernSettings::m_ports) and linked into the ports folder, where the port list
// finds them as COMn. The folder does not outlive a reboot, so the links are made again at each
// start.
#pragma once
#include <string>

#include "options/Settings.h"

enum KvPathPort {
    KV_PATH_ADDED,        // a new entry
    KV_PATH_KNOWN,        // the path was there already, with its number
    KV_PATH_NO_TERMINAL,  // the path leads to no terminal device, or the URL is malformed
    KV_PATH_NO_NUMBER     // every number is in use
};

// Adds path under the lowest number that no present port and no entry uses; nNumber gets the
// entry's number. The link is left to the caller.
KvPathPort AddPathPort(CKivernSettings& settings, const std::string& path, unsigned& nNumber);
// The box that refuses a path which is no terminal device, or finds no free number.
void ReportPathPortRefused(KvPathPort result, const std::string& path);
// Makes the link of every entry (at start).
void RestorePathPortLinks(const CKivernSettings& settings);
// Removes the links of entries that are gone and makes those of new ones.
void UpdatePathPortLinks(const CKivernSettings& before, const CKivernSettings& after);
