// Where the test videos are, and small helpers that ask the ffmpeg tools about them.
#pragma once

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

inline std::string Fixture(const std::string& Name) { return std::string(TEST_DATADIR) + "/" + Name; }

// Runs a shell command and returns what it printed on stdout.
inline std::string RunCommand(const std::string& Command) {
    std::string Output;
    if (FILE* Pipe = popen(Command.c_str(), "r")) {
        char Buffer[65536];
        size_t Read;
        while ((Read = fread(Buffer, 1, sizeof Buffer, Pipe)) > 0)
            Output.append(Buffer, Read);
        pclose(Pipe);
    }
    return Output;
}

inline std::string ShellQuote(const std::string& Text) {
    std::string Quoted = "'";
    for (char C : Text)
        Quoted += C == '\'' ? std::string("'\\''") : std::string(1, C);
    return Quoted + "'";
}

// A test name made from a file name: letters and digits kept, anything else "_".
inline std::string TestNameOf(const std::string& Text) {
    std::string Name;
    for (unsigned char C : Text)
        Name += std::isalnum(C) ? static_cast<char>(C) : '_';
    return Name;
}
