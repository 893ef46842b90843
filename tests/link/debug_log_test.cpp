#include "link/debug_log.h"

#include "support/test_support.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <gtest/gtest.h>

namespace {

#ifdef Q_OS_WIN
const QByteArray kEol = "\r\n";
#else
const QByteArray kEol = "\n";
#endif

// The log goes to the current directory; each test runs in a scratch one and puts the old
// directory and switch back.
class DebugLog : public ::testing::Test {
protected:
    void SetUp() override {
        oldDir_ = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(scratch_.path()));
    }
    void TearDown() override {
        qv::setDebugLogEnabled(false);
        qv::setLogFailureHandler({});
        QDir::setCurrent(oldDir_);
    }
    QString logPath() const { return scratch_.path("rozezu.log"); }

    static QByteArray stamp() {
        const QDateTime now = QDateTime::currentDateTime();
        const QLocale l = QLocale::system();
        return (l.toString(now.date(), QLocale::ShortFormat) + ' ' + l.toString(now.time(), QLocale::LongFormat))
            .toLocal8Bit();
    }

    qvtest::ScratchDir scratch_;
    QString oldDir_;
};

TEST_F(DebugLog, SwitchOffTouchesNothing) {
    EXPECT_FALSE(qv::debugLogEnabled()) << "off when the process starts";
    qv::writeLog(QStringLiteral("Open port"));
    EXPECT_FALSE(QFile::exists(logPath()));
}

TEST_F(DebugLog, LinesAreAppendedWithDateTime) {
    qv::setDebugLogEnabled(true);
    const QByteArray before = stamp();
    qv::writeLog(QStringLiteral("OK: Open port"));
    const QByteArray after = stamp();
    ASSERT_TRUE(QFile::exists(logPath()));

    const QByteArray first = qvtest::readAll(logPath());
    EXPECT_TRUE(first == before + ": OK: Open port" + kEol || first == after + ": OK: Open port" + kEol) << first.data();

    qv::writeLog(QString::fromUtf8("   X: Порт ¶"));
    const QByteArray both = qvtest::readAll(logPath());
    ASSERT_TRUE(both.startsWith(first));
    EXPECT_TRUE(both.endsWith(QByteArray(": ") + "   X: \xCF\xEE\xF0\xF2 \xB6" + kEol)) << "cp1251 bytes";
    EXPECT_EQ(both.count(kEol), 2);
}

TEST_F(DebugLog, UnopenableFileReportsTheMessage) {
    ASSERT_TRUE(QDir().mkdir(logPath()));  // a folder in its place stops even root
    QString text, caption;
    bool isError = true;
    int calls = 0;
    qv::setLogFailureHandler([&](const QString& t, const QString& c, bool e) {
        text = t, caption = c, isError = e, ++calls;
    });
    qv::setDebugLogEnabled(true);
    qv::writeLog(QStringLiteral("Sending loader"));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(text, "Sending loader");
    EXPECT_EQ(caption, "Debug");
    EXPECT_FALSE(isError);
}

}  // namespace
