#include "vop_clock.h"

#include <cmath>

namespace {

// The most pictures of one kind waiting for the decoder to give them: more are never held back.
constexpr size_t kMaxWaiting = 64;

// Beyond this many seconds a packet's time is damage: counted in ticks it would overflow.
constexpr double kLongestSeconds = 1e12;

constexpr uint8_t kGroupCode = 0xB3, kPictureCode = 0xB6;
bool ObjectLayerCode(uint8_t Code) {
    return Code >= 0x20 && Code <= 0x2F;
}

// Reads bits from the most significant on; past the end it gives zeros and counts as failed.
class TBits {
public:
    TBits(const uint8_t* Data, const uint8_t* End) : FData(Data), FSize(static_cast<size_t>(End - Data)) {}
    uint32_t Get(int Count) {
        uint32_t Value = 0;
        for (int I = 0; I < Count; ++I) {
            uint32_t Bit = 0;
            if (FPosition < FSize * 8)
                Bit = FData[FPosition / 8] >> (7 - FPosition % 8) & 1;
            else
                FFailed = true;
            ++FPosition;
            Value = Value << 1 | Bit;
        }
        return Value;
    }
    bool Failed() const { return FFailed; }

private:
    const uint8_t* FData;
    size_t FSize;
    size_t FPosition = 0;
    bool FFailed = false;
};

// Calls Visit(Code, Payload, End) for each start code (00 00 01 Code) in Data, Payload pointing
// past it and End at the next start code or the end.
template <class TVisit> void ForEachStartCode(const uint8_t* Data, size_t Size, TVisit Visit) {
    const uint8_t* End = Data + Size;
    const auto Next = [End](const uint8_t* From) {
        for (const uint8_t* P = From; P + 3 < End; ++P)
            if (P[0] == 0 && P[1] == 0 && P[2] == 1)
                return P;
        return End;
    };
    for (const uint8_t* Code = Next(Data); Code != End;) {
        const uint8_t* Following = Next(Code + 4);
        Visit(Code[3], Code + 4, Following);
        Code = Following;
    }
}

} // namespace

void TVopClock::ReadHeaders(const uint8_t* Data, size_t Size) {
    if (!Data)
        return;
    ForEachStartCode(Data, Size, [this](uint8_t Code, const uint8_t* Payload, const uint8_t* End) {
        if (ObjectLayerCode(Code))
            ReadObjectLayer(Payload, End);
    });
}

void TVopClock::Restart() {
    FSecondKnown = false;
    FSecond = FSecondBefore = 0;
    FReferences.clear();
    FBidirectional.clear();
    FLastGiven = INT64_MIN;
}

void TVopClock::Read(const uint8_t* Data, size_t Size, double Around) {
    if (!Data || !FUsable)
        return;
    ForEachStartCode(Data, Size, [&](uint8_t Code, const uint8_t* Payload, const uint8_t* End) {
        if (ObjectLayerCode(Code))
            ReadObjectLayer(Payload, End);
        else if (Code == kGroupCode)
            ReadGroup(Payload, End);
        else if (Code == kPictureCode)
            ReadPicture(Payload, End, Around);
    });
}

void TVopClock::ReadObjectLayer(const uint8_t* Data, const uint8_t* End) {
    TBits Bits(Data, End);
    Bits.Get(1); // random access
    Bits.Get(8); // object type
    int Version = 1;
    if (Bits.Get(1)) {
        Version = static_cast<int>(Bits.Get(4));
        Bits.Get(3); // priority
    }
    if (Bits.Get(4) == 15) // an extended pixel shape
        Bits.Get(16);
    if (Bits.Get(1)) { // control parameters
        Bits.Get(3);   // chroma format, low delay
        if (Bits.Get(1))
            Bits.Get(79); // buffer parameters
    }
    const uint32_t Shape = Bits.Get(2);
    if (Shape == 3 && Version != 1)
        Bits.Get(4);
    Bits.Get(1);
    const int Resolution = static_cast<int>(Bits.Get(16));
    if (Bits.Failed() || Resolution == 0)
        return;
    if (FResolution != 0 && Resolution != FResolution) // times in the one cannot go on in the other
        return GiveUp();
    FResolution = Resolution;
    FIncrementBits = 1;
    while ((1 << FIncrementBits) < Resolution)
        ++FIncrementBits;
    Bits.Get(1);
    if (Bits.Get(1)) { // a fixed rate: every picture lasts as many ticks
        const int FrameTicks = static_cast<int>(Bits.Get(FIncrementBits));
        if (!Bits.Failed() && FrameTicks > 0)
            FFrameTicks = FrameTicks;
    }
}

void TVopClock::ReadGroup(const uint8_t* Data, const uint8_t* End) {
    TBits Bits(Data, End);
    const int64_t Hours = Bits.Get(5), Minutes = Bits.Get(6);
    Bits.Get(1);
    const int64_t Seconds = Bits.Get(6);
    if (Bits.Failed())
        return;
    // The decoder counts the pictures after it from this second, B-frames too.
    FSecond = FSecondBefore = Seconds + 60 * (Minutes + 60 * Hours);
    FSecondKnown = true;
}

void TVopClock::GiveUp() {
    FUsable = false;
    Restart();
}

void TVopClock::ReadPicture(const uint8_t* Data, const uint8_t* End, double Around) {
    // A picture whose time is not read would take the next one's: the decoder's times serve then.
    if (FResolution == 0)
        return GiveUp();
    TBits Bits(Data, End);
    const bool Bidirectional = Bits.Get(2) == 2;
    int64_t Seconds = 0;
    while (Bits.Get(1) && !Bits.Failed())
        ++Seconds;
    const bool Marked = Bits.Get(1);
    const int64_t Tick = Bits.Get(FIncrementBits);
    const bool MarkedAfter = Bits.Get(1);
    const bool Coded = Bits.Get(1);
    // The marker bits around the tick tell a header read with the wrong number of bits for it.
    if (Bits.Failed() || !Marked || !MarkedAfter || Tick >= FResolution)
        return GiveUp();
    if (!FSecondKnown) {
        // Where decoding starts anew, the second is the one nearest to when the container places
        // the picture: it places it a few frames late at most.
        if (!std::isfinite(Around) || std::fabs(Around) > kLongestSeconds)
            return GiveUp();
        const int64_t Nearest = std::llround(Around - static_cast<double>(Tick) / FResolution);
        FSecond = FSecondBefore = Nearest - Seconds;
        FSecondKnown = true;
    }
    int64_t Ticks = 0;
    if (Bidirectional) {
        Ticks = (FSecondBefore + Seconds) * FResolution + Tick;
    } else {
        // A placeholder (a VOP that is not coded) counts on the second as the decoder does.
        FSecondBefore = FSecond;
        FSecond += Seconds;
        Ticks = FSecond * FResolution + Tick;
    }
    if (!Coded)
        return;
    std::deque<int64_t>& Waiting = Bidirectional ? FBidirectional : FReferences;
    Waiting.push_back(Ticks);
    if (Waiting.size() > kMaxWaiting)
        Waiting.pop_front();
}

bool TVopClock::TimeOf(bool Bidirectional, int64_t& Ticks) {
    if (!FUsable)
        return false;
    std::deque<int64_t>& Waiting = Bidirectional ? FBidirectional : FReferences;
    // Pictures before the one given last were never given: the decoder dropped them.
    while (!Waiting.empty() && FLastGiven != INT64_MIN && Waiting.front() <= FLastGiven)
        Waiting.pop_front();
    if (Waiting.empty())
        return false;
    Ticks = FLastGiven = Waiting.front();
    Waiting.pop_front();
    return true;
}
