#include "exceptions.h"

#include <cstdio>
#include <cstring>

std::string SysErrorMessage(int Code) {
    char Buffer[256];
    // The GNU strerror_r returns the text, which need not be in Buffer.
    return strerror_r(Code, Buffer, sizeof Buffer);
}

void RaiseLastOSError(int Code, const std::string& Text) {
    if (Code == 0 && Text.empty())
        throw EOSError(0, "A call to an OS function failed");
    char Head[64];
    std::snprintf(Head, sizeof Head, "System Error.  Code: %d.", Code);
    throw EOSError(Code, std::string(Head) + "\r\n" + (Text.empty() ? SysErrorMessage(Code) : Text));
}
