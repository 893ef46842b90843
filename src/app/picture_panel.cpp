#include "app/picture_panel.h"

#include "app/check_list_model.h"
#include "app/dialog_service.h"
#include "app/editor_widgets.h"
#include "app/file_filters.h"
#include "app/language_tags.h"
#include "app/list_batch_actions.h"
#include "app/progress_dialog.h"
#include "base/language_table.h"
#include "editors/edit_operations.h"
#include "editors/item_views.h"
#include "editors/list_texts.h"
#include "editors/picture_codec.h"
#include "editors/picture_import.h"
#include "editors/thumbnail.h"
#include "editors/thumbnail_store.h"

#include <iterator>
#include <QApplication>
#include <QCheckBox>
#include <QtConcurrent/QtConcurrentMap>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListView>
#include <QScrollArea>
#include <QSpinBox>
#include <QToolButton>

namespace qv {

namespace {

// The preview's own area, right of the list and above the labels: a preview smaller than it
// stays centred in it, a larger one scrolls inside it.
constexpr QRect kPreviewArea(266, 94, 292, 290);

QSpinBox* scaleBox(QWidget* parent, const char* name, const QString& axis, QRect geometry, TextKey hint) {
    auto* s = new QSpinBox(parent);
    s->setObjectName(name);
    s->setRange(1, 400);
    s->setValue(100);
    s->setPrefix(axis + QLatin1Char(' '));
    s->setSuffix(QStringLiteral(" %"));
    s->setGeometry(geometry);
    setLanguageTag(s, hintTag(hint));
    s->setToolTip(langText(hint));
    return s;
}

// Colour-depth captions of the formats; a format that does not exist has none.
QString depthCaption(uint8_t format) {
    static const TextKey keys[] = {Text::Depth1Bit,  Text::Depth2Bit,  Text::Depth4Bit,  Text::Depth8Bit,
                                   Text::Depth16Bit, Text::Depth24Bit, Text::Depth32Bit, Text::Depth12Bit};
    return format < std::size(keys) ? langText(keys[format]) : QString();
}

}  // namespace

PicturePanel::PicturePanel(const PanelContext& context, CheckListModel* model, ThumbnailStore& thumbnails,
                           QWidget* window)
    : ModePanel(window),
      context_(context),
      ws_(context.workspace),
      dialogs_(context.dialogs),
      pictureModel_(model),
      thumbnails_(thumbnails) {
    setObjectName("picturePanel");
    pictureList = checkList(this, "pictureList", pictureModel_);
    pictureList->setItemDelegate(new PictureRowDelegate(thumbnails_, pictureList));
    connect(pictureList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& i) { if (i.isValid()) selectPicture(i.row()); });
    context_.batchActions.attach(pictureList, ListKind::Pictures);

    pictureSizeLabel = infoLabel(this, "pictureSizeLabel", QRect(276, 388, 80, 18));
    scaledSizeLabel = infoLabel(this, "scaledSizeLabel", QRect(356, 388, 110, 18));
    colourDepthLabel = infoLabel(this, "colourDepthLabel", QRect(470, 388, 90, 18));
    byteSizeLabel = infoLabel(this, "byteSizeLabel", QRect(276, 408, 140, 18));
    buildPreview();
    importButton = toolButton(this, "importButton", QStyle::SP_ArrowDown, Text::Import);
    exportButton = toolButton(this, "exportButton", QStyle::SP_FileLinkIcon, Text::Export);
    importButton->move(210, 32);
    exportButton->move(248, 32);
    importButton->setEnabled(false);
    exportButton->setEnabled(false);
    connect(importButton, &QToolButton::clicked, this, &PicturePanel::importRequested);
    connect(exportButton, &QToolButton::clicked, this, &PicturePanel::exportRequested);
    buildScaleAndTransparency();
}

void PicturePanel::buildPreview() {
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
}

void PicturePanel::buildScaleAndTransparency() {
    zoomWidth = scaleBox(this, "zoomWidth", QStringLiteral("X"), QRect(276, 428, 80, 22), Text::ScaleX);
    zoomHeight = scaleBox(this, "zoomHeight", QStringLiteral("Y"), QRect(362, 428, 80, 22), Text::ScaleY);
    transparentCheck = new QCheckBox(this);
    transparentCheck->setObjectName("transparentCheck");
    transparentCheck->setGeometry(430, 408, 18, 18);
    transparentLabel = infoLabel(this, "transparentLabel", QRect(450, 408, 110, 18), Text::Transparency);
    connect(zoomWidth, &QSpinBox::valueChanged, this, &PicturePanel::refreshPicturePreview);
    connect(zoomHeight, &QSpinBox::valueChanged, this, &PicturePanel::refreshPicturePreview);
    connect(transparentCheck, &QCheckBox::toggled, this, &PicturePanel::refreshPicturePreview);
}

