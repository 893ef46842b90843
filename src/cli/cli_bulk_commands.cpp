// export-strings, import-strings, export-pictures, import-pictures, export-melodies, import-melodies.
#include "cli/cli_command.h"
#include "editors/bulk_operations.h"
#include "files/workspace.h"

#include <QJsonArray>
#include <QJsonObject>

namespace qv::cli {
namespace {

QJsonArray rowArray(const std::vector<int>& rows) {
    QJsonArray out;
    for (int r : rows) out.append(r);
    return out;
}

QJsonObject exported(const BulkResult& r, const QString& to) {
    if (!r.status) throw Failure(r.status.message());
    return QJsonObject{{"written", to}, {"rows", int(r.rows.size())}};
}

// Lists every refused item on stderr. When something was refused the command fails after
// printing what it changed (with --skip-invalid) or saying that nothing changed.
QJsonValue imported(const BulkResult& r, ListKind kind, const Workspace& ws, const QString& from, bool skipInvalid) {
    for (const QString& line : problemLines(r.problems)) printMessage(line);
    if (!r.status) throw Failure(r.status.message());
    QJsonArray changed;
    for (size_t k = 0; k < r.rows.size(); ++k) changed.append(QJsonObject{{"index", r.rows[k]}, {"file", r.files[k]}});
    QJsonObject out{{"from", from}, {"changed", changed}, {"unchanged", r.unchanged}};
    if (kind == ListKind::Strings) out["fuzzy"] = rowArray(r.fuzzy);
    if (!r.rows.empty()) {
        const ServiceFileNames n = ws.names();
        out["tableFile"] = n.sav;
        out["dataFile"] = n.mem;
    }
    if (r.problems.empty() && r.afterwards) return out;
    const qint64 refused = r.problems.total();
    if (!skipInvalid && r.rows.empty()) throw Failure(QStringLiteral("%1 item(s) refused; nothing was changed").arg(refused));
    printJson(out);
    QString summary = refused > 0 ? QStringLiteral("%1 item(s) refused; %2 row(s) changed").arg(refused).arg(r.rows.size())
                                  : QStringLiteral("%1 row(s) changed").arg(r.rows.size());
    if (!r.afterwards) summary += QStringLiteral(", but ") + r.afterwards.message();
    throw Failure(summary);
}

BulkMode modeOf(const Args& a) { return a.flag("skip-invalid") ? BulkMode::SkipInvalid : BulkMode::AllOrNothing; }

QJsonValue exportStringsCmd(const Args& a) {
    a.requireCount(2, 2);
    Workspace ws;
    openServiceFile(ws, a.positional(0), true);
    return exported(exportStrings(ws, a.positional(1), a.value("language")), a.positional(1));
}

QJsonValue importStringsCmd(const Args& a) {
    a.requireCount(2, 2);
    Workspace ws;
    const auto lock = openServiceFileToChange(ws, a.positional(0), true);
    return imported(importStrings(ws, a.positional(1), modeOf(a)), ListKind::Strings, ws, a.positional(1),
                    a.flag("skip-invalid"));
}

QJsonValue exportPicturesCmd(const Args& a) {
    a.requireCount(2, 2);
    const QString format = a.value("format", "png");
    if (format != "png" && format != "bmp") throw UsageError("--format must be png or bmp");
    Workspace ws;
    openServiceFile(ws, a.positional(0), true);
    return exported(exportPictures(ws, a.positional(1), format == "png" ? PictureFileType::Png : PictureFileType::Bmp),
                    a.positional(1));
}

QJsonValue importPicturesCmd(const Args& a) {
    a.requireCount(2, 2);
    Workspace ws;
    const auto lock = openServiceFileToChange(ws, a.positional(0), true);
    return imported(importPictures(ws, a.positional(1), modeOf(a)), ListKind::Pictures, ws, a.positional(1),
                    a.flag("skip-invalid"));
}

QJsonValue exportMelodiesCmd(const Args& a) {
    a.requireCount(2, 2);
    Workspace ws;
    openServiceFile(ws, a.positional(0), true);
    return exported(exportMelodies(ws, a.positional(1)), a.positional(1));
}

QJsonValue importMelodiesCmd(const Args& a) {
    a.requireCount(2, 2);
    Workspace ws;
    const auto lock = openServiceFileToChange(ws, a.positional(0), true);
    return imported(importMelodies(ws, a.positional(1), modeOf(a)), ListKind::Melodies, ws, a.positional(1),
                    a.flag("skip-invalid"));
}

}  // namespace

std::vector<Command> bulkCommands() {
    const QSet<QString> skip = {"skip-invalid"};
    return {
        {"export-strings", "FILE.sav OUT.po [--language LL]",
         "Writes every string row as a gettext PO entry (msgctxt the row, msgid the text, \\n for the line break).",
         {"language"}, {}, exportStringsCmd},
        {"import-strings", "FILE.sav IN.po [--skip-invalid]",
         "Applies every translated entry of a PO file and saves once; refused entries are listed on stderr and "
         "change nothing unless --skip-invalid applies the rest.",
         {}, skip, importStringsCmd},
        {"export-pictures", "FILE.sav DIR [--format png|bmp]",
         "Writes every picture as DIR/NNNNN_WxH.png (or .bmp) in its own pixel depth.", {"format"}, {}, exportPicturesCmd},
        {"import-pictures", "FILE.sav DIR [--skip-invalid]",
         "Imports every file of DIR whose name begins with a picture row and whose content differs; all or nothing "
         "unless --skip-invalid; saves once.",
         {}, skip, importPicturesCmd},
        {"export-melodies", "FILE.sav DIR", "Writes every melody's slot as DIR/NNNNN_NAME.mmf (.dxm on DXM models).", {},
         {}, exportMelodiesCmd},
        {"import-melodies", "FILE.sav DIR [--skip-invalid]",
         "Imports every file of DIR whose name begins with a melody row and whose bytes differ; all or nothing unless "
         "--skip-invalid; saves once.",
         {}, skip, importMelodiesCmd},
    };
}

}  // namespace qv::cli
