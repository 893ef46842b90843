// show, list, save and build-from-dumps.
#include "base/cp1251.h"
#include "cli/cli_command.h"
#include "editors/char_map_coding.h"
#include "editors/item_views.h"
#include "editors/list_texts.h"
#include "files/flash_dump_source.h"
#include "files/workspace.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

namespace qv::cli {
namespace {

QJsonValue show(const Args& a) {
    a.requireCount(1, 1);
    Workspace ws;
    openServiceFile(ws, a.positional(0), false);
    const TableDirectory& s = ws.image().directory;
    QJsonObject tables;
    for (int id = 1; id <= 9; ++id) {
        const DirectoryEntry& e = s.entries[size_t(id)];
        tables[QString::number(id)] = QJsonObject{{"present", e.present}, {"offset", double(e.offset)},
                                                  {"count", double(e.count)}, {"zsize", double(e.zsize)}};
    }
    return QJsonObject{{"phoneType", s.phoneType},
                       {"versionAddress", double(s.versionAddress)},
                       {"dataFile", ws.hasDataFile()},
                       {"tables", tables}};
}

QJsonArray listPictures(Workspace& ws) {
    QJsonArray rows;
    for (int i = 0; i < ws.rowCount(ListKind::Pictures); ++i) {
        const PictEntry& e = ws.image().pictures[size_t(i)];
        rows.append(QJsonObject{{"index", i}, {"width", e.width}, {"height", e.height}, {"format", e.format},
                                {"variant", e.variant}, {"address", double(e.address)}, {"size", double(e.size)},
                                {"memOffset", double(e.memOffset)}, {"text", pictureRowText(e)}});
    }
    return rows;
}

QJsonArray listMelodies(Workspace& ws) {
    QJsonArray rows;
    const int n = ws.loadedTables().test(kMelodyTable) ? int(ws.image().count(kMelodyTable)) : 0;
    for (int i = 0; i < n; ++i) {
        const MelEntry& e = ws.image().melodies[size_t(i)];
        rows.append(QJsonObject{{"index", i}, {"nameString", e.nameString}, {"address", double(e.address)},
                                {"size", double(e.size)}, {"name", fromCp1251(melodyName(e))},
                                {"memOffset", double(e.memOffset)}, {"text", melodyRowText(i, e)}});
    }
    return rows;
}

QJsonArray listOperators(Workspace& ws) {
    if (Result s = loadOperatorRecords(ws); !s) throw Failure(s.message());
    QJsonArray rows;
    for (int i = 0; i < ws.rowCount(ListKind::Operators); ++i) {
        const OperEntry& e = ws.image().operators[size_t(i)];
        const OperRecord& r = ws.image().operRecords[size_t(i)];
        auto name = [](const auto& field) { return fromCp1251(nameUpToZero(field.data(), field.size())); };
        rows.append(QJsonObject{{"index", i}, {"address", double(e.address)}, {"storedLength", double(e.storedLength)},
                                {"memOffset", double(e.memOffset)}, {"code0", r.code0}, {"code1", r.code1},
                                {"name1", name(r.name1)}, {"name2", name(r.name2)}, {"name3", name(r.name3)},
                                {"text", operatorRowText(r)}});
    }
    return rows;
}

QJsonArray listStrings(Workspace& ws) {
    CharMapCoding coding;
    coding.rebuild(ws.image().charMap);
    QJsonArray rows;
    for (int i = 0; i < ws.rowCount(ListKind::Strings); ++i) {
        const auto text = stringOfRow(ws, coding, i);
        if (!text) throw Failure(text.error().message());
        const StrEntry& e = ws.image().strings[size_t(i)];
        rows.append(QJsonObject{{"index", i}, {"id", e.id}, {"fontAttribute", e.fontAttribute}, {"length", e.length},
                                {"address", double(e.address)}, {"memOffset", double(e.memOffset)},
                                {"size", e.size}, {"text", fromCp1251(*text)}});
    }
    return rows;
}

QJsonValue list(const Args& a) {
    a.requireCount(2, 2);
    const std::optional<ListKind> kind = listNamed(a.positional(0));
    if (!kind) throw UsageError("KIND must be pictures, melodies, operators or strings");
    Workspace ws;
    openServiceFile(ws, a.positional(1), *kind != ListKind::Melodies);
    switch (*kind) {
    case ListKind::Pictures: return listPictures(ws);
    case ListKind::Melodies: return listMelodies(ws);
    case ListKind::Operators: return listOperators(ws);
    case ListKind::Strings: return listStrings(ws);
    }
    return {};
}

QJsonObject written(const Workspace& ws) {
    const ServiceFileNames n = ws.names();
    return QJsonObject{{"tableFile", n.sav}, {"dataFile", n.mem}};
}

QJsonValue save(const Args& a) {
    a.requireCount(1, 1);
    Workspace ws;
    const auto lock = openServiceFileToChange(ws, a.positional(0), true);
    if (Result s = ws.save(); !s) throw Failure(s.message());
    return written(ws);
}

QJsonValue buildFromDumps(const Args& a) {
    a.requireCount(2, 3);
    Workspace ws;
    const auto lock = openServiceFileToChange(ws, a.positional(0), false);
    if (ws.image().needsSecondDump() && a.positional().size() < 3)
        throw Failure(QStringLiteral("Phone type %1 needs a second flash dump (DUMP2)").arg(ws.image().directory.phoneType));
    if (Result s = importFromFlashDumps(ws, a.positional(1), a.positional(2)); !s) throw Failure(s.message());
    QJsonObject out = written(ws);
    for (ListKind kind : kListKinds) out[listName(kind)] = ws.rowCount(kind);
    return out;
}

}  // namespace

std::vector<Command> serviceFileCommands() {
    return {
        {"show", "FILE.sav", "Prints the table directory of a service file.", {}, {}, show},
        {"list", "KIND FILE.sav",
         "Lists the rows of one list (pictures, melodies, operators or strings) as the window shows them.", {}, {}, list},
        {"save", "FILE.sav", "Rewrites the service file as the save button does.", {}, {}, save},
        {"build-from-dumps", "FILE.sav DUMP1 [DUMP2]",
         "Builds the data file (and rewrites the table file) from flash dump files.", {}, {}, buildFromDumps},
    };
}

void openServiceFile(Workspace& workspace, const QString& path, bool needData) {
    if (!QFileInfo::exists(path)) throw Failure(QStringLiteral("Can not open %1: no such file").arg(path));
    if (Result s = workspace.open(path); !s) throw Failure(s.message());
    if (needData && !workspace.hasDataFile())
        throw Failure(QStringLiteral("%1 has no data file; build it with phone read or build-from-dumps")
                          .arg(QFileInfo(path).fileName()));
}

std::unique_ptr<PairLockGuard> openServiceFileToChange(Workspace& workspace, const QString& path, bool needData) {
    auto lock = workspace.lockPair(path);
    if (!lock->status()) throw Failure(lock->status().message());
    openServiceFile(workspace, path, needData);
    return lock;
}

int rowIndex(const QString& text, int rows) {
    const long long i = Args::toNumber(text, "INDEX");
    if (i < 0 || i >= rows) throw Failure(QStringLiteral("Row %1 is outside the list (%2 rows)").arg(text).arg(rows));
    return int(i);
}

}  // namespace qv::cli
