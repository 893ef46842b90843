#pragma once
// The last resort for an exception that nothing caught (one thrown on a worker thread, say):
// instead of an abort with a core dump, one line on stderr naming the program and the error,
// and exit code 1.

namespace qv {

void installLastResortHandler(const char* programName);

}  // namespace qv
