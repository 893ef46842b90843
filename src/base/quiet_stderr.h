#pragma once
// Some libraries behind Qt's image plugins (libpng, libtiff) print their complaints about a
// damaged file straight to the process's standard error, past Qt's message handler. Where the
// standard error is the user's screen (the command-line tool), its lines are the program's
// own; the image readers hold a QuietStandardError while they are in those libraries, and the
// program switches it on.
namespace qv {

// Off at start: a guard then changes nothing.
void setQuietStandardError(bool on);

// While one lives (and the switch is on), what the process writes to its standard error is
// dropped. Not for threads that report on stderr meanwhile: their lines would be dropped too.
class QuietStandardError {
public:
    QuietStandardError();
    ~QuietStandardError();
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

private:
    bool engaged_ = false;
    int saved_ = -1;
};

}  // namespace qv
