// The melody editor: what a melody row shows, playing a melody, importing one through the
// file box beside the focused row, and naming a melody by one of the phone's strings.
#include "app/editor_widgets.h"
#include "app/file_name_edit.h"
#include "app/language_tags.h"
#include "app/main_window.h"
#include "base/language_table.h"
#include "editors/edit_operations.h"

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

void MainWindow::buildMelodyEditor() {
    playButton = toolButton(this, "playButton", QStyle::SP_MediaPlay, 8841);
    playButton->move(286, 32);
    connect(playButton, &QToolButton::clicked, this, &MainWindow::playClicked);
    melodyList->setItemDelegate(new MelodyRowDelegate([this](int row) { return melodyShownText(row); }, melodyList));
    connect(melodyList, &QListView::doubleClicked, this, [this] { melodyListDoubleClicked(); });
    connect(melodyList->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { placeMelodyRowControls(); });

    melodyFileEdit = new FileNameEdit(this);
    melodyFileEdit->setObjectName("melodyFileEdit");
    setLanguageTag(melodyFileEdit, 9142);
    melodyFileEdit->setDialogTitle(langText(Text::OpenMelodyFile));
    melodyFileEdit->setChooser([this](QWidget*, const FileRequest& request) {
        const QString chosen = dialogs().chooseOpenFile(request.title, melodyFileEdit->filter(), request.directory);
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
        const int row = currentRow(ListKind::Melodies);
        if (row >= 0) importMelodyFile(row, path);
        placeMelodyRowControls();
    });

    melodyNameButton = new QPushButton(QStringLiteral("..."), this);
    melodyNameButton->setObjectName("melodyNameButton");
    setLanguageTag(melodyNameButton, 8845);
    melodyNameButton->setToolTip(langText(Text::AssignMelodyName));
    melodyNameButton->setFocusPolicy(Qt::NoFocus);
    connect(melodyNameButton, &QPushButton::clicked, this, &MainWindow::chooseMelodyName);

    melodyNameChooser = new NameChooser(this);
    melodyNameChooser->setObjectName("melodyNameChooser");
    // 19 rows and a scroll bar, on every style (some styles otherwise drop the whole list down).
    melodyNameChooser->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    melodyNameChooser->setMaxVisibleItems(19);
    melodyNameChooser->hide();
    connect(melodyNameChooser, &QComboBox::activated, this, &MainWindow::melodyNameChosen);
    connect(melodyNameChooser, &NameChooser::closed, this, [this] {
        QTimer::singleShot(0, this, [this] {
            melodyNameChooser->hide();
            if (melodyList->isVisible()) melodyList->setFocus();
        });
    });
}

QString MainWindow::melodyFilter() const {
    const uint16_t type = ws_.image().directory.phoneType;
    return type == 4 || type == 6 ? QStringLiteral("DXM files|*.dxm") : QStringLiteral("SMAF files|*.mmf");
}

QString MainWindow::melodyShownText(int row) const {
    const QString own = melodyModel_->data(melodyModel_->index(row), Qt::DisplayRole).toString();
    if (row < 0 || row >= ws_.rowCount(ListKind::Melodies)) return own;
    const int named = melodyNameRow(ws_, row);
    if (named < 0 || named >= stringModel_->rowCount()) return own;
    return QString::number(row + 1) + QLatin1Char(' ') +
           stringModel_->data(stringModel_->index(named), Qt::DisplayRole).toString();
}

void MainWindow::selectMelody(int row) {
    if (row < 0 || row >= ws_.rowCount(ListKind::Melodies)) return;
    scaledSizeLabel->setText(langText(Text::Melody));
    byteSizeLabel->setText(QString::number(ws_.image().melodies[size_t(row)].size) + langText(Text::ByteUnit));
    placeMelodyRowControls();
}

// The file box and the name button sit beside the focused row while it is wholly in view.
void MainWindow::placeMelodyRowControls() {
    const QModelIndex current = melodyList->currentIndex();
    QRect r;
    bool shown = !melodyList->isHidden() && current.isValid() && current.row() < ws_.rowCount(ListKind::Melodies);
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

void MainWindow::importMelodyFile(int row, const QString& path) {
    const EditOutcome out = importMelody(ws_, row, path);
    if (out.ticked) melodyModel_->ticksChanged();
    placeMelodyRowControls();
    if (!out.message.isEmpty()) dialogs().showMessage(out.message, langText(Text::ProgramName));
}

void MainWindow::playClicked() {
    const int row = currentRow(ListKind::Melodies);
    if (row < 0) return;
    const QString file = QFileInfo(QDir(exportFolder()).filePath(melodyExportName(ws_, row, stringTexts()))).absoluteFilePath();
    if (Result s = exportMelody(ws_, row, file); !s) {
        dialogs().showError(s.message(), langText(Text::Attention));
        return;
    }
    // The player gets the file as its one argument and runs in its own folder; whether it
    // starts is its own business.
    const QFileInfo player(settings_.player);
    const bool bare = !settings_.player.contains(u'/') && !settings_.player.contains(u'\\');
    QProcess::startDetached(bare ? settings_.player : player.absoluteFilePath(), {file},
                            bare ? QString() : player.absolutePath());
}

void MainWindow::melodyListDoubleClicked() {
    const int row = currentRow(ListKind::Melodies);
    if (row < 0) return;
    const int named = melodyNameRow(ws_, row);
    if (named >= 0 && named < stringModel_->rowCount()) {
        stringList->setCurrentIndex(stringModel_->index(named));
        showLangPack();
    } else {
        playClicked();
    }
}

void MainWindow::chooseMelodyName() {
    if (currentRow(ListKind::Melodies) < 0) return;
    melodyNameChooser->clear();
    QStringList texts;
    for (const QString& t : stringTexts()) texts << t;
    melodyNameChooser->addItems(texts);
    melodyNameChooser->setCurrentIndex(texts.isEmpty() ? -1 : 0);
    melodyNameChooser->setGeometry(melodyFileEdit->geometry());
    melodyNameChooser->show();
    melodyNameChooser->raise();
    melodyNameChooser->setFocus();
    melodyNameChooser->showPopup();
}

void MainWindow::melodyNameChosen(int index) {
    const int row = currentRow(ListKind::Melodies);
    if (row < 0 || index < 0) return;
    if (Result s = setMelodyName(ws_, row, index); !s) dialogs().showError(s.message(), langText(Text::Attention));
    melodyList->viewport()->update();
}

}  // namespace qv
