#include "ui/FileDialog.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QListView>
#include <QLocale>
#include <QScrollBar>
#include <QSplitter>
#include <algorithm>

namespace {

// The file list's columns of sizes and of modification dates.
constexpr int SizeColumn = 1;
constexpr int DateColumn = 3;

// The file list with its sizes and dates written in the program's locale: the list itself
// writes them in the locale the system had when the program started ("0 bytes",
// "11 Dec 2026" under C).
class TLocalFileList final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (!files || role != Qt::DisplayRole)
            return QIdentityProxyModel::data(index, role);
        const QModelIndex file = mapToSource(index);
        if (index.column() == DateColumn)
            return QLocale().toString(files->lastModified(file), QLocale::ShortFormat);
        if (index.column() == SizeColumn && !files->isDir(file))
            return QLocale().formattedDataSize(files->size(file));
        return QIdentityProxyModel::data(index, role);
    }
};

// The side bar as wide as its longest place name ("コンピュータ" and the folders): the dialog
// gives it a width made for shorter names.
void FitSideBar(QFileDialog& dialog) {
    auto* sideBar = dialog.findChild<QListView*>("sidebar");
    auto* splitter = dialog.findChild<QSplitter*>("splitter");
    if (!sideBar || !splitter || splitter->count() < 2)
        return;
    const int width = sideBar->sizeHintForColumn(0) + 2 * sideBar->frameWidth() +
                      sideBar->verticalScrollBar()->sizeHint().width();
    QList<int> sizes = splitter->sizes();
    if (sizes[0] >= width)
        return;
    sizes[1] = std::max(0, sizes[1] - (width - sizes[0]));
    sizes[0] = width;
    splitter->setSizes(sizes);
}

QString Run(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new TLocalFileList(&dialog));
    FitSideBar(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

} // namespace

QString GetSaveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                        const QString& filter) {
    QFileDialog dialog(parent, caption, suggested, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    return Run(dialog);
}

QString GetExistingDirectory(QWidget* parent, const QString& caption, const QString& start) {
    QFileDialog dialog(parent, caption, start);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    return Run(dialog);
}
