#pragma once
// Shared test fixtures: temporary folders, a started component session, recorded messages.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace norvik::test {

// A fresh folder under /tmp, removed with everything in it at the end.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, without a trailing separator.
    const std::filesystem::path& path() const { return path_; }
    // A path inside the folder, as text.
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// Writes bytes to a file, creating its folders.
void WriteBytes(const std::string& path, const std::string& bytes);
// Reads a whole file as bytes.
std::string ReadBytes(const std::string& path);
// Windows-1252 bytes with CR LF from UTF-8 lines written with LF.
std::string DefinitionBytes(const std::string& utf8WithLf);

// The published GDPdU DTD the project carries.
std::string PublishedDtd();

}  // namespace norvik::test
