#include "emu/engine_harness.h"
#include "phone_emu/stand_in_loader.h"

#include <gtest/gtest.h>

namespace {

using emutest::EngineHarness;
using emutest::ms;
using qv::emu::PhoneMode;
using qv::emu::PhoneSettings;

QByteArray header() {
    const auto& h = qv::kBootHeader;
    return QByteArray(reinterpret_cast<const char*>(h.data()), h.size());
}

// The header's last four bytes carry the image length.
TEST(BootCode, TheHeaderAnnouncesTheLoaderImagesLength) {
    const auto& h = qv::kBootHeader;
    EXPECT_EQ(uint32_t(h[37] << 24 | h[38] << 16 | h[39] << 8 | h[40]), uint32_t(qv::kLoaderImageSize));
}

TEST(BootCode, TakesTheLoaderAndAnnouncesItAfterTheStartDelay) {
    PhoneSettings settings;
    settings.startDelay = ms(30);
    EngineHarness phone(settings);
    phone.pressEndKey();
    EXPECT_EQ(phone.exchange("x"), "") << "only a greeting is answered";
    EXPECT_EQ(phone.exchange("E"), "C");
    // Greetings the host sent before it saw the answer are answered, not taken for the header.
    EXPECT_EQ(phone.exchange("EE" + header() + qv::emu::standInLoaderImage(), ms(29)), "CC");
    EXPECT_EQ(phone.exchange("", ms(1)), QByteArray("!\x01\x02\x03", 4));
    EXPECT_EQ(phone.engine.mode(), PhoneMode::BootCode) << "not running before the host confirms";
    EXPECT_EQ(phone.exchange("\x55"), "") << "anything but '!' is no confirmation";
    EXPECT_EQ(phone.engine.mode(), PhoneMode::BootCode);
    EXPECT_EQ(phone.exchange("!"), "");
    EXPECT_EQ(phone.engine.mode(), PhoneMode::Loader);
    EXPECT_EQ(phone.engine.baud(), 28800u);
}

TEST(BootCode, WrongHeaderOrImageSendsItBackToTheGreeting) {
    QByteArray badHeader = header();
    badHeader[20] = char(0x09);
    QByteArray badFirst = header();
    badFirst[0] = 'x';
    QByteArray badImage = qv::emu::standInLoaderImage();
    badImage[badImage.size() - 1] = char(badImage.back() ^ 1);
    struct Case {
        const char* name;
        QByteArray upload;
    };
    const Case cases[] = {
        {"one header byte wrong", badHeader},
        {"junk instead of the lead byte", badFirst},
        {"last image byte wrong", header() + badImage},
        {"image one byte short, then a greeting completes it", header() + qv::emu::standInLoaderImage().chopped(1) + "E"},
    };
    for (const Case& c : cases) {
        EngineHarness phone;
        phone.pressEndKey();
        ASSERT_EQ(phone.exchange("E"), "C");
        EXPECT_EQ(phone.exchange(c.upload), "") << c.name << ": no announcement";
        EXPECT_EQ(phone.exchange("E"), "C") << c.name << ": greeting answered again";
        EXPECT_EQ(phone.exchange(header() + qv::emu::standInLoaderImage()), QByteArray("!\x01\x02\x03", 4)) << c.name;
    }
}

// After a wrong header the image is read as greetings and header attempts; a host that keeps
// greeting must still get an answer and a fresh upload through.
TEST(BootCode, KeepsAnsweringAHostThatGreetsAfterAGarbledUpload) {
    QByteArray badHeader = header();
    badHeader[1] = 0;
    EngineHarness phone;
    phone.pressEndKey();
    ASSERT_EQ(phone.exchange("E"), "C");
    EXPECT_FALSE(phone.exchange(badHeader + qv::emu::standInLoaderImage()).contains('!'));
    int greetings = 0;
    while (phone.exchange("E", emutest::ms(12)) != "C" && greetings < 100) ++greetings;
    EXPECT_LE(greetings, int(qv::kBootHeader.size()));
    EXPECT_EQ(phone.exchange(header() + qv::emu::standInLoaderImage()), QByteArray("!\x01\x02\x03", 4));
}

}  // namespace
