// TVopClock reads the times that MPEG-4 video pictures (VOPs: DivX, Xvid) carry in their own
// headers: the second, counted on from the reference picture before it in decoding order (or set
// by a group-of-VOP header), and the tick within that second.
//
// An AVI stores only the decoding order; the times FFmpeg guesses for its pictures are those of
// the packets the decoder gives them out with. Xvid and DivX 5 "packed" files put a B-frame into
// the packet of the reference picture before it and a placeholder of a few bytes (a VOP that is
// not coded) where the reference picture is due. The guess then runs a frame late after the
// empty packets an encoder leaves at the start; and the decoder, which holds a packed B-frame back
// until the next packet comes, never gives the one it holds when the packets end, so that the
// last picture follows the one before by two or three frames, not one. The pictures' own times
// are right in either case.
//
// The decoder gives pictures in the order they are shown, each one either of a packet's reference
// pictures (I, P, S), in the order they were read, or of its B-frames, in the order they were read;
// pictures it never gives (the B-frame held back at the end, a B-frame without its reference
// after a seek) lie before the one it gives next. So the time of a picture it gives is the first time
// not yet taken of its kind that lies after the picture given before.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

class TVopClock {
public:
    // Reads the time resolution from the stream's header (the codec's extradata), if it holds one.
    void ReadHeaders(const uint8_t* Data, size_t Size);
    // Forgets the pictures read and the running second: decoding starts anew (after a seek).
    void Restart();
    // Reads the picture headers of a packet on its way to the decoder. Around: roughly when its
    // first picture is shown, in seconds on the clock of the pictures' own times; it tells the
    // second where decoding starts anew without a header that states it. NaN when not known.
    void Read(const uint8_t* Data, size_t Size, double Around);
    // The time of the picture the decoder gave, in ticks of 1 / Resolution() seconds: of the B-frames
    // when Bidirectional, else of the reference pictures. False when the packets did not tell it,
    // and for good once a picture's header could not be read.
    bool TimeOf(bool Bidirectional, int64_t& Ticks);
    // Ticks a second; 0 before a header stated it.
    int Resolution() const { return FResolution; }
    // Ticks a picture lasts where the header states a fixed rate, else 0.
    int FrameTicks() const { return FFrameTicks; }

private:
    // The packets' times cannot be followed (a header that cannot be read): none are told from now.
    void GiveUp();
    void ReadObjectLayer(const uint8_t* Data, const uint8_t* End);
    void ReadGroup(const uint8_t* Data, const uint8_t* End);
    void ReadPicture(const uint8_t* Data, const uint8_t* End, double Around);

    int FResolution = 0;
    int FIncrementBits = 0;
    int FFrameTicks = 0;
    bool FUsable = true;       // false once a header changed the resolution
    bool FSecondKnown = false; // the running second counts from the start, or a group stated it
    int64_t FSecond = 0;       // of the latest reference picture
    int64_t FSecondBefore = 0; // before the latest reference picture: B-frames count from it
    std::deque<int64_t> FReferences, FBidirectional;
    int64_t FLastGiven = INT64_MIN; // the time of the picture given last
};
