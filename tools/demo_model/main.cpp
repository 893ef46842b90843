// quorvanta-demo-model OUTDIR [--phone-type T] [--full] [--name BASE]
// Writes the demo phone model into OUTDIR and prints what it wrote as one JSON object.
#include "base/command_line.h"
#include "demo_model/demo_model.h"

#include <QCommandLineParser>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <cstdio>

namespace {

constexpr const char* kUsage = "quorvanta-demo-model OUTDIR [--phone-type T] [--full] [--name BASE]";

int usage(const QString& why) {
    std::fprintf(stderr, "%s (usage: %s)\n", qPrintable(why), kUsage);
    return 1;
}

int help() {
    std::printf("Usage: %s\n"
                "Writes a synthetic phone model into OUTDIR: its table file BASE.sav and its flash\n"
                "dumps BASE_1.bif (and BASE_2.bif when it needs two), and prints what it wrote as\n"
                "one JSON object.\n"
                "  --phone-type T  the model's phone type (default 5)\n"
                "  --full          every picture and string slot in use\n"
                "  --name BASE     the base name of the files (default demo)\n",
                kUsage);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QStringList words;
    for (int i = 1; i < argc; ++i) words << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.addOptions({{"help", {}}, {"full", {}}, {"phone-type", {}, "T"}, {"name", {}, "BASE"}});
    const bool fine = qv::parseWords(parser, words);
    const QStringList rest = qv::plain(parser.positionalArguments());
    // -h, a word with a single dash, comes as an argument.
    if (parser.isSet("help") || rest.contains(QStringLiteral("-h"))) return help();
    if (!fine) return usage(QStringLiteral("unexpected argument %1").arg(qv::mistakeOf(parser, words).word));
    for (int i = 0; i < rest.size(); ++i)  // one folder, and no name that starts like an option
        if (i > 0 || rest[i].startsWith(u'-')) return usage(QStringLiteral("unexpected argument %1").arg(rest[i]));
    if (rest.isEmpty()) return usage(QStringLiteral("no output folder"));
    const QString folder = rest.first();
    qv::DemoModelOptions options;
    options.fullTables = parser.isSet("full");
    for (const QString& text : qv::plain(parser.values("phone-type"))) {
        bool ok = false;
        const uint value = text.toUInt(&ok);
        if (!ok || value > 0xFFFF) return usage(QStringLiteral("the phone type must be a number 0..65535"));
        options.phoneType = uint16_t(value);
    }
    if (const QStringList names = qv::plain(parser.values("name")); !names.isEmpty()) options.baseName = names.last();

    const auto model = qv::makeDemoModel(folder, options);
    if (!model) {
        std::fprintf(stderr, "quorvanta-demo-model: %s\n", qPrintable(model.error().message()));
        return 1;
    }
    const QJsonObject json{
        {QStringLiteral("tableFile"), model->tableFile}, {QStringLiteral("dump1"), model->dump1},
        {QStringLiteral("dump2"), model->dump2},         {QStringLiteral("pictures"), model->pictures},
        {QStringLiteral("melodies"), model->melodies},   {QStringLiteral("operators"), model->operators},
        {QStringLiteral("strings"), model->strings},
    };
    std::fputs(QJsonDocument(json).toJson(QJsonDocument::Compact).constData(), stdout);
    std::fputs("\n", stdout);
    return 0;
}
