#pragma once
// What the main window's tests share: dialogs answered from a script, and a window over a
// demo model in a scratch folder.
#include "app/main_window.h"
#include "app/melody_panel.h"
#include "app/operator_panel.h"
#include "app/picture_panel.h"
#include "app/restore_panel.h"
#include "app/string_panel.h"
#include "demo_model/demo_model.h"
#include "support/test_support.h"

#include <QApplication>
#include <QFile>
#include <QListView>
#include <deque>
#include <gtest/gtest.h>

namespace qvtest {

class ScriptedDialogs final : public qv::DialogService {
public:
    std::deque<QString> files, saveFiles;
    std::deque<bool> answers;
    int dataSource = 1;  // -1: CreateMEM cancelled
    int sourceQuestions = 0;
    QStringList titles, filters, messages, suggested, warnings;

    bool askYesNo(const QString& text, const QString&) override {
        messages << text;
        if (answers.empty()) return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void showMessage(const QString& text, const QString&) override { messages << text; }
    void showError(const QString& text, const QString&) override { messages << text; }
    void showWarning(const QString& text, const QString&) override { messages << text, warnings << text; }
    QString chooseOpenFile(const QString& title, const QString& filter, const QString&) override {
        titles << title;
        filters << filter;
        if (files.empty()) return {};
        const QString f = files.front();
        files.pop_front();
        return f;
    }
    QString chooseSaveFile(const QString& title, const QString& filter, const QString& offered) override {
        titles << title;
        filters << filter;
        suggested << offered;
        if (saveFiles.empty()) return {};
        const QString f = saveFiles.front();
        saveFiles.pop_front();
        return f;
    }
    int chooseDataFileSource() override {
        ++sourceQuestions;
        return dataSource;
    }
};

// Each list of the window with the mode that shows it.
struct ListCase {
    const char* list;
    void (qv::MainWindow::*mode)();
    qv::ListKind kind;
};
inline const ListCase kLists[] = {
    {"pictureList", &qv::MainWindow::showImages, qv::ListKind::Pictures},
    {"melodyList", &qv::MainWindow::showMelodies, qv::ListKind::Melodies},
    {"operatorList", &qv::MainWindow::showOperators, qv::ListKind::Operators},
    {"stringList", &qv::MainWindow::showLangPack, qv::ListKind::Strings},
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto m = qv::makeDemoModel(dir.path(), {5, false, "demo"});
        ASSERT_TRUE(m) << m.error().message().toStdString();
        model = *m;
        options.dialogs = &dialogs;
        options.settingsPath = dir.path("setting.ini");
        options.keypadWaitMs = 50;
    }
    std::unique_ptr<qv::MainWindow> window() {
        auto w = std::make_unique<qv::MainWindow>(options);
        w->show();
        QApplication::processEvents();
        return w;
    }
    template <typename T>
    static T* child(qv::MainWindow& w, const char* name) {
        return w.findChild<T*>(QString::fromLatin1(name));
    }
    void buildFromDumps(qv::MainWindow& w) {
        dialogs.dataSource = 1;
        dialogs.files = {model.tableFile, model.dump1, model.dump2};
        w.openClicked();
    }
    // A window over the demo model as new, its data file built again from the dumps.
    std::unique_ptr<qv::MainWindow> opened() {
        QFile::remove(dir.path("demo.mem"));
        auto w = window();
        buildFromDumps(*w);
        return w;
    }
    // The same with `mode`'s list in front.
    std::unique_ptr<qv::MainWindow> opened(void (qv::MainWindow::*mode)()) {
        auto w = opened();
        ((*w).*mode)();
        return w;
    }
    static void selectRow(qv::MainWindow& w, const char* list, int row) {
        auto* v = child<QListView>(w, list);
        v->setCurrentIndex(v->model()->index(row, 0));
        v->setFocus();
    }
    ScratchDir dir;
    qv::DemoModel model;
    ScriptedDialogs dialogs;
    qv::MainWindowOptions options;
};

}  // namespace qvtest
