// A sentence the jobs say to a person, kept apart from its values so that the window can show
// it in the user's language while the command-line tool prints it in English: the English
// wording with %1, %2, … where the values go, and the values. The wordings are written with
// TROVELLE_WORDING, which marks them for the window's translation files (translations/, where
// lupdate reads the mark as QT_TRANSLATE_NOOP) under the one context kWordingContext.
#pragma once

#include <string>
#include <vector>

// The wording itself; Context is always "TWording".
#define TROVELLE_WORDING(Context, Text) Text

// The translations' context of every wording.
inline constexpr const char* kWordingContext = "TWording";

struct TWording {
    // Null when there is nothing to say.
    const char* Format = nullptr;
    std::vector<std::string> Args;

    bool Empty() const { return Format == nullptr; }
    // The English sentence: each %N replaced by Args[N - 1]; "" when Empty.
    std::string Text() const;
};
