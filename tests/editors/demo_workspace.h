#pragma once
// A workspace on the demo model with its data file built from the dumps, and the pair's bytes
// as they were, for tests that check what an edit left on disk.
#include "demo_model/demo_model.h"
#include "editors/item_views.h"
#include "files/flash_dump_source.h"
#include "files/workspace.h"
#include "support/test_support.h"
#include "support/expected_value.h"

#include <gtest/gtest.h>

namespace qvtest {

class DemoWorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto m = qv::makeDemoModel(dir.path("model"), {5, false, "demo"});
        ASSERT_TRUE(m) << m.error().message().toStdString();
        model = *m;
        ASSERT_TRUE(ws.open(model.tableFile).ok());
        ASSERT_TRUE(qv::importFromFlashDumps(ws, model.dump1, model.dump2).ok());
        ASSERT_TRUE(qv::loadOperatorRecords(ws).ok());
        sav = readAll(model.tableFile);
        mem = readAll(qv::ServiceFileNames(model.tableFile).mem);
    }
    bool pairUnchanged() const {
        return readAll(model.tableFile) == sav && readAll(qv::ServiceFileNames(model.tableFile).mem) == mem;
    }
    QByteArray blob(int table, int row) {
        QByteArray b;
        b = qvtest::valueOf(ws.readBlob(table, row));
        return b;
    }

    ScratchDir dir;
    qv::DemoModel model;
    qv::Workspace ws;
    QByteArray sav, mem;  // the pair as built
};

}  // namespace qvtest
