#pragma once
// Small helpers shared by the test programs: a scratch folder and whole-file access.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace qvtest {

// A fresh folder removed at the end of the test.
class ScratchDir {
public:
    ScratchDir();
    QString path(const QString& name = {}) const;

private:
    QTemporaryDir dir_;
};

QByteArray readAll(const QString& path);
void writeAll(const QString& path, const QByteArray& bytes);
// Why a folder's read-only mode does not stop this process (root; Windows, which has no
// folder modes), or nullptr when it does.
const char* folderModesIgnored();

}  // namespace qvtest
