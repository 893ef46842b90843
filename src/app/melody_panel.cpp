#include "app/melody_panel.h"

#include "app/check_list_model.h"
#include "app/dialog_service.h"
#include "app/editor_widgets.h"
#include "app/file_name_edit.h"
#include "app/language_tags.h"
#include "app/list_batch_actions.h"
#include "base/language_table.h"
#include "editors/edit_operations.h"
#include "editors/list_texts.h"
#include "files/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

namespace qv {

namespace {
constexpr int kRowBoxHeight = 22;  // the file box and the chooser beside a melody row
}

MelodyPanel::MelodyPanel(const PanelContext& context, const Settings& settings, CheckListModel* model,
                         const CheckListModel* stringModel, QWidget* window)
    : ModePanel(window),
      context_(context),
      ws_(context.workspace),
      dialogs_(context.dialogs),
      settings_(settings),
      melodyModel_(model),
      stringModel_(stringModel) {
    setObjectName("melodyPanel");
    melodyList = checkList(this, "melodyList", melodyModel_);
    connect(melodyList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& i) { if (i.isValid()) selectMelody(i.row()); });
    context_.batchActions.attach(melodyList, ListKind::Melodies);
    melodyList->setItemDelegate(new MelodyRowDelegate([this](int row) { return melodyShownText(row); }, melodyList));
    connect(melodyList, &QListView::doubleClicked, this, [this] { melodyListDoubleClicked(); });
    connect(melodyList->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { placeMelodyRowControls(); });

    melodyCaption = infoLabel(this, "melodyCaption", QRect(276, 438, 70, 18));
    byteSizeLabel = infoLabel(this, "byteSizeLabel", QRect(346, 438, 140, 18));
    buildButtons();
    buildFileEdit();
    buildNameChooser();
}

void MelodyPanel::buildButtons() {
    importButton = toolButton(this, "importButton", QStyle::SP_ArrowDown, Text::Import);
    exportButton = toolButton(this, "exportButton", QStyle::SP_FileLinkIcon, Text::Export);
    importButton->move(210, 32);
    exportButton->move(248, 32);
    connect(importButton, &QToolButton::clicked, this, &MelodyPanel::importRequested);
    connect(exportButton, &QToolButton::clicked, this, &MelodyPanel::exportRequested);
    playButton = toolButton(this, "playButton", QStyle::SP_MediaPlay, Text::Play);
    playButton->move(286, 32);
    connect(playButton, &QToolButton::clicked, this, &MelodyPanel::playClicked);
}

void MelodyPanel::buildFileEdit() {
    melodyFileEdit = new FileNameEdit(this);
    melodyFileEdit->setObjectName("melodyFileEdit");
    setLanguageTag(melodyFileEdit, fileDialogTag(Text::OpenMelodyFile));
    melodyFileEdit->setDialogTitle(langText(Text::OpenMelodyFile));
    melodyFileEdit->setChooser([this](QWidget*, const FileRequest& request) {
        const QString chosen = dialogs_.chooseOpenFile(request.title, melodyFileEdit->filter(), request.directory);
        // Chosen or not, the focus leaves the box.
        QTimer::singleShot(0, this, [this] { focusNextChild(); });
        return chosen;
    });
    connect(melodyFileEdit, &FileNameEdit::beforeDialog, this, [this] {
        const QString filter = melodyFilter();
        melodyFileEdit->setFilter(filter);
        melodyFileEdit->setDefaultSuffix(filter.section(u'|', 1));
    });
    connect(melodyFileEdit, &FileNameEdit::fileChosen, this, [this](const QString& path) {
        const int row = currentRow();
        if (row >= 0) importMelodyFile(row, path);
        placeMelodyRowControls();
    });
}

