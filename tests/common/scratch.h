// A fresh folder under /tmp for one test's output, removed again with the object.
#pragma once

#include <algorithm>
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
        return static_cast<size_t>(std::count_if(std::filesystem::directory_iterator(Dir), {}, [](const auto& Entry) {
            return !IsClaimMarker(Entry.path().filename().string());
        }));
    }

    // The hidden files that hold a name for its video, which every run makes beside its outputs.
    static bool IsClaimMarker(const std::string& Name) {
        const std::string Suffix = ".trovelle-video";
        return Name.size() >= Suffix.size() && Name.compare(Name.size() - Suffix.size(), Suffix.size(), Suffix) == 0;
    }

    std::string Path;
};
