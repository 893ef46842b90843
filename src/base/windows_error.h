#pragma once
// Windows error codes in words. Plain types only: the Win32 serial device builds without Qt.
#ifdef _WIN32
#include <string>

namespace qv {

// The system's message for a GetLastError() code, in UTF-8 and without its line end
// ("The system cannot find the file specified."); "system error N" when there is none.
std::string windowsErrorText(unsigned long code);

}  // namespace qv
#endif
