// Error codes of GetLastError that the application tells apart. The layer's codes are the
// system's errno values; these name the ones a refused port open can carry.
#pragma once

#define ERROR_PERMISSION_DENIED 13L  // no access to the device (not in its group)
#define ERROR_OPERATION_NOT_PERMITTED 1L
