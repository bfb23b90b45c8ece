// Exports everything a decoding library must, except `convert`.
#include "decoder_api.h"

extern "C" {
int32_t openFile(const char*, int32_t, int32_t) { return -1; }
TDecoderFileInfo* getFileInfo() { return nullptr; }
TDecoderFrameInfo* getFrameInfo() { return nullptr; }
TDecoderFrame* getFrame() { return nullptr; }
TDecoderFrame* getNextFrame() { return nullptr; }
int32_t seek(int32_t) { return 0; }
}
