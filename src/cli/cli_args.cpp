#include "cli/cli_args.h"

#include "base/command_line.h"

namespace qv::cli {

Args::Args(const QStringList& words, const QSet<QString>& valued, const QSet<QString>& flags) {
    QCommandLineParser parser;
    for (const QString& name : valued) parser.addOption({name, {}, name});
    for (const QString& name : flags) parser.addOption({name, {}});
    const bool fine = parseWords(parser, words);
    for (const QString& name : valued)
        if (const QStringList v = parser.values(name); !v.isEmpty()) values_[name] = plain(v.last());
    for (const QString& name : flags)
        if (parser.isSet(name)) flags_.insert(name);
    positional_ = plain(parser.positionalArguments());
    if (fine || flag("help")) return;
    const CommandLineMistake mistake = mistakeOf(parser, words);
    if (mistake.kind == CommandLineMistake::MissingValue)
        throw UsageError(("option " + mistake.word + " needs a value").toStdString());
    throw UsageError(("unknown option " + mistake.word).toStdString());
}

QString Args::positional(int i) const { return i < positional_.size() ? positional_[i] : QString(); }

void Args::requireCount(int min, int max) const {
    if (positional_.size() < min) throw UsageError("missing arguments");
    if (max >= 0 && positional_.size() > max) throw UsageError("too many arguments");
}

long long Args::toNumber(const QString& text, const QString& name) {
    bool ok = false;
    const long long v = text.toLongLong(&ok, 0);
    if (!ok) throw UsageError((name + " must be a number, not '" + text + "'").toStdString());
    return v;
}

long long Args::number(const QString& name) const {
    if (!has(name)) throw UsageError(("--" + name + " is required").toStdString());
    return toNumber(value(name), "--" + name);
}

}  // namespace qv::cli
