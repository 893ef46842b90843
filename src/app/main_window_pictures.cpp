// The picture editor: the preview with its scale and transparency, and importing and
// exporting pictures (the Import and Export buttons also serve the melodies).
#include "app/editor_widgets.h"
#include "app/language_tags.h"
#include "app/main_window.h"
#include "base/language_table.h"
#include "editors/edit_operations.h"
#include "editors/item_views.h"
#include "editors/picture_codec.h"
#include "editors/thumbnail.h"
#include "files/file_places.h"

#include <optional>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QScrollArea>
#include <QListView>
#include <QSpinBox>
#include <QToolButton>

namespace qv {

namespace {

// The preview's own area, right of the list and above the labels: a preview smaller than it
// stays centred in it, a larger one scrolls inside it.
constexpr QRect kPreviewArea(266, 94, 292, 290);

QSpinBox* scaleBox(QWidget* parent, const char* name, const QString& axis, QRect geometry, int hintTag) {
    auto* s = new QSpinBox(parent);
    s->setObjectName(name);
    s->setRange(1, 400);
    s->setValue(100);
    s->setPrefix(axis + QLatin1Char(' '));
    s->setSuffix(QStringLiteral(" %"));
    s->setGeometry(geometry);
    setLanguageTag(s, hintTag);
    s->setToolTip(languageTable().text(QString::number(hintTag - 800)));
    return s;
}

// Colour-depth captions of the formats; the two without one leave the label as it is.
std::optional<TextKey> depthKey(uint8_t format) {
    static const std::optional<TextKey> keys[] = {Text::Depth1Bit, Text::Depth2Bit, Text::Depth4Bit, Text::Depth8Bit,
                                                  Text::Depth16Bit, std::nullopt, std::nullopt, Text::Depth12Bit};
    return format < 8 ? keys[format] : std::nullopt;
}

}  // namespace

void MainWindow::buildPictureEditor() {
    previewArea = new QScrollArea(this);
    previewArea->setObjectName("previewArea");
    previewArea->setGeometry(kPreviewArea);
    previewArea->setFrameShape(QFrame::NoFrame);
    previewArea->setAlignment(Qt::AlignCenter);
    previewArea->setWidgetResizable(false);
    previewArea->setFocusPolicy(Qt::NoFocus);
    picturePreview = infoLabel(previewArea, "picturePreview", QRect());
    previewArea->setWidget(picturePreview);
    // The window's background shows around the preview and through its transparent colour.
    for (QWidget* w : {static_cast<QWidget*>(previewArea), previewArea->viewport(), static_cast<QWidget*>(picturePreview)})
        w->setAutoFillBackground(false);
    importButton = toolButton(this, "importButton", QStyle::SP_ArrowDown, 8803);
    exportButton = toolButton(this, "exportButton", QStyle::SP_FileLinkIcon, 8804);
    importButton->move(210, 32);
    exportButton->move(248, 32);
    importButton->setEnabled(false);
    exportButton->setEnabled(false);
    connect(importButton, &QToolButton::clicked, this, &MainWindow::importClicked);
    connect(exportButton, &QToolButton::clicked, this, &MainWindow::exportClicked);

    zoomWidth = scaleBox(this, "zoomWidth", QStringLiteral("X"), QRect(276, 428, 80, 22), 8824);
    zoomHeight = scaleBox(this, "zoomHeight", QStringLiteral("Y"), QRect(362, 428, 80, 22), 8823);
    transparentCheck = new QCheckBox(this);
    transparentCheck->setObjectName("transparentCheck");
    transparentCheck->setGeometry(430, 408, 18, 18);
    transparentLabel = infoLabel(this, "transparentLabel", QRect(450, 408, 110, 18), 8018);
    connect(zoomWidth, &QSpinBox::valueChanged, this, &MainWindow::refreshPicturePreview);
    connect(zoomHeight, &QSpinBox::valueChanged, this, &MainWindow::refreshPicturePreview);
    connect(transparentCheck, &QCheckBox::toggled, this, &MainWindow::refreshPicturePreview);
}

void MainWindow::selectPicture(int row) {
    if (row < 0 || row >= ws_.rowCount(ListKind::Pictures)) return;
    const PictEntry& e = ws_.image().pictures[size_t(row)];
    importButton->setEnabled(true);
    exportButton->setEnabled(true);
    pictureSizeLabel->setText(QStringLiteral("%1x%2").arg(e.width).arg(e.height));
    if (!pictureOfRow(ws_, row, picture_)) picture_ = QImage();
    refreshPicturePreview();
}

void MainWindow::refreshPicturePreview() {
    const int row = currentRow(ListKind::Pictures);
    if (row < 0 || pictureList->isHidden()) return;
    const PictEntry& e = ws_.image().pictures[size_t(row)];
    if (const auto key = depthKey(e.format)) colourDepthLabel->setText(langText(*key));
    byteSizeLabel->setText(QString::number(e.size) + langText(Text::ByteUnit));
    importButton->setEnabled(pictureImportOffered(e));

    const int w = roundHalfEven(int64_t(zoomWidth->value()) * e.width, 100);
    const int h = roundHalfEven(int64_t(zoomHeight->value()) * e.height, 100);
    scaledSizeLabel->setText(QStringLiteral("(%1x%2)").arg(w).arg(h));
    picturePreview->resize(w, h);
    QImage shown;
    if (!picture_.isNull() && w > 0 && h > 0)
        shown = picture_.scaled(w, h, Qt::IgnoreAspectRatio, Qt::FastTransformation).convertToFormat(QImage::Format_ARGB32);
    // Transparent: every pixel of the bottom-left pixel's colour lets the window show through.
    if (transparentCheck->isChecked() && !shown.isNull()) {
        const QRgb key = shown.pixel(0, h - 1);
        for (int y = 0; y < h; ++y) {
            auto* line = reinterpret_cast<QRgb*>(shown.scanLine(y));
            for (int x = 0; x < w; ++x)
                if (line[x] == key) line[x] = 0;
        }
    }
    picturePreview->setPixmap(QPixmap::fromImage(shown));
}

QString MainWindow::exportFolder() const {
    return options_.exportFolder.isEmpty() ? FilePlaces::current().exportFolder() : options_.exportFolder;
}

void MainWindow::importClicked() {
    if (explainEmptyMode("import")) return;
    if (mode_ == Mode::Images) {
        const int row = currentRow(ListKind::Pictures);
        if (row < 0 || !pictureImportOffered(ws_.image().pictures[size_t(row)])) return;
        const QString path =
            dialogs().chooseOpenFile(langText(Text::Picture), QStringLiteral("Bitmaps (*.bmp)|*.bmp|TIF|*.tif|PNG|*.png"),
                                     QDir::currentPath());
        if (!path.isEmpty()) importPictureFile(row, path);
    } else if (mode_ == Mode::Melodies) {
        const int row = currentRow(ListKind::Melodies);
        if (row < 0) return;
        const QString path = dialogs().chooseOpenFile(langText(Text::OpenFile), melodyFilter(), QDir::currentPath());
        if (!path.isEmpty()) importMelodyFile(row, path);
    }
}

void MainWindow::importPictureFile(int row, const QString& path) {
    const EditOutcome out = importPicture(ws_, row, path);
    if (out.stored) {
        if (!pictureOfRow(ws_, row, picture_)) picture_ = QImage();
        thumbnails_.replace(row, makeThumbnail(picture_));
        refreshPicturePreview();
    }
    if (out.ticked) pictureModel_->ticksChanged();
    pictureList->viewport()->update();
    if (!out.message.isEmpty()) dialogs().showMessage(out.message, langText(Text::ProgramName));
}

void MainWindow::exportClicked() {
    if (explainEmptyMode("export")) return;
    Result s;
    QString file;
    if (mode_ == Mode::Images) {
        const int row = currentRow(ListKind::Pictures);
        if (row < 0) return;
        file = QFileInfo(QDir(exportFolder()).filePath(pictureExportName(row))).absoluteFilePath();
        s = exportPictureKeepingDepth(ws_, row, file);
    } else if (mode_ == Mode::Melodies) {
        const int row = currentRow(ListKind::Melodies);
        if (row < 0) return;
        file = QFileInfo(QDir(exportFolder()).filePath(melodyExportName(ws_, row, stringTexts()))).absoluteFilePath();
        s = exportMelody(ws_, row, file);
    } else {
        return;
    }
    if (!s) {
        dialogs().showError(s.message(), langText(Text::Attention));
    } else if (options_.exportFolder.isEmpty() && !FilePlaces::current().usesProgramFolder()) {
        // Beside the program the user knows where to look; in the per-user folder they would not.
        dialogs().showMessage(QDir::toNativeSeparators(file), langText(Text::Export));
    }
}

}  // namespace qv
