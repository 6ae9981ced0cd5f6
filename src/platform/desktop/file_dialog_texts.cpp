#include "platform/desktop/file_dialog_texts.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>

namespace {

// QFileSystemModel's columns: name, size, type, date modified.
constexpr int SizeColumn = 1, DateColumn = 3;

class LocalFileColumns : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex &index, int role) const override
    {
        const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
        if (role == Qt::DisplayRole && files && (index.column() == SizeColumn || index.column() == DateColumn)) {
            const QModelIndex source = mapToSource(index);
            if (index.column() == DateColumn)
                return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
            if (!files->isDir(source))
                return QLocale().formattedDataSize(files->size(source));
        }
        return QIdentityProxyModel::data(index, role);
    }
};

} // namespace

void prepareFileDialog(QFileDialog &dialog)
{
    // Qt's dialog, not the desktop's: in the program's language whatever the desktop's.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new LocalFileColumns(&dialog));
}
