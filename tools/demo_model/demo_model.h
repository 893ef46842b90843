#pragma once
// A synthetic phone model for tests, benchmarks and the demo: a table file without a data file,
// and the flash dump files that the flash dump import cuts the items out of.
#include "base/expected.h"

#include <QString>
#include <cstdint>

namespace qv {

struct DemoModelOptions {
    uint16_t phoneType = 5;
    // Every picture and string slot in use (15,001 each), for benchmarks.
    bool fullTables = false;
    QString baseName = QStringLiteral("demo");
};

struct DemoModel {
    QString tableFile;  // <folder>/<base>.sav
    QString dump1;      // <folder>/<base>_1.bif
    QString dump2;      // <folder>/<base>_2.bif; empty for models with one dump
    // Entries in use in each table (the picture count includes the entry the list never shows).
    int pictures = 0, melodies = 0, operators = 0, strings = 0;
};

// Writes the model into `folder` (created when missing); the same options always give the same
// bytes. A stale data file of the same base name is removed, so the model opens as new.
Expected<DemoModel> makeDemoModel(const QString& folder, const DemoModelOptions& options);

// Address of the 128-byte software version block, and its text. The loader reads the block
// at this address as it stands (item addresses are handed over less 8), so in the flash dump
// the block lies 8 bytes further on. The text starts with "200", which marks a version block
// whose V, P and W fields the program shows.
constexpr uint32_t kDemoVersionAddress = 0x01008000;
constexpr uint32_t kDemoVersionDumpAddress = kDemoVersionAddress + 8;
inline constexpr char kDemoVersionText[] = "200 Quorvanta demo V10a P3 W20";

}  // namespace qv
