#include "ui/FileDialog.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>

namespace {

// The file list's column of modification dates.
constexpr int DateColumn = 3;

// The file list with its dates written in the program's locale: the list itself writes them
// in the locale the system had when the program started ("11 Dec 2026" under C).
class TLocalDates final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole && index.column() == DateColumn)
            if (auto* files = qobject_cast<QFileSystemModel*>(sourceModel()))
                return QLocale().toString(files->lastModified(mapToSource(index)),
                                          QLocale::ShortFormat);
        return QIdentityProxyModel::data(index, role);
    }
};

QString Run(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new TLocalDates(&dialog));
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

QString GetExistingDirectory(QWidget* parent, const QString& caption) {
    QFileDialog dialog(parent, caption);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    return Run(dialog);
}
