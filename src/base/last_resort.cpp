#include "base/last_resort.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>

namespace qv {
namespace {

const char* g_program = "quorvanta";

[[noreturn]] void reportAndExit() {
    const char* what = "an unknown exception";
    try {
        if (const std::exception_ptr e = std::current_exception()) std::rethrow_exception(e);
        what = "the program stopped itself";
    } catch (const std::bad_alloc&) {
        what = "not enough memory";
    } catch (const std::exception& e) {
        what = e.what();
    } catch (...) {
    }
    std::fprintf(stderr, "%s: unexpected error: %s\n", g_program, what);
    std::fflush(stderr);
    std::_Exit(1);
}

}  // namespace

void installLastResortHandler(const char* programName) {
    g_program = programName;
    std::set_terminate(reportAndExit);
}

}  // namespace qv
