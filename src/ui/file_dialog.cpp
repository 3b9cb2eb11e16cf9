#include "ui/file_dialog.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLocale>
#include <QSortFilterProxyModel>
#include <QStyle>
#include <QTreeView>

namespace norvik::ui {
namespace {

FileDialog::Chooser& InjectedChooser() {
    static FileDialog::Chooser chooser;
    return chooser;
}

// Icons and type names from the file's kind and name alone. Qt's own provider asks the MIME
// database, which reads the first bytes of every file listed; opening and closing the host
// database or its journals that way would drop SQLite's locks on them.
class NameOnlyIconProvider : public QAbstractFileIconProvider {
  public:
    QIcon icon(IconType type) const override {
        return QApplication::style()->standardIcon(
            type == Folder || type == Drive ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
    }
    QIcon icon(const QFileInfo& info) const override { return icon(info.isDir() ? Folder : File); }
    QString type(const QFileInfo& info) const override {
        if (info.isDir()) return "Ordner";
        const QString suffix = info.suffix();
        return suffix.isEmpty() ? QString("Datei") : suffix.toUpper() + "-Datei";
    }
};

// The column of the modification time in Qt's file list.
constexpr int kDateColumn = 3;
// The column of the size.
constexpr int kSizeColumn = 1;
// German whatever the system's locale (LANG=C.UTF-8 would give "8 Dec 2026 14:51:21").
const char* const kDateFormat = "dd.MM.yyyy HH:mm";

// The file list with German dates, sorted as QFileSystemModel sorts: folders first, then by the
// column's value (the time, not its text).
class GermanDatesModel : public QSortFilterProxyModel {
  public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (role == Qt::DisplayRole && files) {
            const QLocale german(QLocale::German, QLocale::Germany);
            const QModelIndex source = mapToSource(index);
            if (index.column() == kDateColumn)
                return german.toString(files->lastModified(source), kDateFormat);
            if (index.column() == kSizeColumn && !files->isDir(source))
                return german.formattedDataSize(files->size(source));
        }
        return QSortFilterProxyModel::data(index, role);
    }

  protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override {
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (!files) return QSortFilterProxyModel::lessThan(left, right);
        if (files->isDir(left) != files->isDir(right))
            return (sortOrder() == Qt::AscendingOrder) == files->isDir(left);
        switch (left.column()) {
            case 1:
                return files->size(left) < files->size(right);
            case kDateColumn:
                return files->lastModified(left) < files->lastModified(right);
            default:
                return QString::compare(left.data().toString(), right.data().toString(),
                                        Qt::CaseInsensitive) < 0;
        }
    }
};

// Wide enough for the German date and time in the dialog's font.
void WidenDateColumn(QFileDialog& dialog) {
    auto* list = dialog.findChild<QTreeView*>("treeView");
    if (!list) return;
    const int width = list->fontMetrics().horizontalAdvance("00.00.0000 00:00") +
                      4 * list->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, list);
    if (list->header()->sectionSize(kDateColumn) < width)
        list->header()->resizeSection(kDateColumn, width);
}

// Qt's own dialog, never the platform's: a desktop's file chooser runs in this process too and
// sniffs the content of the files it lists.
void Prepare(QFileDialog& dialog, const FileQuestion& q) {
    static NameOnlyIconProvider provider;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontUseCustomDirectoryIcons);
    dialog.setIconProvider(&provider);
    dialog.setWindowTitle(QString::fromStdString(q.title));
    dialog.setProxyModel(new GermanDatesModel(&dialog));
    WidenDateColumn(dialog);
}

std::string AskQt(const FileQuestion& q) {
    QFileDialog dialog(q.owner);
    Prepare(dialog, q);
    if (q.folderOnly) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        if (!q.folder.empty() && QFileInfo(QString::fromStdString(q.folder)).isDir())
            dialog.setDirectory(QString::fromStdString(q.folder));
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().constFirst().toStdString()
                   : std::string();
    }
    const QString pattern = QString::fromStdString(q.pattern.empty() ? "*" : q.pattern);
    dialog.setNameFilter(q.filterName.empty()
                             ? pattern
                             : QString::fromStdString(q.filterName) + " (" + pattern + ")");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!q.folder.empty() && QFileInfo(QString::fromStdString(q.folder)).isDir())
        dialog.setDirectory(QString::fromStdString(q.folder));
    if (!q.fileName.empty()) dialog.selectFile(QString::fromStdString(q.fileName));
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
               ? dialog.selectedFiles().constFirst().toStdString()
               : std::string();
}

}  // namespace

std::string FileDialog::SelectFile(const std::string& folder, const std::string& fileName,
                                   const std::string& title, const std::string& filterName,
                                   const std::string& pattern, const std::string& extension,
                                   QWidget* owner) const {
    const FileQuestion question{folder, fileName, title, filterName, pattern, extension, owner};
    return InjectedChooser() ? InjectedChooser()(question) : AskQt(question);
}

std::string FileDialog::SelectFolder(int64_t /*ownerHandle*/, const std::string& prompt,
                                     int32_t /*root*/, int32_t& /*flags*/, QWidget* owner,
                                     const std::string& startFolder) const {
    FileQuestion question;
    question.title = prompt;
    question.folder = startFolder;
    question.owner = owner;
    question.folderOnly = true;
    return InjectedChooser() ? InjectedChooser()(question) : AskQt(question);
}

void FileDialog::SetChooser(Chooser chooser) {
    InjectedChooser() = std::move(chooser);
}

}  // namespace norvik::ui
