#pragma once

#include <string>

// A fresh directory under the system's temporary folder, removed with everything in it.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::string& root() const { return root_; }
    std::string path(const std::string& name) const { return root_ + "/" + name; }
    // Writes the bytes to a file under the directory (creating its folders) and returns its path.
    std::string write(const std::string& name, const std::string& bytes) const;

private:
    std::string root_;
};

std::string readWholeFile(const std::string& path);
