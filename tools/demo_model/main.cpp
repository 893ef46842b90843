// quorvanta-demo-model OUTDIR [--phone-type T] [--full] [--name BASE]
// Writes the demo phone model into OUTDIR and prints what it wrote as one JSON object.
#include "demo_model/demo_model.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <cstdio>

namespace {

int usage(const QString& why) {
    std::fprintf(stderr, "%s (usage: quorvanta-demo-model OUTDIR [--phone-type T] [--full] [--name BASE])\n",
                 qPrintable(why));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    QString folder;
    qv::DemoModelOptions options;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const bool hasValue = i + 1 < argc;
        if (arg == QLatin1String("--full")) {
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

    QString error;
    const auto model = qv::makeDemoModel(folder, options, &error);
    if (!model) {
        std::fprintf(stderr, "quorvanta-demo-model: %s\n", qPrintable(error));
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
