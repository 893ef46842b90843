#include "emu/engine_harness.h"

#include <gtest/gtest.h>

namespace {

using emutest::EngineHarness;
using emutest::ms;
using qv::emu::PhoneMode;
using qv::emu::PhoneSettings;

TEST(AtFirmware, EchoesEveryByteAndAnswersAfterTheWholeLine) {
    struct Case {
        const char* name;
        QByteArray sent;
        QByteArray answer;  // after the echo
    };
    const Case cases[] = {
        {"version", "AT%SWV\r\r\n", "[V10a]\r\n\r\nOK\r\n"},
        {"model", "AT+CGMM\r\r\n", "QV-100\r\n\r\nOK\r\n"},
        {"lower case", "at+cgmm\r", "QV-100\r\n\r\nOK\r\n"},
        {"keypad without the end key", "AT%FKPD=\"[*\",2,0\r\r\n", "\r\nOK\r\n"},
        {"unknown command", "ATI\r\r\n", "\r\nERROR\r\n"},
        {"bare AT is not special", "AT\r\r\n", "\r\nERROR\r\n"},
        {"blank lines are no commands", "\r\r\n\r", ""},
    };
    for (const Case& c : cases) {
        EngineHarness phone;
        EXPECT_EQ(phone.exchange(c.sent), c.sent + c.answer) << c.name;
        EXPECT_EQ(phone.engine.mode(), PhoneMode::Firmware) << c.name;
    }
}

// The host's bytes may trickle in; the answer must still follow the echo of the trailing CR LF.
TEST(AtFirmware, AnswerWaitsForTrailingLineEndsAndPrecedesTheNextCommand) {
    EngineHarness phone;
    EXPECT_EQ(phone.exchange("AT%SWV\r", ms(1)), "AT%SWV\r");
    EXPECT_EQ(phone.exchange("\r\n"), "\r\n[V10a]\r\n\r\nOK\r\n");

    // A second command arriving before the first was answered gets its turn after the answer.
    EXPECT_EQ(phone.exchange("AT+CGMM\rAT%SWV\r", ms(1000)),
              "AT+CGMM\r" "QV-100\r\n\r\nOK\r\n" "AT%SWV\r" "[V10a]\r\n\r\nOK\r\n");
}

TEST(AtFirmware, EndKeySwitchesThePhoneOffUntilTheBootCodeListens) {
    struct Case {
        const char* name;
        QByteArray command;
    };
    const Case cases[] = {
        {"end key", "AT%FKPD=\"e\",100,0\r\r\n"},
        {"unlock keys, then the end key", "AT%FKPD=\"[*\",2,0%FKPD=\"e\",100,0\r\r\n"},
    };
    for (const Case& c : cases) {
        PhoneSettings settings;
        settings.bootDelay = ms(300);
        EngineHarness phone(settings);
        EXPECT_EQ(phone.exchange(c.command, ms(10)), c.command + "\r\nOK\r\n") << c.name;
        EXPECT_EQ(phone.engine.mode(), PhoneMode::Off) << c.name;
        // Greetings and commands while it is off go unheard.
        EXPECT_EQ(phone.exchange("EEEAT%SWV\r", ms(100)), "") << c.name;
        phone.wait(ms(200));
        EXPECT_EQ(phone.engine.mode(), PhoneMode::BootCode) << c.name;
        EXPECT_EQ(phone.engine.baud(), 28800u) << c.name;
        EXPECT_EQ(phone.exchange("E"), "C") << c.name;
    }
}

TEST(AtFirmware, FaultsMakeItDeafOrRefuseEverything) {
    PhoneSettings silent;
    silent.faults.atSilent = true;
    EngineHarness deaf(silent);
    EXPECT_EQ(deaf.exchange("AT%SWV\r\r\nAT%FKPD=\"e\",100,0\r\r\n"), "");
    EXPECT_EQ(deaf.engine.mode(), PhoneMode::Firmware);

    PhoneSettings error;
    error.faults.atError = true;
    EngineHarness refusing(error);
    EXPECT_EQ(refusing.exchange("AT%SWV\r\r\n"), "AT%SWV\r\r\n\r\nERROR\r\n");
    EXPECT_EQ(refusing.exchange("AT%FKPD=\"e\",100,0\r\r\n"), "AT%FKPD=\"e\",100,0\r\r\n\r\nERROR\r\n");
    EXPECT_EQ(refusing.engine.mode(), PhoneMode::Firmware);
}

}  // namespace
