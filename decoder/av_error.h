// One place turns FFmpeg's error codes into the library's error type, with the
// av_strerror text and what was being done.
#pragma once

#include <stdexcept>
#include <string>

class TAvError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The av_strerror text of an FFmpeg error code.
std::string AvErrorText(int Code);

// Raises TAvError ("What: text") when Code is negative; returns Code otherwise.
int CheckRc(int Code, const std::string& What);