void PicturePanel::fill(ProgressDialog& progress) {
    const int rows = ws_.rowCount(ListKind::Pictures);
    progress.setMaximum(rows);
    progress.setPosition(0);
    progress.setText(langText(Text::PicturesLoading));
    thumbnails_.clear();
    QStringList texts;
    texts.reserve(rows);
    // In chunks: the data file is read in order, the pictures are decoded and their
    // thumbnails made on every core, and the window repaints between chunks.
    constexpr int kChunk = 512;
    const uint16_t phoneType = ws_.image().directory.phoneType;
    std::vector<QByteArray> blobs;
    std::vector<QImage> thumbs;
    for (int first = 0; first < rows; first += kChunk) {
        const int n = std::min(kChunk, rows - first);
        blobs.assign(size_t(n), QByteArray());
        for (int k = 0; k < n; ++k)
            if (Expected<QByteArray> blob = ws_.readBlob(kPictureTable, first + k)) blobs[size_t(k)] = std::move(*blob);
        thumbs.assign(size_t(n), QImage());
        // On Qt's pool, whose threads live as long as the process; each call fills its own row.
        QtConcurrent::blockingMap(thumbs, [&](QImage& thumb) {
            const auto k = size_t(&thumb - thumbs.data());
            const PictEntry& e = ws_.image().pictures[size_t(first) + k];
            const PictureShape shape{e.width, e.height, e.format, e.variant, phoneType};
            thumb = makeThumbnail(cropToWidth(decodePicture(shape, blobs[k]), e.width));
        });
        thumbnails_.addAll(thumbs);
        for (int k = 0; k < n; ++k) texts << pictureRowText(ws_.image().pictures[size_t(first + k)]);
        progress.setPosition(first + n);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    pictureModel_->reset(texts, &ws_.ticks(ListKind::Pictures));
    if (rows > 0) pictureList->setCurrentIndex(pictureModel_->index(0));
    emit filled();
}

std::optional<PanelList> PicturePanel::list() const {
    return PanelList{pictureList, pictureModel_, ListKind::Pictures, "picture", true};
}

void PicturePanel::clear() {
    ModePanel::clear();
    picture_ = QImage();
}

void PicturePanel::rowsDeleted(const std::vector<int>& rows) {
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) thumbnails_.remove(*row);
}

void PicturePanel::enter() {
    show();
    if (pictureList->currentIndex().isValid()) selectPicture(pictureList->currentIndex().row());
    pictureList->setFocus();
}

void PicturePanel::showNoSelection() {
    picture_ = QImage();
    picturePreview->clear();
    picturePreview->resize(0, 0);
    for (QLabel* l : {pictureSizeLabel, scaledSizeLabel, colourDepthLabel, byteSizeLabel}) l->clear();
    importButton->setEnabled(false);
    exportButton->setEnabled(false);
}

int PicturePanel::currentRow() const { return currentListRow(pictureList, ws_, ListKind::Pictures); }

void PicturePanel::selectPicture(int row) {
    if (row < 0 || row >= ws_.rowCount(ListKind::Pictures)) return;
    const PictEntry& e = ws_.image().pictures[size_t(row)];
    importButton->setEnabled(true);
    exportButton->setEnabled(true);
    pictureSizeLabel->setText(QStringLiteral("%1x%2").arg(e.width).arg(e.height));
    const auto picture = pictureOfRow(ws_, row);
    picture_ = picture ? *picture : QImage();
    refreshPicturePreview();
}

void PicturePanel::refreshPicturePreview() {
    const int row = currentRow();
    if (row < 0 || isHidden()) return;
    const PictEntry& e = ws_.image().pictures[size_t(row)];
    colourDepthLabel->setText(depthCaption(e.format));
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

void PicturePanel::importIntoSelected() {
    const int row = currentRow();
    if (row < 0 || !pictureImportOffered(ws_.image().pictures[size_t(row)])) return;
    const QString path = dialogs_.chooseOpenFile(langText(Text::Picture), pictureOpenFilter(), QDir::currentPath());
    if (!path.isEmpty()) importPictureFile(row, path);
}

void PicturePanel::importPictureFile(int row, const QString& path) {
    const Result imported = importPicture(ws_, row, path);
    if (imported) {
        const auto picture = pictureOfRow(ws_, row);
        picture_ = picture ? *picture : QImage();
        thumbnails_.replace(row, makeThumbnail(picture_));
        refreshPicturePreview();
        pictureModel_->ticksChanged();
    }
    pictureList->viewport()->update();
    if (!imported) dialogs_.showWarning(imported.message(), langText(Text::ProgramName));
}

void PicturePanel::exportSelected() {
    const int row = currentRow();
    if (row < 0) return;
    const QString file = chooseExportFile(context_, pictureExportName(row), pictureSaveFilter());
    if (file.isEmpty()) return;
    if (const Result s = exportPictureKeepingDepth(ws_, row, file); !s) dialogs_.showError(s.message(), langText(Text::Attention));
}

}  // namespace qv