void MelodyPanel::buildNameChooser() {
    melodyNameButton = new QPushButton(QStringLiteral("..."), this);
    melodyNameButton->setObjectName("melodyNameButton");
    setLanguageTag(melodyNameButton, hintTag(Text::AssignMelodyName));
    melodyNameButton->setToolTip(langText(Text::AssignMelodyName));
    melodyNameButton->setFocusPolicy(Qt::NoFocus);
    connect(melodyNameButton, &QPushButton::clicked, this, &MelodyPanel::chooseMelodyName);

    melodyNameChooser = new NameChooser(this);
    melodyNameChooser->setObjectName("melodyNameChooser");
    // 19 rows and a scroll bar, on every style (some styles otherwise drop the whole list down).
    melodyNameChooser->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    melodyNameChooser->setMaxVisibleItems(19);
    melodyNameChooser->hide();
    connect(melodyNameChooser, &QComboBox::activated, this, &MelodyPanel::melodyNameChosen);
    connect(melodyNameChooser, &NameChooser::closed, this, [this] {
        QTimer::singleShot(0, this, [this] {
            melodyNameChooser->hide();
            if (melodyList->isVisible()) melodyList->setFocus();
        });
    });
}

std::optional<PanelList> MelodyPanel::list() const {
    return PanelList{melodyList, melodyModel_, ListKind::Melodies, "melody", true};
}

void MelodyPanel::fill(ProgressDialog&) {
    QStringList texts;
    const int rows = ws_.rowCount(ListKind::Melodies);
    for (int i = 0; i < rows; ++i) texts << melodyRowText(i, ws_.image().melodies[size_t(i)]);
    melodyModel_->reset(texts, &ws_.ticks(ListKind::Melodies));
    if (rows > 0) melodyList->setCurrentIndex(melodyModel_->index(0));
}

void MelodyPanel::enter() {
    melodyNameChooser->hide();  // an open chooser belonged to the visit before
    importButton->setEnabled(true);  // every melody can be imported and exported
    exportButton->setEnabled(true);
    playButton->setEnabled(true);
    show();
    if (melodyList->currentIndex().isValid()) selectMelody(melodyList->currentIndex().row());
    placeMelodyRowControls();
    melodyList->setFocus();
}

void MelodyPanel::showNoSelection() {
    for (QLabel* l : {melodyCaption, byteSizeLabel}) l->clear();
    importButton->setEnabled(false);
    exportButton->setEnabled(false);
    playButton->setEnabled(false);
    placeMelodyRowControls();
}

int MelodyPanel::currentRow() const { return currentListRow(melodyList, ws_, ListKind::Melodies); }

void MelodyPanel::rowsDeleted(const std::vector<int>&) { placeMelodyRowControls(); }

void MelodyPanel::namesChanged() { melodyList->viewport()->update(); }

QString MelodyPanel::melodyFilter() const {
    const uint16_t type = ws_.image().directory.phoneType;
    return type == 4 || type == 6 ? QStringLiteral("DXM files|*.dxm") : QStringLiteral("SMAF files|*.mmf");
}

QString MelodyPanel::melodyShownText(int row) const {
    const QString own = melodyModel_->data(melodyModel_->index(row), Qt::DisplayRole).toString();
    if (row < 0 || row >= ws_.rowCount(ListKind::Melodies)) return own;
    const int named = melodyNameRow(ws_, row);
    if (named < 0 || named >= stringModel_->rowCount()) return own;
    return QString::number(row + 1) + QLatin1Char(' ') +
           stringModel_->data(stringModel_->index(named), Qt::DisplayRole).toString();
}

void MelodyPanel::selectMelody(int row) {
    if (row < 0 || row >= ws_.rowCount(ListKind::Melodies)) return;
    melodyCaption->setText(langText(Text::Melody));
    byteSizeLabel->setText(QString::number(ws_.image().melodies[size_t(row)].size) + langText(Text::ByteUnit));
    placeMelodyRowControls();
}

