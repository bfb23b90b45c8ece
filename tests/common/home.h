// HOME set to a value, or unset, for the life of one object, and put back afterwards.
#pragma once

#include <cstdlib>
#include <string>

struct THome {
    // Value null: HOME is unset.
    explicit THome(const char* Value) {
        if (const char* Old = std::getenv("HOME")) {
            Saved = Old;
            HadHome = true;
        }
        if (Value)
            setenv("HOME", Value, 1);
        else
            unsetenv("HOME");
    }
    ~THome() {
        if (HadHome)
            setenv("HOME", Saved.c_str(), 1);
        else
            unsetenv("HOME");
    }
    THome(const THome&) = delete;
    THome& operator=(const THome&) = delete;

    std::string Saved;
    bool HadHome = false;
};
