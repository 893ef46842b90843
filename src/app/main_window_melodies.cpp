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
    play_b = toolButton(this, "play_b", QStyle::SP_MediaPlay, 8841);
    play_b->move(286, 32);
    connect(play_b, &QToolButton::clicked, this, &MainWindow::play_bClick);
    spisok->setItemDelegate(new MelodyRowDelegate([this](int row) { return melodyShownText(row); }, spisok));
    connect(spisok, &QListView::doubleClicked, this, [this] { spisokDblClick(); });
    connect(spisok->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { placeMelodyRowControls(); });

    mel_imp = new FileNameEdit(this);
    mel_imp->setObjectName("mel_imp");
    setLanguageTag(mel_imp, 9142);
    mel_imp->setDialogTitle(langText("8042"));
    mel_imp->setChooser([this](QWidget*, const FileRequest& request) {
        const QString chosen = dialogs().chooseOpenFile(request.title, mel_imp->filter(), request.directory);
        // Chosen or not, the focus leaves the box.
        QTimer::singleShot(0, this, [this] { focusNextChild(); });
        return chosen;
    });
    connect(mel_imp, &FileNameEdit::beforeDialog, this, [this] {
        const QString filter = melodyFilter();
        mel_imp->setFilter(filter);
        mel_imp->setDefaultSuffix(filter.section(u'|', 1));
    });
    connect(mel_imp, &FileNameEdit::fileChosen, this, [this](const QString& path) {
        const int row = currentRow(ListKind::Melodies);
        if (row >= 0) importMelodyFile(row, path);
        placeMelodyRowControls();
    });

    Button2 = new QPushButton(QStringLiteral("..."), this);
    Button2->setObjectName("Button2");
    setLanguageTag(Button2, 8845);
    Button2->setToolTip(langText("8045"));
    Button2->setFocusPolicy(Qt::NoFocus);
    connect(Button2, &QPushButton::clicked, this, &MainWindow::Button2Click);

    melName = new NameChooser(this);
    melName->setObjectName("melName");
    // 19 rows and a scroll bar, on every style (some styles otherwise drop the whole list down).
    melName->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    melName->setMaxVisibleItems(19);
    melName->hide();
    connect(melName, &QComboBox::activated, this, &MainWindow::melNameSelect);
    connect(melName, &NameChooser::closed, this, [this] {
        QTimer::singleShot(0, this, [this] {
            melName->hide();
            if (spisok->isVisible()) spisok->setFocus();
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
    razr2->setText(langText("010"));
    dlina_us->setText(QString::number(ws_.image().melodies[size_t(row)].size) + langText("006"));
    placeMelodyRowControls();
}

// The file box and the name button sit beside the focused row while it is wholly in view.
void MainWindow::placeMelodyRowControls() {
    const QModelIndex current = spisok->currentIndex();
    QRect r;
    bool shown = !spisok->isHidden() && current.isValid() && current.row() < ws_.rowCount(ListKind::Melodies);
    if (shown) {
        r = spisok->visualRect(current);
        shown = r.top() >= 0 && r.top() < spisok->viewport()->height() - r.height();
    }
    if (!shown) {
        mel_imp->hide();
        Button2->hide();
        return;
    }
    const int row = current.row();
    const QPoint at = spisok->viewport()->mapTo(this, r.topLeft());
    const int top = at.y() + (r.height() - kRowBoxHeight) / 2;
    const int right = spisok->x() + spisok->width();
    mel_imp->setGeometry(right + 20, top, 260, kRowBoxHeight);
    Button2->setGeometry(right + 1, top + 2, 18, kRowBoxHeight - 4);
    const QString remembered = row < kMruSlots ? ws_.melodyFileNames()[size_t(row)] : QString();
    mel_imp->setText(remembered.isEmpty() ? QString() : QFileInfo(remembered).fileName());
    Button2->setEnabled(!ws_.image().isReversedOrderModel());
    mel_imp->show();
    Button2->show();
    mel_imp->raise();
    Button2->raise();
}

void MainWindow::importMelodyFile(int row, const QString& path) {
    const EditOutcome out = importMelody(ws_, row, path);
    if (out.ticked) melodyModel_->ticksChanged();
    placeMelodyRowControls();
    if (!out.message.isEmpty()) dialogs().showMessage(out.message, langText("8001"));
}

void MainWindow::play_bClick() {
    const int row = currentRow(ListKind::Melodies);
    if (row < 0) return;
    const QString file = QFileInfo(QDir(exportFolder()).filePath(melodyExportName(ws_, row, stringTexts()))).absoluteFilePath();
    if (Status s = exportMelody(ws_, row, file); !s) {
        dialogs().showError(s.message(), langText("016"));
        return;
    }
    // The player gets the file as its one argument and runs in its own folder; whether it
    // starts is its own business.
    const QFileInfo player(settings_.player);
    const bool bare = !settings_.player.contains(u'/') && !settings_.player.contains(u'\\');
    QProcess::startDetached(bare ? settings_.player : player.absoluteFilePath(), {file},
                            bare ? QString() : player.absolutePath());
}

void MainWindow::spisokDblClick() {
    const int row = currentRow(ListKind::Melodies);
    if (row < 0) return;
    const int named = melodyNameRow(ws_, row);
    if (named >= 0 && named < stringModel_->rowCount()) {
        spisok_s->setCurrentIndex(stringModel_->index(named));
        ExpressButton5Click();
    } else {
        play_bClick();
    }
}

void MainWindow::Button2Click() {
    if (currentRow(ListKind::Melodies) < 0) return;
    melName->clear();
    QStringList texts;
    for (const QString& t : stringTexts()) texts << t;
    melName->addItems(texts);
    melName->setCurrentIndex(texts.isEmpty() ? -1 : 0);
    melName->setGeometry(mel_imp->geometry());
    melName->show();
    melName->raise();
    melName->setFocus();
    melName->showPopup();
}

void MainWindow::melNameSelect(int index) {
    const int row = currentRow(ListKind::Melodies);
    if (row < 0 || index < 0) return;
    if (Status s = setMelodyName(ws_, row, index); !s) dialogs().showError(s.message(), langText("016"));
    spisok->viewport()->update();
}

}  // namespace qv
