// The serial port's configurations and log lines, and the loader's bytes on the wire,
// checked against a device in memory.
#include "link/loader_commands.h"
#include "link/loader_upload.h"
#include "link/log_capture.h"
#include "support/fake_link.h"
#include "support/fake_loader.h"

#include <gtest/gtest.h>
#include <algorithm>

using namespace qv;
using namespace qvtest;

namespace {

using Bytes = std::vector<uint8_t>;

struct LinkFixture : ::testing::Test, FakeLink {
    LinkFixture() {
        dev->opened = false;
    }
    Bytes writtenAfter(size_t from) const { return Bytes(dev->written.begin() + long(from), dev->written.end()); }
};

TEST_F(LinkFixture, LoaderLinkConfigurationLogsEveryStepInOrder) {
    LogCapture log;
    ASSERT_EQ(link.port.openLoaderLink("ttyFAKE", 28800), ResultCode::Ok);
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

    // The working speed changes only the line and the flow limits: the Windows driver keeps the rest.
    const WindowsTuning first = dev->configs.back().windows;
    ASSERT_EQ(link.port.setWorkingSpeed(115200), ResultCode::Ok);
    const WindowsTuning& working = dev->configs.back().windows;
    EXPECT_EQ(dev->appliedSettings.back().baud, 115200u);
    EXPECT_NE(working.xonLimit, first.xonLimit);
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
        EXPECT_EQ(link.port.openLoaderLink("ttyFAKE", 28800), code) << int(step);
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
    EXPECT_EQ(link.port.open("nowhere"), ResultCode::CantOpenCom);
    EXPECT_TRUE(log.messages().contains("X:  COM port open failed."));
    EXPECT_EQ(link.port.close(), ResultCode::ComCloseError);  // nothing to close, yet every step runs
    EXPECT_FALSE(link.port.isOpen());
    EXPECT_TRUE(log.messages().contains("Close COM finished"));

    dev->failOpen = false;
    dev->failAt = ConfigureStep::Timeouts;
    EXPECT_EQ(link.port.openLoaderLink("ttyFAKE", 28800), ResultCode::CantSetTimeouts);
    EXPECT_EQ(uploadLoader(link), ResultCode::ComInitFailed);
    link.portName.clear();
    EXPECT_EQ(uploadLoader(link), ResultCode::WrongComSettings);
}

TEST_F(LinkFixture, AtLinkSettings) {
    ASSERT_EQ(link.port.openAtLink("ttyFAKE"), ResultCode::Ok);
    const LineSettings& s = dev->appliedSettings.back();
    EXPECT_EQ(s.baud, 19200u);
    EXPECT_FALSE(s.twoStopBits);
    EXPECT_TRUE(s.dtr);
    EXPECT_TRUE(s.rts);
    const WindowsTuning& w = dev->configs.back().windows;
    EXPECT_FALSE(w.eventMask || w.xonLimit || w.xoffLimit) << "the driver's own are left alone";
}

TEST_F(LinkFixture, WritesStopOnAbortAndTheClockSurvivesATickWrap) {
    ASSERT_EQ(link.port.open("ttyFAKE"), ResultCode::Ok);
    link.task.requestStop();
    const uint8_t b[3] = {1, 2, 3};
    EXPECT_EQ(link.port.writeBytes(b, 3, link.task), 0);
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
    FakeLoader phone(*dev, FakeLoader::Stage::Boot);
    phone.silentGreetings = 2;
    phone.bootAnswer = {0x11, kBootAnswer};  // noise first
    phone.announcement = {0x00, kLoaderAck, 0xA1, 0xA2, 0xA3};
    ASSERT_EQ(uploadLoader(link), ResultCode::Ok);
    const Bytes& out = dev->written;
    const auto header = size_t(std::find_if(out.begin(), out.end(), [](uint8_t b) { return b != 0x45; }) - out.begin());
    ASSERT_GE(header, 3u) << "greeted until the boot code answered";
    EXPECT_EQ(Bytes(out.begin() + long(header), out.begin() + long(header) + 41),
              Bytes(kBootHeader.begin(), kBootHeader.end()));
    EXPECT_EQ(out.size(), header + 41 + 7116 + 1);
    EXPECT_EQ(out.back(), 0x21);
    EXPECT_EQ(dev->pendingInput(), 0u);  // exactly three bytes after the confirmation were taken
}

TEST_F(LinkFixture, LoaderUploadHonoursAbort) {
    link.task.requestStop();
    EXPECT_EQ(uploadLoader(link), ResultCode::Aborted);
    EXPECT_EQ(dev->openCount, 0);

    // Cancel while greeting a silent phone.
    link.task.renewCancel();
    int greetings = 0;
    dev->phone = [&](FakeSerialDevice&, const Bytes&) {
        if (++greetings == 5) link.task.requestStop();
    };
    EXPECT_EQ(uploadLoader(link), ResultCode::Aborted);
}

TEST_F(LinkFixture, SpeedSwitchCodes) {
    // A speed without a code goes out as two padding bytes, which the loader ignores.
    const std::tuple<uint32_t, Bytes, ResultCode> cases[] = {
        {9600, {0x53, 0x00}, ResultCode::Ok},   {19200, {0x53, 0x01}, ResultCode::Ok},
        {38400, {0x53, 0x03}, ResultCode::Ok},  {115200, {0x53, 0x04}, ResultCode::Ok},
        {230400, {0x53, 0x05}, ResultCode::Ok}, {57600, {0x00, 0x00}, ResultCode::NoResponse},
    };
    ASSERT_EQ(link.port.open("ttyFAKE"), ResultCode::Ok);
    FakeLoader phone(*dev);
    for (const auto& [baud, bytes, result] : cases) {
        const size_t from = dev->written.size();
        link.workingSpeed = baud;
        EXPECT_EQ(speedSwitch(link), result) << baud;
        EXPECT_EQ(writtenAfter(from), bytes) << baud;
    }
}

// Each wait for the loader's answer ends after the silence limit of the link's time, not before.
TEST_F(LinkFixture, ASilentLoaderIsGivenUpAfterTheSilenceLimit) {
    ASSERT_EQ(link.port.open("ttyFAKE"), ResultCode::Ok);
    const std::pair<const char*, std::function<Result()>> steps[] = {
        {"speed switch", [&] { return speedSwitch(link); }},
        {"read block", [&] { return readBlock(link, 0x10, block(16)); }},
        {"end of write", [&] { return endOfWrite(link); }},
    };
    link.workingSpeed = 115200;
    for (const auto& [name, step] : steps) {
        const uint32_t from = dev->clockMs;
        EXPECT_EQ(step(), ResultCode::NoResponse) << name;
        EXPECT_GE(dev->clockMs - from, kLoaderSilenceMs) << name;
        EXPECT_LT(dev->clockMs - from, kLoaderSilenceMs + 100) << name;
    }
}

TEST_F(LinkFixture, ReadBlockRequestAndTrailer) {
    ASSERT_EQ(link.port.open("ttyFAKE"), ResultCode::Ok);
    FakeLoader phone(*dev);
    phone.unwritten = 0x77;
    ASSERT_EQ(readBlock(link, 0x01000004, block(16384)), ResultCode::Ok);
    const Bytes expected = {0x52, 0x01, 0x00, 0x00, 0x04, 0x00, 0x00, 0x40, 0x00, 0x21};
    EXPECT_EQ(dev->written, expected);
    EXPECT_EQ(blockBuffer()[16383], 0x77);

    const size_t from = dev->written.size();
    ASSERT_EQ(readBlock(link, 0x10, block(0)), ResultCode::Ok);  // still two trailing bytes, still answered
    EXPECT_EQ(writtenAfter(from).back(), 0x21);
}

TEST_F(LinkFixture, WriteSegmentsChecksumsAndRetries) {
    ASSERT_EQ(link.port.open("ttyFAKE"), ResultCode::Ok);
    EXPECT_EQ(segmentChecksum(65536, 3, Bytes{1, 2, 3}.data()), 0xFFF5);

    FakeLoader phone(*dev);
    blockBuffer()[0] = 1, blockBuffer()[1] = 2, blockBuffer()[2] = 3;
    ASSERT_EQ(writeBlock(link, 65536, block(3)), ResultCode::Ok);
    EXPECT_EQ(dev->written, (Bytes{0x57, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x01, 0x02, 0x03, 0xFF, 0xF5}));

    using Segments = std::vector<std::pair<uint32_t, uint32_t>>;
    phone.segments.clear();
    ASSERT_EQ(writeBlock(link, 32768, block(70000)), ResultCode::Ok);
    EXPECT_EQ(phone.segments, (Segments{{32768, 32768}, {65536, 37232}}));
    phone.segments.clear();
    ASSERT_EQ(writeBlock(link, 131072, block(65536)), ResultCode::Ok);
    EXPECT_EQ(phone.segments.size(), 1u);

    // A refused segment is sent again; refused three times, the write fails, never succeeds.
    phone.segments.clear();
    phone.refusals = 2;
    EXPECT_EQ(writeBlock(link, 0, block(100)), ResultCode::Ok);
    EXPECT_EQ(phone.segments.size(), 3u);
    phone.refusals = 3;
    EXPECT_EQ(writeBlock(link, 0, block(100)), ResultCode::InvalidResponse);
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
