#include "ui/file_dialog.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QStyle>

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

// Qt's own dialog, never the platform's: a desktop's file chooser runs in this process too and
// sniffs the content of the files it lists.
void Prepare(QFileDialog& dialog, const FileQuestion& q) {
    static NameOnlyIconProvider provider;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontUseCustomDirectoryIcons);
    dialog.setIconProvider(&provider);
    dialog.setWindowTitle(QString::fromStdString(q.title));
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
