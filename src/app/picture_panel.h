#pragma once
// The pictures' mode: the list with its thumbnails, the preview with its scale and
// transparency, what the selected picture is (size, colour depth, bytes), and importing and
// exporting it.
#include "app/mode_panel.h"

#include <QImage>

class QCheckBox;
class QLabel;
class QScrollArea;
class QSpinBox;
class QToolButton;

namespace qv {

class CheckListModel;
class ProgressDialog;
class ThumbnailStore;

class PicturePanel final : public ModePanel {
    Q_OBJECT
public:
    PicturePanel(const PanelContext& context, CheckListModel* model, ThumbnailStore& thumbnails, QWidget* window);

    // The list from the workspace, the thumbnails made on every core; the first row selected.
    void fill(ProgressDialog& progress);
    // The pictures come to the front: the panel shows, the selected picture described anew.
    void enter();
    // The list has no rows: nothing described, no picture to import into or export.
    void showNoSelection();
    // A new service file: the picture decoded for the preview belongs to the old one.
    void forgetPicture() { picture_ = QImage(); }
    int currentRow() const;
    void refreshPicturePreview();
    // The commands behind Import and Export, on the selected picture.
    void importIntoSelected();
    void exportSelected();

    QListView* pictureList = nullptr;
    QLabel *pictureSizeLabel = nullptr, *scaledSizeLabel = nullptr, *colourDepthLabel = nullptr, *byteSizeLabel = nullptr;
    QScrollArea* previewArea = nullptr;  // the preview's own area, scrolling a preview larger than it
    QLabel* picturePreview = nullptr;
    QToolButton *importButton = nullptr, *exportButton = nullptr;
    QSpinBox *zoomWidth = nullptr, *zoomHeight = nullptr;
    QCheckBox* transparentCheck = nullptr;
    QLabel* transparentLabel = nullptr;

signals:
    void importRequested();
    void exportRequested();

private:
    void buildPreview();
    void buildScaleAndTransparency();
    void selectPicture(int row);
    void importPictureFile(int row, const QString& path);

    PanelContext context_;
    Workspace& ws_;
    DialogService& dialogs_;
    CheckListModel* pictureModel_;
    ThumbnailStore& thumbnails_;
    QImage picture_;  // the selected picture, decoded, its entry's width × height
};

}  // namespace qv
