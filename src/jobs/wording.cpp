#include "wording.h"

#include <cctype>
#include <cstddef>

std::string TWording::Text() const {
    if (Empty())
        return {};
    std::string Result;
    for (const char* P = Format; *P; ++P) {
        if (*P == '%' && std::isdigit(static_cast<unsigned char>(P[1]))) {
            size_t N = 0;
            while (std::isdigit(static_cast<unsigned char>(P[1])))
                N = N * 10 + static_cast<size_t>(*++P - '0');
            if (N >= 1 && N <= Args.size()) {
                Result += Args[N - 1];
                continue;
            }
            Result += '%';
            Result += std::to_string(N);
            continue;
        }
        Result += *P;
    }
    return Result;
}
