// Serial devices on Windows through the Win32 communications calls.
#ifdef _WIN32
#include "link/serial_device.h"

#include <windows.h>

namespace qv {
namespace {

// What the communications calls answer once an adapter has been unplugged: the handle stays,
// every call on it fails with one of these.
bool meansGone(DWORD e) {
    switch (e) {
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
        // "COM10" and above need the device namespace prefix; it works for every port.
        const std::string path = name.rfind("\\\\.\\", 0) == 0 ? name : "\\\\.\\" + name;
        const DWORD share = exclusive ? 0 : (FILE_SHARE_READ | FILE_SHARE_WRITE);
        handle_ = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        return handle_ != INVALID_HANDLE_VALUE;
    }
    bool isOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }
    long long handleNumber() const override { return reinterpret_cast<long long>(handle_); }

    bool close() override {
        if (handle_ == INVALID_HANDLE_VALUE) return false;
        const BOOL ok = CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return ok != 0;
    }

    bool readSettings(LineSettings& s) override {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!GetCommState(handle_, &dcb)) return false;
        s.baud = dcb.BaudRate;
        s.dataBits = dcb.ByteSize;
        s.twoStopBits = dcb.StopBits == TWOSTOPBITS;
        s.dtr = dcb.fDtrControl == DTR_CONTROL_ENABLE;
        s.rts = dcb.fRtsControl == RTS_CONTROL_ENABLE;
        s.xonLimit = dcb.XonLim;
        s.xoffLimit = dcb.XoffLim;
        return true;
    }

    bool applySettings(const LineSettings& s) override {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!GetCommState(handle_, &dcb)) return false;
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
        dcb.XonLim = WORD(s.xonLimit);
        dcb.XoffLim = WORD(s.xoffLimit);
        return SetCommState(handle_, &dcb) != 0;
    }

    bool readTimeouts(Timeouts& t) override {
        COMMTIMEOUTS c{};
        if (!GetCommTimeouts(handle_, &c)) return false;
        t = {c.ReadIntervalTimeout, c.ReadTotalTimeoutMultiplier, c.ReadTotalTimeoutConstant,
             c.WriteTotalTimeoutMultiplier, c.WriteTotalTimeoutConstant};
        return true;
    }
    bool applyTimeouts(const Timeouts& t) override {
        COMMTIMEOUTS c{t.readInterval, t.readTotalMultiplier, t.readTotalConstant, t.writeTotalMultiplier,
                       t.writeTotalConstant};
        return SetCommTimeouts(handle_, &c) != 0;
    }
    bool setQueueSizes(uint32_t input, uint32_t output) override { return SetupComm(handle_, input, output) != 0; }
    bool readEventMask(uint32_t& mask) override {
        DWORD m = 0;
        if (!GetCommMask(handle_, &m)) return false;
        mask = m;
        return true;
    }
    bool setEventMask(uint32_t mask) override { return SetCommMask(handle_, mask) != 0; }

    int inputCount() override {
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
        DWORD got = 0;
        if (!ReadFile(handle_, buffer, DWORD(wanted), &got, nullptr)) {
            noteFailure();
            return -1;
        }
        return int(got);
    }

    int write(const uint8_t* buffer, int count) override {
        DWORD put = 0;
        if (!WriteFile(handle_, buffer, DWORD(count), &put, nullptr)) {
            noteFailure();
            return -1;
        }
        return int(put);
    }

    // With no write time-out a Win32 write returns once the bytes are handed on, so the
    // purge cannot drop them.
    bool purge() override {
        FlushFileBuffers(handle_);
        return PurgeComm(handle_, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR) != 0;
    }
    bool clearInput() override { return PurgeComm(handle_, PURGE_RXABORT | PURGE_RXCLEAR) != 0; }

    bool lost() const override { return lost_; }

private:
    void noteFailure() {
        if (meansGone(GetLastError())) lost_ = true;
    }

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    bool lost_ = false;
};

}  // namespace

std::unique_ptr<SerialDevice> createPlatformSerialDevice() { return std::make_unique<Win32SerialDevice>(); }

}  // namespace qv
#endif
