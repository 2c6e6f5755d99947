// The three calls of the transport library Dravik.dll, as the transfer
// manager calls them: 32-bit arguments by value (the handle is pointer-sized
// on 64-bit Windows), a 32-bit result, stdcall on 32-bit Windows, exported
// under the plain names.
//
//   usbRead_init(inPipe, blocks)  nonzero: ready to read `blocks` data blocks
//                                 from the in pipe with this handle
//   usbRead_readQueue(buffer)     nonzero: the next data block of the file is
//                                 in the 16384-byte buffer; 0: the read failed
//                                 (or no block is left)
//   usbRead_cancel()              ends the queued read; gives 1
#pragma once

#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define DRAVIK_CALL __stdcall
#else
#define DRAVIK_CALL
#endif

namespace dravik {

using InitFunction = std::int32_t(DRAVIK_CALL*)(std::intptr_t inPipe, std::int32_t blocks);
using ReadQueueFunction = std::int32_t(DRAVIK_CALL*)(std::uint8_t* buffer);
using CancelFunction = std::int32_t(DRAVIK_CALL*)();

inline constexpr const char* kLibraryName = "Dravik.dll";
inline constexpr const char* kInitName = "usbRead_init";
inline constexpr const char* kReadQueueName = "usbRead_readQueue";
inline constexpr const char* kCancelName = "usbRead_cancel";

}  // namespace dravik
