// import-picture, export-melody, import-melody, set-operator, set-string, set-melody-name, delete.
#include "base/cp1251.h"
#include "cli/cli_command.h"
#include "editors/edit_operations.h"
#include "editors/item_views.h"
#include "files/workspace.h"

#include <QJsonArray>
#include <QJsonObject>

namespace qv::cli {
namespace {

// cp1251 bytes of a text typed on the command line ("¶" is the phone's line break).
QByteArray phoneText(const QString& text, const char* what) {
    for (QChar c : text)
        if (charToCp1251(c) < 0)
            throw Failure(QStringLiteral("The %1 holds a character the phone cannot show: %2").arg(what).arg(c));
    return toCp1251(text);
}

// An import that was not refused stored its item (or found it there already) and ticked the row.
QJsonObject stored(const Result& imported) {
    if (!imported) throw Failure(imported.message());
    return QJsonObject{{"stored", true}, {"ticked", true}};
}

QJsonValue importPictureCmd(const Args& a) {
    a.requireCount(3, 3);
    Workspace ws;
    const auto lock = openServiceFileToChange(ws, a.positional(0), true);
    const int row = rowIndex(a.positional(1), ws.rowCount(ListKind::Pictures));
    return stored(importPicture(ws, row, a.positional(2)));
}

QJsonValue exportMelodyCmd(const Args& a) {
    a.requireCount(3, 3);
    Workspace ws;
    openServiceFile(ws, a.positional(0), true);
    const int row = rowIndex(a.positional(1), ws.rowCount(ListKind::Melodies));
    if (Result s = exportMelody(ws, row, a.positional(2)); !s) throw Failure(s.message());
    return QJsonObject{{"written", a.positional(2)}, {"size", double(ws.image().melodies[size_t(row)].size)}};
}

QJsonValue importMelodyCmd(const Args& a) {
    a.requireCount(3, 3);
    Workspace ws;
    const auto lock = openServiceFileToChange(ws, a.positional(0), true);
    const int row = rowIndex(a.positional(1), ws.rowCount(ListKind::Melodies));
    const auto imported = importMelody(ws, row, a.positional(2));
    return stored(imported ? Result() : imported.error());
}

QJsonValue setOperatorCmd(const Args& a) {
    a.requireCount(2, 2);
    Workspace ws;
    const auto lock = openServiceFileToChange(ws, a.positional(0), true);
    if (Result s = loadOperatorRecords(ws); !s) throw Failure(s.message());
    const int row = rowIndex(a.positional(1), ws.rowCount(ListKind::Operators));
    const OperRecord& r = ws.image().operRecords[size_t(row)];
    auto current = [](const auto& field) { return QByteArray(reinterpret_cast<const char*>(field.data()), int(field.size())).split('\0').first(); };
    const QString code = a.value("code", QString::number(r.code1 & 0xFF, 16));
    const QByteArray n1 = a.has("name1") ? phoneText(a.value("name1"), "name") : current(r.name1);
    const QByteArray n2 = a.has("name2") ? phoneText(a.value("name2"), "name") : current(r.name2);
    const QByteArray n3 = a.has("name3") ? phoneText(a.value("name3"), "name") : current(r.name3);
    if (Result s = applyOperator(ws, row, code, n1, n2, n3); !s) throw Failure(s.message());
    const OperRecord& after = ws.image().operRecords[size_t(row)];
    return QJsonObject{{"index", row}, {"code1", after.code1}};
}

QJsonValue setStringCmd(const Args& a) {
    a.requireCount(3, 3);
    Workspace ws;
    const auto lock = openServiceFileToChange(ws, a.positional(0), true);
    const int row = rowIndex(a.positional(1), ws.rowCount(ListKind::Strings));
    const int page = a.has("page") ? int(a.number("page")) : ws.image().strings[size_t(row)].fontAttribute;
    CharMapCoding coding;
    coding.rebuild(ws.image().charMap);
    if (Result s = applyString(ws, coding, row, phoneText(a.positional(2), "text"), page); !s) throw Failure(s.message());
    return QJsonObject{{"index", row}, {"fontAttribute", page}};
}

QJsonValue setMelodyNameCmd(const Args& a) {
    a.requireCount(3, 3);
    Workspace ws;
    const auto lock = openServiceFileToChange(ws, a.positional(0), true);
    const int row = rowIndex(a.positional(1), ws.rowCount(ListKind::Melodies));
    std::optional<int> stringRow;
    if (a.positional(2) != "none") stringRow = rowIndex(a.positional(2), ws.rowCount(ListKind::Strings));
    if (Result s = setMelodyName(ws, row, stringRow); !s) throw Failure(s.message());
    return QJsonObject{{"index", row}, {"nameString", ws.image().melodies[size_t(row)].nameString}};
}

QJsonValue deleteCmd(const Args& a) {
    a.requireCount(3, -1);
    const std::optional<ListKind> kind = listNamed(a.positional(0));
    if (!kind) throw UsageError("KIND must be pictures, melodies, operators or strings");
    Workspace ws;
    const auto lock = openServiceFileToChange(ws, a.positional(1), true);
    if (*kind == ListKind::Operators)
        if (Result s = loadOperatorRecords(ws); !s) throw Failure(s.message());
    std::vector<int> rows;
    for (int i = 2; i < a.positional().size(); ++i) rows.push_back(rowIndex(a.positional(i), ws.rowCount(*kind)));
    if (Result s = deleteRows(ws, *kind, rows); !s) throw Failure(s.message());
    return QJsonObject{{"deleted", int(rows.size())}, {"rows", ws.rowCount(*kind)}};
}

}  // namespace

std::vector<Command> editCommands() {
    return {
        {"import-picture", "FILE.sav INDEX IN.bmp|IN.png",
         "Replaces a picture in the data file as the import button does (BMP, PNG or any image Qt reads).", {}, {},
         importPictureCmd},
        {"export-melody", "FILE.sav INDEX OUT", "Writes the melody's whole slot to OUT.", {}, {}, exportMelodyCmd},
        {"import-melody", "FILE.sav INDEX IN", "Replaces a melody as the import does and remembers IN in the .mru file.", {},
         {}, importMelodyCmd},
        {"set-operator", "FILE.sav INDEX [--code HH] [--name1 T] [--name2 T] [--name3 T]",
         "Applies an operator edit as the Confirmation button does; options left out keep the current value.",
         {"code", "name1", "name2", "name3"}, {}, setOperatorCmd},
        {"set-string", "FILE.sav INDEX TEXT [--page N]",
         "Applies a string edit as the Apply button does (padding, encoding, save); ¶ is the line break.", {"page"}, {},
         setStringCmd},
        {"set-melody-name", "FILE.sav INDEX ROW|none", "Names a melody by a string row (or none) and saves.", {}, {},
         setMelodyNameCmd},
        {"delete", "KIND FILE.sav INDEX...", "Deletes rows of a list as the Delete key does, then saves.", {}, {}, deleteCmd},
    };
}

}  // namespace qv::cli
