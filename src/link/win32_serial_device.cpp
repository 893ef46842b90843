// Serial devices on Windows through the Win32 communications calls.
#ifdef _WIN32
#include "base/windows_error.h"
#include "link/serial_device.h"

#include <windows.h>

#include <optional>
#include <string>

namespace qv {
namespace {

// What the communications calls answer once an adapter has been unplugged: the handle stays,
// every call on it fails with one of these.
bool meansGone(DWORD e) {
    switch (e) {
    case ERROR_NOT_READY:  // Wine, once the other side of a mapped pseudo-terminal has closed
    case ERROR_ACCESS_DENIED:
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_INVALID_HANDLE:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
    case ERROR_OPERATION_ABORTED:
        return true;
    default:
        return false;
    }
}

class Win32SerialDevice final : public SerialDevice {
public:
    ~Win32SerialDevice() override { close(); }

    bool open(const std::string& name, bool exclusive) override {
        close();
        lost_ = false;
        tuned_.reset();
        // "COM10" and above need the device namespace prefix; it works for every port.
        const std::string path = name.rfind("\\\\.\\", 0) == 0 ? name : "\\\\.\\" + name;
        const DWORD share = exclusive ? 0 : (FILE_SHARE_READ | FILE_SHARE_WRITE);
        handle_ = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle_ != INVALID_HANDLE_VALUE) return true;
        const DWORD e = GetLastError();
        openFailure_ = {windowsErrorText(e), false};
        return false;
    }
    OpenFailure openFailure() const override { return openFailure_; }
    bool isOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }
    long long handleNumber() const override { return reinterpret_cast<long long>(handle_); }

    bool close() override {
        if (handle_ == INVALID_HANDLE_VALUE) return false;
        const BOOL ok = CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        tuned_.reset();
        return ok != 0;
    }

    // The tuning goes to the driver once per open handle: a configure that changes only the line
    // (the switch to the working speed) costs the driver nothing else and can only fail there.
    Configured configure(const SerialConfig& config) override {
        Configured done;
        if (tuned_ && sameHandleTuning(*tuned_, config.windows)) {
            done.previousEventMask = tuned_->eventMask.value_or(0);
            done.failedAt = setLine(config);
        } else {
            done.failedAt = tuneAndSetLine(config, done.previousEventMask);
        }
        if (done.ok()) tuned_ = config.windows;
        return done;
    }

    int inputCount() override {
        if (!isOpen()) return -1;
        DWORD errors = 0;
        COMSTAT stat{};
        if (!ClearCommError(handle_, &errors, &stat)) {
            noteFailure();
            return -1;
        }
        return int(stat.cbInQue);
    }

    bool waitForInput(int ms) override {
        const DWORD start = GetTickCount();
        for (;;) {
            const int n = inputCount();
            if (n != 0) return n > 0;
            if (DWORD(GetTickCount() - start) >= DWORD(ms)) return false;
            Sleep(1);
        }
    }

    int read(uint8_t* buffer, int wanted) override {
        if (!isOpen()) return -1;
        DWORD got = 0;
        if (!ReadFile(handle_, buffer, DWORD(wanted), &got, nullptr)) {
            noteFailure();
            return -1;
        }
        return int(got);
    }

    int write(const uint8_t* buffer, int count) override {
        if (!isOpen()) return -1;
        DWORD put = 0;
        if (!WriteFile(handle_, buffer, DWORD(count), &put, nullptr)) {
            noteFailure();
            return -1;
        }
        return int(put);
    }

    // Nothing of ours is thrown away: what was written is first sent, and then only the input
    // is cleared. FlushFileBuffers would wait for the sending on Windows, but Wine makes it (and
    // PURGE_TXCLEAR) a flush that drops what the other side of a pseudo-terminal has not read yet.
    bool purge(Queues queues) override {
        if (!isOpen()) return false;
        if (queues == Queues::Both) waitUntilSent(5000);
        return PurgeComm(handle_, PURGE_RXABORT | PURGE_RXCLEAR) != 0;
    }

    bool lost() const override { return lost_; }

private:
    static bool sameHandleTuning(const WindowsTuning& a, const WindowsTuning& b) {
        return a.readInterval == b.readInterval && a.readTotalMultiplier == b.readTotalMultiplier &&
               a.readTotalConstant == b.readTotalConstant && a.writeTotalMultiplier == b.writeTotalMultiplier &&
               a.writeTotalConstant == b.writeTotalConstant && a.inputQueue == b.inputQueue &&
               a.outputQueue == b.outputQueue && a.eventMask == b.eventMask;
    }

    ConfigureStep tuneAndSetLine(const SerialConfig& config, uint32_t& previousMask) {
        const WindowsTuning& w = config.windows;
        COMMTIMEOUTS timeouts{w.readInterval, w.readTotalMultiplier, w.readTotalConstant, w.writeTotalMultiplier,
                              w.writeTotalConstant};
        if (!SetCommTimeouts(handle_, &timeouts)) return ConfigureStep::Timeouts;
        DWORD mask = 0;
        if (w.eventMask && !GetCommMask(handle_, &mask)) return ConfigureStep::ReadEventMask;
        previousMask = mask;
        if (const ConfigureStep step = setLine(config); step != ConfigureStep::Done) return step;
        const bool queues = w.inputQueue != 0 || w.outputQueue != 0;
        if (queues && !SetupComm(handle_, w.inputQueue, w.outputQueue)) return ConfigureStep::Queues;
        if (w.eventMask && !SetCommMask(handle_, *w.eventMask)) return ConfigureStep::EventMask;
        return ConfigureStep::Done;
    }

    // Over the driver's current state, so that fields this program has no say about stay.
    ConfigureStep setLine(const SerialConfig& config) {
        const LineSettings& s = config.line;
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!GetCommState(handle_, &dcb)) return ConfigureStep::ReadLine;
        dcb.BaudRate = s.baud;
        dcb.ByteSize = BYTE(s.dataBits);
        dcb.Parity = NOPARITY;
        dcb.StopBits = s.twoStopBits ? TWOSTOPBITS : ONESTOPBIT;
        dcb.fBinary = TRUE;
        dcb.fParity = FALSE;
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fErrorChar = FALSE;
        dcb.fNull = FALSE;
        dcb.fDtrControl = s.dtr ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
        dcb.fRtsControl = s.rts ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
        dcb.XonChar = 0;
        dcb.XoffChar = 0;
        dcb.ErrorChar = 0;
        dcb.EofChar = 0;
        dcb.EvtChar = 0;
        dcb.XonLim = config.windows.xonLimit.value_or(dcb.XonLim);
        dcb.XoffLim = config.windows.xoffLimit.value_or(dcb.XoffLim);
        return SetCommState(handle_, &dcb) ? ConfigureStep::Done : ConfigureStep::Line;
    }

    void waitUntilSent(DWORD ms) {
        const DWORD start = GetTickCount();
        for (;;) {
            DWORD errors = 0;
            COMSTAT stat{};
            if (!ClearCommError(handle_, &errors, &stat) || stat.cbOutQue == 0) return;
            if (DWORD(GetTickCount() - start) >= ms) return;
            Sleep(1);
        }
    }

    void noteFailure() {
        if (meansGone(GetLastError())) lost_ = true;
    }

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    OpenFailure openFailure_;
    std::optional<WindowsTuning> tuned_;  // what the open handle's driver was given
    bool lost_ = false;
};

}  // namespace

std::unique_ptr<SerialDevice> createPlatformSerialDevice() { return std::make_unique<Win32SerialDevice>(); }

}  // namespace qv
#endif
