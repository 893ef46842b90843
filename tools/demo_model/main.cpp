// quorvanta-demo-model OUTDIR [--phone-type T] [--full] [--name BASE]
// Writes the demo phone model into OUTDIR and prints what it wrote as one JSON object.
#include "demo_model/demo_model.h"

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
    QString folder;
    qv::DemoModelOptions options;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const bool hasValue = i + 1 < argc;
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            return help();
        } else if (arg == QLatin1String("--full")) {
            options.fullTables = true;
        } else if (arg == QLatin1String("--phone-type") && hasValue) {
            bool ok = false;
            const uint value = QString::fromLocal8Bit(argv[++i]).toUInt(&ok);
            if (!ok || value > 0xFFFF) return usage(QStringLiteral("the phone type must be a number 0..65535"));
            options.phoneType = uint16_t(value);
        } else if (arg == QLatin1String("--name") && hasValue) {
            options.baseName = QString::fromLocal8Bit(argv[++i]);
        } else if (!arg.startsWith(u'-') && folder.isEmpty()) {
            folder = arg;
        } else {
            return usage(QStringLiteral("unexpected argument %1").arg(arg));
        }
    }
    if (folder.isEmpty()) return usage(QStringLiteral("no output folder"));

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
