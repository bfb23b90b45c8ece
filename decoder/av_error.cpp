#include "av_error.h"

extern "C" {
#include <libavutil/error.h>
}

std::string AvErrorText(int Code) {
    char Text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(Code, Text, sizeof Text);
    return Text;
}

int CheckRc(int Code, const std::string& What) {
    if (Code < 0)
        throw TAvError(What + ": " + AvErrorText(Code));
    return Code;
}
