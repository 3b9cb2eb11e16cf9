#include "ui/file_dialog.h"

#include <QFileDialog>

namespace norvik::ui {
namespace {

FileDialog::Chooser& InjectedChooser() {
    static FileDialog::Chooser chooser;
    return chooser;
}

std::string AskQt(const FileQuestion& q) {
    if (q.folderOnly)
        return QFileDialog::getExistingDirectory(q.owner, QString::fromStdString(q.title),
                                                 QString::fromStdString(q.folder))
            .toStdString();
    QString start = QString::fromStdString(q.folder);
    if (!q.fileName.empty())
        start = start.isEmpty() ? QString::fromStdString(q.fileName)
                                : start + "/" + QString::fromStdString(q.fileName);
    const QString pattern = QString::fromStdString(q.pattern.empty() ? "*" : q.pattern);
    const QString filter = q.filterName.empty()
                               ? pattern
                               : QString::fromStdString(q.filterName) + " (" + pattern + ")";
    return QFileDialog::getSaveFileName(q.owner, QString::fromStdString(q.title), start, filter,
                                        nullptr, QFileDialog::DontConfirmOverwrite)
        .toStdString();
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
                                     int32_t /*root*/, int32_t& /*flags*/, QWidget* owner) const {
    FileQuestion question;
    question.title = prompt;
    question.owner = owner;
    question.folderOnly = true;
    return InjectedChooser() ? InjectedChooser()(question) : AskQt(question);
}

void FileDialog::SetChooser(Chooser chooser) {
    InjectedChooser() = std::move(chooser);
}

}  // namespace norvik::ui
