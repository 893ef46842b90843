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

    std::optional<PanelList> list() const override;
    // The thumbnails made on every core.
    void fill(ProgressDialog& progress) override;
    void enter() override;
    // Also the picture decoded for the preview: it belongs to the old file.
    void clear() override;
    void showNoSelection() override;
    int currentRow() const;
    void refreshPicturePreview();
    void importIntoSelected() override;
    void exportSelected() override;
    // Their thumbnails go with them.
    void rowsDeleted(const std::vector<int>& rows) override;

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
    // The list was read anew: the pictures are the mode in front (the window opens on them,
    // and a whole-list import of them happens with them in view).
    void filled();

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
