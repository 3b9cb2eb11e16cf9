#pragma once
// The host's file question: one FileDialog per question, QFileDialog behind it unless a test has
// put its own answer in.

#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

namespace norvik::ui {

// What a file question asks.
struct FileQuestion {
    std::string folder;      // the folder to start in, empty for the current one
    std::string fileName;    // the proposed file name
    std::string title;       // the window title
    std::string filterName;  // the name of the pattern
    std::string pattern;     // the file pattern, "*.*" for any file
    std::string extension;   // the default extension
    QWidget* owner = nullptr;
    bool folderOnly = false;  // a folder is asked for, not a file
};

class FileDialog {
  public:
    // Answers a question; returns the chosen path or empty for a cancel.
    using Chooser = std::function<std::string(const FileQuestion&)>;

    // Asks for a file name; returns the chosen path, empty when the user cancels.
    std::string SelectFile(const std::string& folder, const std::string& fileName,
                           const std::string& title, const std::string& filterName,
                           const std::string& pattern, const std::string& extension,
                           QWidget* owner = nullptr) const;

    // Asks for a folder with the prompt as title; owner and root are the host's window handle and
    // start folder id (0: none), flags its browse options, kept for the caller; the question
    // starts in startFolder when it exists. Empty on cancel.
    std::string SelectFolder(int64_t ownerHandle, const std::string& prompt, int32_t root,
                             int32_t& flags, QWidget* owner = nullptr,
                             const std::string& startFolder = {}) const;

    // Replaces QFileDialog for every later question (tests); an empty chooser restores it.
    static void SetChooser(Chooser chooser);
};

}  // namespace norvik::ui
