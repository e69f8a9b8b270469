// Ports left in order when the process is ended by a signal. A port is opened exclusively and
// its line settings are changed; a device another program keeps open (a pseudo-terminal's
// device side, say) would stay exclusive after a plain kill, and nobody could open it again.
// Once installed, SIGINT, SIGTERM and SIGHUP first release every port still open (exclusivity
// cleared, the settings found at opening put back), then let the files' append writers write
// what they hold (a bounded wait), then end the process as they would have.
#pragma once
#include "platform/comm/comm_termios.h"

void InstallCommReleaseOnSignals();

// The comm layer's own use: a port opened (its settings as found) and closed.
void CommNoteOpened(int fd, const CommTermios& found);
void CommNoteClosed(int fd);
