#include "cli/cli_args.h"

namespace qv::cli {

Args::Args(const QStringList& words, const QSet<QString>& valued, const QSet<QString>& flags) {
    for (int i = 0; i < words.size(); ++i) {
        const QString& w = words[i];
        if (!w.startsWith("--") || w == "--") {
            positional_ << w;
            continue;
        }
        const QString name = w.mid(2);
        if (flags.contains(name)) {
            flags_.insert(name);
        } else if (valued.contains(name)) {
            if (i + 1 >= words.size()) throw UsageError(("option " + w + " needs a value").toStdString());
            values_[name] = words[++i];
        } else {
            throw UsageError(("unknown option " + w).toStdString());
        }
    }
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
