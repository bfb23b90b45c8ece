// A fresh folder under /tmp for one test's output, removed again with the object.
#pragma once

#include <filesystem>
#include <string>

#include <stdlib.h>

struct TScratch {
    TScratch() {
        char Template[] = "/tmp/trovelle-test-XXXXXX";
        Path = mkdtemp(Template);
    }
    ~TScratch() { std::filesystem::remove_all(Path); }
    TScratch(const TScratch&) = delete;
    TScratch& operator=(const TScratch&) = delete;

    std::string Folder() const { return Path + "/"; }
    // How many entries the sub-folder Sub holds (0 when there is none).
    size_t Files(const std::string& Sub) const {
        const std::filesystem::path Dir = std::filesystem::path(Path) / Sub;
        if (!std::filesystem::is_directory(Dir))
            return 0;
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(Dir), {}));
    }

    std::string Path;
};
