#pragma once
// The wire protocol between a client's TCP adaptor and the service server.
//
// Frame = header (12 bytes) + body. Every integer is little-endian.
//
//   header  magic   4 bytes  "QXWP"
//           version u16      1 (QxWireCodec::kVersion); any other version is refused
//           kind    u16      1 request, 2 reply
//           length  u32      body bytes that follow; at most the receiver's maximum frame size
//
//   string  := u32 byte count (even) + UTF-16LE code units, no terminator
//   value   := u8 type + payload, by type (the Qx_Variant type codes):
//                0 null: nothing         1 string: string
//                2 int: i32              3 int64: i64
//                4 double: IEEE-754 64   13 binary: u32 byte count + bytes
//   pairs   := u32 count + count x (string name, value)        (variables; the
//                                                             environment as string values)
//   dataset := string id, u32 columns, columns x (string name, i32 type, i32 size, i32 flag),
//              u32 rows, rows x columns x value
//              (a dataset without columns carries no rows: there is nothing in them)
//   datasets:= u32 count + count x dataset
//
//   request body := pairs (environment: "GROUP_NAME", "SERVICE_NAME", "SERVICE_TYPE",
//                   "LISTENER_ID", "REQUEST_ID", "CLIENT_IP", all strings), pairs
//                   (variables), datasets
//   reply body   := i32 result code (0 success), u32 count + count x string (messages),
//                   pairs (variables), datasets
//
// One connection may carry several request/reply exchanges, one after the other.
//
// Decoding trusts nothing: every count and length is checked against the bytes that
// remain in the body (each element needs at least its smallest encoding) before anything
// is allocated, the body must be used up exactly, and the header's length is checked
// against the maximum frame size before the body is read. Running out of memory fails
// the frame; nothing is thrown.
//
// What decoded items cost, counted by the decoder before it makes them (text(n): a name,
// id or message of n characters, 2n + 2 bytes):
//   variable   sizeof(Qx_Variable) + text(name)      56 + text on x86_64, 48 on i686
//   message    sizeof(Qx_WString) + text             32 + text, 24 + text
//   dataset    sizeof(Qx_Dataset) + text(id)         136 + text, 80 + text
//   column     sizeof(Qx_DatasetColumn) + text(name) 48 + text, 36 + text
//   cell       sizeof(Qx_Variant), 24 on both, in one block per dataset of rows x columns
//   payload    a text of more than 10 characters (2n + 2 bytes) or bytes of more than 22,
//              rounded up to even, in the dataset's text store (a variable's: a block of
//              its own)
// The most per byte of a frame is 24, a null cell (1 byte on the wire); the store may
// hold up to about as much again unused as it holds, and allocators add their own.
// Decoding stops, failing the frame with kTooLarge, once the count would pass a bound: by
// default DecodeBound(frame bytes), 32 bytes per byte of the frame, or less when the caller
// says (a budget shared with others).
#include "foundation/Qx_DatasetList.h"
#include "foundation/Qx_VariableList.h"
#include "foundation/Qx_WStrList.h"
#include "foundation/Qx_WString.h"
#include "platform/QxStatus.h"
#include <cstddef>
#include <cstdint>
#include <string>

enum QxWireKind : uint16_t { QX_WIRE_REQUEST = 1, QX_WIRE_REPLY = 2 };

// A parsed frame header.
struct QxWireHeader {
    uint16_t version = 0;
    uint16_t kind = 0;
    uint32_t length = 0;  // body bytes
};

// Encoding and decoding of whole frames. Encoding appends to out; decoding never throws.
// A frame that fails to decode is kBadFrame, the reason saying what broke, or kTooLarge
// past the bound or kOutOfMemory (the outputs may then hold part of the frame).
class QxWireCodec {
public:
    static const uint16_t kVersion = 1;
    static const size_t kHeaderSize = 12;
    // The default largest body a receiver accepts: 64 MiB.
    static const uint32_t kDefaultMaxFrame = 64u * 1024u * 1024u;

    static void EncodeRequest(const Qx_VariableList& env, const Qx_VariableList& variables,
                              const Qx_DatasetList& datasets, std::string& out);
    static void EncodeReply(long code, const Qx_WStrList& messages, const Qx_VariableList& variables,
                            const Qx_DatasetList& datasets, std::string& out);

    // Checks the first kHeaderSize bytes: magic, version, a known kind and a length no
    // larger than maxFrame. kBadFrame otherwise.
    static QxStatus ParseHeader(const char* bytes, size_t count, uint32_t maxFrame, QxWireHeader& header);

    // What decoding a frame of frameBytes bytes may take, counted as above.
    static const size_t kDecodeFactor = 32;
    static const size_t kDecodeSlack = 4096;
    static size_t DecodeBound(size_t frameBytes) {
        return frameBytes > (SIZE_MAX - kDecodeSlack) / kDecodeFactor ? SIZE_MAX
                                                                      : kDecodeFactor * frameBytes + kDecodeSlack;
    }

    // What a decoding may take and took: at most `limit` bytes (0: DecodeBound of the frame,
    // and never more than that); `spent` is what the decoded items took, as counted above.
    struct DecodeCost {
        size_t limit = 0;
        size_t spent = 0;
    };

    // Decode a whole frame (header and body). The decoded items are appended to the lists.
    static QxStatus DecodeRequest(const char* frame, size_t size, uint32_t maxFrame, Qx_VariableList& env,
                                  Qx_VariableList& variables, Qx_DatasetList& datasets, DecodeCost* cost = nullptr);
    // The reply's variables and datasets are appended straight to the caller's lists, so
    // that a large reply is never copied; after a failure they may hold part of it.
    static QxStatus DecodeReply(const char* frame, size_t size, uint32_t maxFrame, long& code, Qx_WStrList& messages,
                                Qx_VariableList& variables, Qx_DatasetList& datasets, DecodeCost* cost = nullptr);
};