void MelodyPanel::placeMelodyRowControls() {
    const QModelIndex current = melodyList->currentIndex();
    QRect r;
    bool shown = !isHidden() && current.isValid() && current.row() < ws_.rowCount(ListKind::Melodies);
    if (shown) {
        r = melodyList->visualRect(current);
        shown = r.top() >= 0 && r.top() < melodyList->viewport()->height() - r.height();
    }
    if (!shown) {
        melodyFileEdit->hide();
        melodyNameButton->hide();
        return;
    }
    const int row = current.row();
    const QPoint at = melodyList->viewport()->mapTo(this, r.topLeft());
    const int top = at.y() + (r.height() - kRowBoxHeight) / 2;
    const int right = melodyList->x() + melodyList->width();
    melodyFileEdit->setGeometry(right + 20, top, 260, kRowBoxHeight);
    melodyNameButton->setGeometry(right + 1, top + 2, 18, kRowBoxHeight - 4);
    const QString remembered = row < kMruSlots ? ws_.melodyFileNames()[size_t(row)] : QString();
    melodyFileEdit->setText(remembered.isEmpty() ? QString() : QFileInfo(remembered).fileName());
    melodyNameButton->setEnabled(!ws_.image().isReversedOrderModel());
    melodyFileEdit->show();
    melodyNameButton->show();
    melodyFileEdit->raise();
    melodyNameButton->raise();
}

void MelodyPanel::importIntoSelected() {
    const int row = currentRow();
    if (row < 0) return;
    const QString path = dialogs_.chooseOpenFile(langText(Text::OpenFile), melodyFilter(), QDir::currentPath());
    if (!path.isEmpty()) importMelodyFile(row, path);
}

void MelodyPanel::importMelodyFile(int row, const QString& path) {
    const EditOutcome out = importMelody(ws_, row, path);
    if (out.ticked) melodyModel_->ticksChanged();
    placeMelodyRowControls();
    if (!out.message.isEmpty()) dialogs_.showMessage(out.message, langText(Text::ProgramName));
}

QString MelodyPanel::exportPath(int row) const {
    return QFileInfo(QDir(context_.exportFolder()).filePath(melodyExportName(ws_, row, stringModel_->texts())))
        .absoluteFilePath();
}

void MelodyPanel::exportSelected() {
    const int row = currentRow();
    if (row < 0) return;
    const QString file = chooseExportFile(context_, melodyExportName(ws_, row, stringModel_->texts()), melodyFilter());
    if (file.isEmpty()) return;
    if (const Result s = exportMelody(ws_, row, file); !s) dialogs_.showError(s.message(), langText(Text::Attention));
}

void MelodyPanel::playClicked() {
    const int row = currentRow();
    if (row < 0) return;
    const QString file = exportPath(row);
    if (Result s = exportMelody(ws_, row, file); !s) {
        dialogs_.showError(s.message(), langText(Text::Attention));
        return;
    }
    // The player gets the file as its one argument and runs in its own folder; whether it
    // starts is its own business.
    const QFileInfo player(settings_.player);
    const bool bare = !settings_.player.contains(u'/') && !settings_.player.contains(u'\\');
    QProcess::startDetached(bare ? settings_.player : player.absoluteFilePath(), {file},
                            bare ? QString() : player.absolutePath());
}

void MelodyPanel::melodyListDoubleClicked() {
    const int row = currentRow();
    if (row < 0) return;
    const int named = melodyNameRow(ws_, row);
    if (named >= 0 && named < stringModel_->rowCount())
        emit namingStringRequested(named);
    else
        playClicked();
}

void MelodyPanel::chooseMelodyName() {
    const int row = currentRow();
    if (row < 0) return;
    melodyNameChooser->clear();
    QStringList texts;
    for (const QString& t : stringModel_->texts()) texts << t;
    melodyNameChooser->addItems(texts);
    // It opens at the melody's name, so the list need not be searched for it.
    const int named = melodyNameRow(ws_, row);
    melodyNameChooser->setCurrentIndex(named >= 0 && named < texts.size() ? named : texts.isEmpty() ? -1 : 0);
    melodyNameChooser->setGeometry(melodyFileEdit->geometry());
    melodyNameChooser->show();
    melodyNameChooser->raise();
    melodyNameChooser->setFocus();
    melodyNameChooser->showPopup();
}

void MelodyPanel::melodyNameChosen(int index) {
    const int row = currentRow();
    if (row < 0 || index < 0) return;
    if (Result s = setMelodyName(ws_, row, index); !s) dialogs_.showError(s.message(), langText(Text::Attention));
    melodyList->viewport()->update();
}

}  // namespace qv
