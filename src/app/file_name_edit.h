#pragma once
// A file-name field: a line edit with a browse button at its right end that opens a file
// dialog and puts the chosen path into the field.
#include <QLineEdit>
#include <functional>

class QToolButton;

namespace qv {

// What the browse button asks for.
struct FileRequest {
    QString title;
    QString directory;
    QString filter;         // Qt's form, "EXE files (*.exe)"
    QString defaultSuffix;  // without the dot, "exe"
};

class FileNameEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString filter READ filter WRITE setFilter)
    Q_PROPERTY(QString defaultSuffix READ defaultSuffix WRITE setDefaultSuffix)
    Q_PROPERTY(QString dialogTitle READ dialogTitle WRITE setDialogTitle)
    Q_PROPERTY(QString startDir READ startDir WRITE setStartDir)
public:
    // Returns the chosen path, or an empty string when the user cancelled.
    using Chooser = std::function<QString(QWidget* parent, const FileRequest& request)>;

    explicit FileNameEdit(QWidget* parent = nullptr);

    QString filter() const { return filter_; }
    void setFilter(const QString& filter) { filter_ = filter; }  // "EXE files|*.exe"
    QString defaultSuffix() const { return defaultSuffix_; }
    void setDefaultSuffix(const QString& suffix);  // "*.exe", ".exe" and "exe" all mean "exe"
    QString dialogTitle() const { return dialogTitle_; }
    void setDialogTitle(const QString& title) { dialogTitle_ = title; }
    QString startDir() const { return startDir_; }
    void setStartDir(const QString& dir) { startDir_ = dir; }

    // Replaces the file dialog (tests answer from a script); an empty chooser restores it.
    void setChooser(Chooser chooser);
    QToolButton* browseButton() const { return button_; }

    // The request the browse button makes now.
    FileRequest request() const;

public slots:
    // Emits beforeDialog (handlers may still change the properties), asks the chooser and,
    // unless cancelled, sets the text and emits fileChosen.
    void browse();

signals:
    void beforeDialog();
    void fileChosen(const QString& path);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QString filter_;
    QString defaultSuffix_;
    QString dialogTitle_;
    QString startDir_;
    Chooser chooser_;
    QToolButton* button_;
};

// The real dialog behind a FileNameEdit.
QString chooseFileWithDialog(QWidget* parent, const FileRequest& request);

}  // namespace qv
