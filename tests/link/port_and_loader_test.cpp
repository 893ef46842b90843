// The serial port's configurations and log lines, and the loader's bytes on the wire,
// checked against a device in memory.
#include "link/fake_serial_device.h"
#include "link/loader_commands.h"
#include "link/loader_upload.h"
#include "link/log_capture.h"
#include "link/phone_link.h"

#include <gtest/gtest.h>

using namespace qv;
using namespace qvtest;

namespace {

using Bytes = std::vector<uint8_t>;

struct LinkFixture : ::testing::Test {
    LinkFixture() {
        auto owned = std::make_unique<FakeSerialDevice>();
        dev = owned.get();
        link = std::make_unique<PhoneLink>();
        link->port = SerialPort(std::move(owned));
        link->port.setSleeper([](int) {});
        link->portName = "ttyFAKE";
        link->loaderImage = QByteArray(kLoaderImageSize, '\x5A');
    }
    Bytes writtenAfter(size_t from) const { return Bytes(dev->written.begin() + long(from), dev->written.end()); }
    FakeSerialDevice* dev;
    std::unique_ptr<PhoneLink> link;
};

TEST_F(LinkFixture, LoaderLinkConfigurationLogsEveryStepInOrder) {
    LogCapture log;
    ASSERT_EQ(link->port.openLoaderLink("ttyFAKE", 28800), ResultCode::Ok);
    const QStringList expected = {
        "Opening COM port...",
        "OK: COM port opened, Handle = 7",
        "Setting up COM port...",
        "   Setting COM timeouts RI=3000, WC=0",
        "   OK: Setting COM timeouts successfully finished",
        "   Obtaining COM State...",
        "   OK: Obtaining COM State successfully finished",
        "   OK: Setting COM State successfully finished",
        "   OK: Setting COM Queues successfully finished",
        "   Setting COM Mask... Mask=1",
        "   OK: Setting COM Mask successfully finished",
        "OK: Setting up COM successfully finished",
    };
    const QStringList got = log.messages();
    ASSERT_GE(got.size(), expected.size());
    EXPECT_EQ(got.mid(got.size() - expected.size()), expected);
    const LineSettings& s = dev->appliedSettings.back();
    EXPECT_EQ(s.baud, 28800u);
    EXPECT_TRUE(s.twoStopBits);
    EXPECT_FALSE(s.dtr);
    EXPECT_FALSE(s.rts);

    // Only Windows reads the tuning; the values are what its driver has always been given.
    const WindowsTuning first = dev->configs.back().windows;
    EXPECT_EQ(first.readInterval, 3000u);
    EXPECT_EQ(first.writeTotalConstant, 0u);
    EXPECT_EQ(first.inputQueue, 65536u);
    EXPECT_EQ(first.eventMask, 5u);
    EXPECT_EQ(first.xonLimit, 0);
    ASSERT_EQ(link->port.setWorkingSpeed(115200), ResultCode::Ok);
    const WindowsTuning& working = dev->configs.back().windows;
    EXPECT_EQ(dev->appliedSettings.back().baud, 115200u);
    EXPECT_EQ(working.xonLimit, 2048);
    EXPECT_EQ(working.xoffLimit, 512);
    // The rest as before, so the Windows driver is only given the new line.
    EXPECT_EQ(working.readInterval, first.readInterval);
    EXPECT_EQ(working.eventMask, first.eventMask);
    EXPECT_EQ(working.inputQueue, first.inputQueue);
}

TEST_F(LinkFixture, LoaderLinkLogStopsAtTheStepThatFailed) {
    const std::tuple<ConfigureStep, ResultCode, std::string> cases[] = {
        {ConfigureStep::Timeouts, ResultCode::CantSetTimeouts, "   X:  Setting COM timeouts failed"},
        {ConfigureStep::ReadEventMask, ResultCode::CantSetComMask, "   X:  Setting COM Mask failed"},
        {ConfigureStep::ReadLine, ResultCode::CantReadComState, "   X:  Obtaining COM State failed"},
        {ConfigureStep::Line, ResultCode::CantSetComState, "   X:  Setting COM State failed"},
        {ConfigureStep::Queues, ResultCode::CantSetComBuffer, "   X:  Setting COM Queues failed"},
        {ConfigureStep::EventMask, ResultCode::CantSetComMask, "   X:  Setting COM Mask failed"},
    };
    int lines = 0;
    for (const auto& [step, code, last] : cases) {
        LogCapture log;
        dev->failAt = step;
        EXPECT_EQ(link->port.openLoaderLink("ttyFAKE", 28800), code) << int(step);
        const QStringList got = log.messages();
        ASSERT_FALSE(got.isEmpty());
        EXPECT_EQ(got.back().toStdString(), last) << int(step);
        EXPECT_GT(got.size(), lines) << "each step logs more of the sequence: " << int(step);
        lines = int(got.size());
    }
}

// The platform's own device: a port that is not there is named with the system's reason.
TEST(PlatformSerialDevice, SaysWhyAPortCannotBeOpened) {
#ifdef _WIN32
    const QString missing = QStringLiteral("COM231");
#else
    const QString missing = QStringLiteral("/nonexistent/ttyS9");
#endif
    SerialPort port;
    const Result opened = port.open(missing);
    EXPECT_EQ(opened.code(), ResultCode::CantOpenCom);
    const QString prefix = QStringLiteral("Can not open the port %1: ").arg(missing);
    ASSERT_TRUE(opened.detail().startsWith(prefix)) << opened.detail().toStdString();
    const QString reason = opened.detail().mid(prefix.size());
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_NE(reason, QStringLiteral("Success"));
    EXPECT_FALSE(reason.endsWith(u'\n')) << "a system message's line end stays out";
    EXPECT_FALSE(port.isOpen());
}

TEST_F(LinkFixture, OpenFailuresAndCloseWithoutPort) {
    LogCapture log;
    dev->failOpen = true;
    EXPECT_EQ(link->port.open("nowhere"), ResultCode::CantOpenCom);
    EXPECT_TRUE(log.messages().contains("X:  COM port open failed."));
    EXPECT_EQ(link->port.close(), ResultCode::ComCloseError);  // nothing to close, yet every step runs
    EXPECT_FALSE(link->port.isOpen());
    EXPECT_TRUE(log.messages().contains("Close COM finished"));

    dev->failOpen = false;
    dev->failAt = ConfigureStep::Timeouts;
    EXPECT_EQ(link->port.openLoaderLink("ttyFAKE", 28800), ResultCode::CantSetTimeouts);
    EXPECT_EQ(uploadLoader(*link), ResultCode::ComInitFailed);
    link->portName.clear();
    EXPECT_EQ(uploadLoader(*link), ResultCode::WrongComSettings);
}

TEST_F(LinkFixture, AtLinkSettings) {
    ASSERT_EQ(link->port.openAtLink("ttyFAKE"), ResultCode::Ok);
    const LineSettings& s = dev->appliedSettings.back();
    EXPECT_EQ(s.baud, 19200u);
    EXPECT_FALSE(s.twoStopBits);
    EXPECT_TRUE(s.dtr);
    EXPECT_TRUE(s.rts);
    const WindowsTuning& w = dev->configs.back().windows;
    EXPECT_EQ((std::array{w.readInterval, w.readTotalMultiplier, w.readTotalConstant, w.writeTotalMultiplier,
                          w.writeTotalConstant, w.inputQueue, w.outputQueue}),
              (std::array<uint32_t, 7>{50, 1, 50, 10, 10, 2048, 2048}));
    EXPECT_FALSE(w.eventMask || w.xonLimit || w.xoffLimit) << "the driver's own are left alone";
}

TEST_F(LinkFixture, WritesStopOnAbortAndTheClockSurvivesATickWrap) {
    ASSERT_EQ(link->port.open("ttyFAKE"), ResultCode::Ok);
    link->task.requestStop();
    const uint8_t b[3] = {1, 2, 3};
    EXPECT_EQ(link->port.writeBytes(b, 3, link->task), 0);
    EXPECT_TRUE(dev->written.empty());

    uint32_t now = 0xFFFFFF00u;
    TimeoutClock clock([&] { return now; });
    clock.start(1000);
    now += 0x200;  // wrapped past zero, 512 ms later
    EXPECT_FALSE(clock.reached());
    now += 488;
    EXPECT_TRUE(clock.reached());
}

TEST_F(LinkFixture, LoaderUploadBytesOnTheWire) {
    int greetings = 0;
    dev->phone = [&](FakeSerialDevice& d, const Bytes& w) {
        if (w.size() == 1 && w[0] == 0x45 && ++greetings == 3) d.answer({0x11, 0x43});  // noise first
        if (w.size() == 972) d.answerAfterClear({0x00, 0x21, 0xA1, 0xA2, 0xA3});
    };
    ASSERT_EQ(uploadLoader(*link), ResultCode::Ok);
    const Bytes& out = dev->written;
    ASSERT_GE(greetings, 3);
    for (int i = 0; i < greetings; ++i) EXPECT_EQ(out[size_t(i)], 0x45);
    const size_t header = size_t(greetings);
    EXPECT_EQ(Bytes(out.begin() + long(header), out.begin() + long(header) + 41),
              Bytes(kBootHeader.begin(), kBootHeader.end()));
    EXPECT_EQ(out.size(), header + 41 + 7116 + 1);
    EXPECT_EQ(out.back(), 0x21);
    EXPECT_EQ(dev->pendingInput(), 0u);  // exactly three bytes after the confirmation were taken
}

TEST_F(LinkFixture, LoaderUploadHonoursAbort) {
    link->task.requestStop();
    EXPECT_EQ(uploadLoader(*link), ResultCode::Aborted);
    EXPECT_EQ(dev->openCount, 0);

    // Cancel while greeting a silent phone.
    link->task.renewCancel();
    int greetings = 0;
    dev->phone = [&](FakeSerialDevice&, const Bytes&) {
        if (++greetings == 5) link->task.requestStop();
    };
    EXPECT_EQ(uploadLoader(*link), ResultCode::Aborted);
}

TEST_F(LinkFixture, SpeedSwitchCodes) {
    const std::pair<uint32_t, Bytes> cases[] = {
        {9600, {0x53, 0x00}}, {19200, {0x53, 0x01}}, {38400, {0x53, 0x03}},
        {115200, {0x53, 0x04}}, {230400, {0x53, 0x05}}, {57600, {0x00, 0x00}},
    };
    ASSERT_EQ(link->port.open("ttyFAKE"), ResultCode::Ok);
    dev->phone = [](FakeSerialDevice& d, const Bytes& w) {
        if (w.size() == 1 && (w[0] <= 0x05)) d.answer({0x21});
    };
    for (const auto& [baud, bytes] : cases) {
        const size_t from = dev->written.size();
        link->workingSpeed = baud;
        EXPECT_EQ(speedSwitch(*link), ResultCode::Ok) << baud;
        EXPECT_EQ(writtenAfter(from), bytes) << baud;
    }
}

TEST_F(LinkFixture, ReadBlockRequestAndTrailer) {
    ASSERT_EQ(link->port.open("ttyFAKE"), ResultCode::Ok);
    dev->phone = [](FakeSerialDevice& d, const Bytes& w) {
        static Bytes request;
        request.insert(request.end(), w.begin(), w.end());
        if (request.size() == 9) {
            const uint32_t n = uint32_t(request[5] << 24 | request[6] << 16 | request[7] << 8 | request[8]);
            Bytes data(n + 2, 0x77);
            d.answer(data);
            request.clear();
        }
    };
    ASSERT_EQ(readBlock(*link, 0x01000004, block(16384)), ResultCode::Ok);
    const Bytes expected = {0x52, 0x01, 0x00, 0x00, 0x04, 0x00, 0x00, 0x40, 0x00, 0x21};
    EXPECT_EQ(dev->written, expected);
    EXPECT_EQ(blockBuffer()[16383], 0x77);

    const size_t from = dev->written.size();
    ASSERT_EQ(readBlock(*link, 0x10, block(0)), ResultCode::Ok);  // still two trailing bytes, still answered
    EXPECT_EQ(writtenAfter(from).back(), 0x21);
}

TEST_F(LinkFixture, WriteSegmentsChecksumsAndRetries) {
    ASSERT_EQ(link->port.open("ttyFAKE"), ResultCode::Ok);
    EXPECT_EQ(segmentChecksum(65536, 3, Bytes{1, 2, 3}.data()), 0xFFF5);

    std::vector<std::pair<uint32_t, uint32_t>> segments;
    Bytes pending;
    int refusals = 0;
    dev->phone = [&](FakeSerialDevice& d, const Bytes& w) {
        pending.insert(pending.end(), w.begin(), w.end());
        if (pending.size() < 9) return;
        const uint32_t at = uint32_t(pending[1] << 24 | pending[2] << 16 | pending[3] << 8 | pending[4]);
        const uint32_t n = uint32_t(pending[5] << 24 | pending[6] << 16 | pending[7] << 8 | pending[8]);
        if (pending.size() < 9 + n + 2) return;
        segments.push_back({at, n});
        pending.clear();
        d.answerAfterClear({uint8_t(refusals-- > 0 ? 0x3F : 0x21)});
    };
    blockBuffer()[0] = 1, blockBuffer()[1] = 2, blockBuffer()[2] = 3;
    ASSERT_EQ(writeBlock(*link, 65536, block(3)), ResultCode::Ok);
    EXPECT_EQ(dev->written, (Bytes{0x57, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x01, 0x02, 0x03, 0xFF, 0xF5}));

    segments.clear();
    ASSERT_EQ(writeBlock(*link, 32768, block(70000)), ResultCode::Ok);
    EXPECT_EQ(segments, (std::vector<std::pair<uint32_t, uint32_t>>{{32768, 32768}, {65536, 37232}}));
    segments.clear();
    ASSERT_EQ(writeBlock(*link, 131072, block(65536)), ResultCode::Ok);
    EXPECT_EQ(segments.size(), 1u);

    // A refused segment is sent again; refused three times, the write fails, never succeeds.
    segments.clear();
    refusals = 2;
    EXPECT_EQ(writeBlock(*link, 0, block(100)), ResultCode::Ok);
    EXPECT_EQ(segments.size(), 3u);
    refusals = 3;
    EXPECT_EQ(writeBlock(*link, 0, block(100)), ResultCode::InvalidResponse);
}

TEST(VersionLine, FieldsAreCutFromTheVersionBlock) {
    auto line = [](const char* text) {
        QByteArray block(text);
        block.resize(128, '\0');
        return versionLineOf(reinterpret_cast<const uint8_t*>(block.constData()), 128);
    };
    EXPECT_EQ(line("200 V10a W20 P3"), "V10a P3 W20");
    EXPECT_EQ(line("200 G5xP W1"), "  W1");  // the W/G field stops at a "P"; the later find wins
    EXPECT_EQ(line("199 V10a"), "");
    EXPECT_EQ(line("200 nothing here"), "");
}

}  // namespace
