#pragma once
// Command-line words of one command: positional arguments, "--name value" options and flags.
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace qv::cli {

// Wrong usage: exit code 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// The operation failed: exit code 1, one line on stderr.
struct Failure : std::runtime_error {
    explicit Failure(const QString& message) : std::runtime_error(message.toStdString()) {}
};

class Args {
public:
    // `valued` names the options that take a value, `flags` those that do not. A wrong command
    // line is a UsageError, unless it has --help (a flag), which answers a wrong one too.
    Args(const QStringList& words, const QSet<QString>& valued, const QSet<QString>& flags);

    const QStringList& positional() const { return positional_; }
    QString positional(int i) const;
    void requireCount(int min, int max) const;
    bool flag(const QString& name) const { return flags_.contains(name); }
    bool has(const QString& name) const { return values_.contains(name); }
    QString value(const QString& name, const QString& fallback = {}) const { return values_.value(name, fallback); }
    // A whole number; `name` is for the usage message.
    static long long toNumber(const QString& text, const QString& name);
    long long number(const QString& name) const;

private:
    QStringList positional_;
    QMap<QString, QString> values_;
    QSet<QString> flags_;
};

}  // namespace qv::cli
