#include "runtime/internal/QxWireProtocol.h"
#include <cstdint>
#include <cstring>
#include <new>

static_assert(sizeof(wchar_t) == 2, "UTF-16 text is copied as it is held");

namespace {

const char kMagic[4] = {'Q', 'X', 'W', 'P'};

// Smallest encodings, used to bound counts before anything is allocated.
const size_t kMinString = 4;
const size_t kMinValue = 1;
const size_t kMinPair = kMinString + kMinValue;
const size_t kMinColumn = kMinString + 12;
const size_t kMinDataset = kMinString + 4 + 4;

// x86 is little-endian, like the wire: numbers and UTF-16 text are copied as they are held.
class Writer {
public:
    explicit Writer(std::string& out) : out_(out) {}

    void U8(uint8_t v) { out_.push_back(static_cast<char>(v)); }
    void U16(uint16_t v) { Raw(&v, 2); }
    void U32(uint32_t v) { Raw(&v, 4); }
    void I32(int32_t v) { Raw(&v, 4); }
    void I64(int64_t v) { Raw(&v, 8); }
    void F64(double v) { Raw(&v, 8); }
    void Bytes(const char* data, size_t count) {
        U32(static_cast<uint32_t>(count));
        out_.append(data, count);
    }
    void Text(const wchar_t* text, size_t length) {
        U32(static_cast<uint32_t>(length * 2));
        out_.append(reinterpret_cast<const char*>(text), length * 2);
    }
    void String(const Qx_WString& text) { Text(text.c_str(), static_cast<size_t>(text.GetLength())); }
    void Value(const Qx_Variant& v) {
        U8(static_cast<uint8_t>(v.GetType()));
        switch (v.GetType()) {
        case QX_VT_STRING: Text(v.GetText(), static_cast<size_t>(v.GetTextLength())); break;
        case QX_VT_INT: I32(static_cast<int32_t>(v.GetInteger())); break;
        case QX_VT_INT64: I64(v.GetInteger()); break;
        case QX_VT_DOUBLE: F64(v.GetDouble()); break;
        case QX_VT_BINARY: Bytes(v.GetBytes(), static_cast<size_t>(v.GetByteCount())); break;
        default: break;  // null carries nothing
        }
    }
    void Pairs(const Qx_VariableList& list) {
        U32(static_cast<uint32_t>(list.Count()));
        for (int i = 0; i < list.Count(); ++i) {
            const Qx_Variable* v = list.GetItemNN(i);
            String(v->GetName());
            Value(*v);
        }
    }
    void Dataset(const Qx_Dataset& ds) {
        String(ds.GetId());
        const int columns = ds.GetColumnCount();
        U32(static_cast<uint32_t>(columns));
        for (int c = 0; c < columns; ++c) {
            const Qx_DatasetColumn* info = ds.GetColumnInfo(c);
            String(info->name);
            I32(info->type);
            I32(info->size);
            I32(info->flag);
        }
        const int rows = columns > 0 ? ds.GetRowCount() : 0;
        U32(static_cast<uint32_t>(rows));
        for (int r = 0; r < rows; ++r) {
            const Qx_Variant* cells = ds.GetRowCells(r);
            for (int c = 0; c < columns; ++c) Value(cells[c]);
        }
    }
    void Datasets(const Qx_DatasetList& list) {
        U32(static_cast<uint32_t>(list.Count()));
        for (int i = 0; i < list.Count(); ++i) Dataset(*list.GetItemNN(i));
    }
    // Reserves the header; the body length is filled in by Finish.
    size_t Begin(QxWireKind kind) {
        size_t start = out_.size();
        out_.append(kMagic, 4);
        U16(QxWireCodec::kVersion);
        U16(kind);
        U32(0);
        return start;
    }
    void Finish(size_t start) {
        uint32_t length = static_cast<uint32_t>(out_.size() - start - QxWireCodec::kHeaderSize);
        memcpy(&out_[start + 8], &length, 4);
    }

private:
    void Raw(const void* v, size_t bytes) { out_.append(static_cast<const char*>(v), bytes); }
    std::string& out_;
};

// What the decoded items take in memory, as the header tells.
size_t TextCost(size_t chars) { return (chars + 1) * sizeof(wchar_t); }
size_t PayloadCost(int type, uint32_t count) {
    return Qx_Variant::FitsInline(type, count) ? 0 : (Qx_Variant::PayloadBytes(type, count) + 1) & ~size_t(1);
}

// Reads a body; the first failure sticks and names what broke. Every item is written
// where it stays (cells straight into their dataset's rows and text store), and what it
// costs is counted against budget before it is made.
class Reader {
public:
    Reader(const char* data, size_t size) : p_(reinterpret_cast<const unsigned char*>(data)), left_(size) {}
    void Limit(size_t budget) { budget_ = budget; }

    bool ok() const { return status_.ok(); }
    const QxStatus& status() const { return status_; }
    size_t left() const { return left_; }
    size_t spent() const { return spent_; }
    bool Fail(const wchar_t* what, QxCode code = QxCode::kBadFrame) {
        if (ok()) status_ = QxStatus(code, what);
        left_ = 0;
        return false;
    }

    uint64_t Raw(int bytes) {
        if (!ok() || left_ < static_cast<size_t>(bytes)) return Fail(L"frame ends inside a number"), 0;
        uint64_t v = 0;
        memcpy(&v, p_, static_cast<size_t>(bytes));
        p_ += bytes;
        left_ -= static_cast<size_t>(bytes);
        return v;
    }
    uint8_t U8() { return static_cast<uint8_t>(Raw(1)); }
    uint32_t U32() { return static_cast<uint32_t>(Raw(4)); }
    int32_t I32() { return static_cast<int32_t>(static_cast<uint32_t>(Raw(4))); }

    // A count of elements that each need at least minSize bytes.
    bool Count(size_t minSize, uint32_t& count, const wchar_t* what) {
        count = U32();
        if (!ok()) return false;
        if (static_cast<uint64_t>(count) * minSize > left_) return Fail(what);
        return true;
    }
    // The byte count of a text or binary payload, checked against what remains.
    bool Length(uint32_t& bytes, bool text) {
        bytes = U32();
        if (!ok()) return false;
        if (bytes > left_)
            return Fail(text ? L"string length runs past the end of the frame"
                             : L"binary length runs past the end of the frame");
        if (text && bytes % 2 != 0) return Fail(L"string length is odd");
        return true;
    }
    bool String(Qx_WString& out) {
        uint32_t bytes = 0;
        if (!Length(bytes, true)) return false;
        // Copied bytewise: the text need not be aligned in the frame.
        if (bytes > 0)
            memcpy(out.GetSafeBuffer(static_cast<int>(bytes / 2)), p_, bytes);
        else
            out.Empty();
        Skip(bytes);
        return true;
    }
    bool Spend(size_t bytes) {
        if (bytes <= budget_ - spent_) {
            spent_ += bytes;
            return true;
        }
        if (ok()) {
            Qx_WString text;
            text.Format(L"the frame's content would take more than the %llu bytes of memory allowed for it",
                        static_cast<unsigned long long>(budget_));
            Fail(text.c_str(), QxCode::kTooLarge);
        }
        return false;
    }
    // A value into v; long payloads go to store when given, else to a block of v's own.
    bool Value(Qx_Variant& v, Qx_Dataset* store) {
        uint8_t type = U8();
        if (!ok()) return false;
        switch (type) {
        case QX_VT_NULL: v.SetNull(); return true;
        case QX_VT_STRING:
        case QX_VT_BINARY: {
            uint32_t bytes = 0;
            if (!Length(bytes, type == QX_VT_STRING)) return false;
            uint32_t count = type == QX_VT_STRING ? bytes / 2 : bytes;
            if (!Spend(PayloadCost(type, count))) return false;
            char* to = store ? store->PreparePayload(v, type, count) : v.PreparePayload(type, count);
            memcpy(to, p_, bytes);
            Skip(bytes);
            return true;
        }
        case QX_VT_INT: v.SetInt(I32()); return ok();
        case QX_VT_INT64: v.SetInt64(static_cast<int64_t>(Raw(8))); return ok();
        case QX_VT_DOUBLE: {
            uint64_t bits = Raw(8);
            double d = 0;
            memcpy(&d, &bits, sizeof d);
            v.SetDouble(d);
            return ok();
        }
        default: return Fail(L"unknown value type");
        }
    }
    bool Pairs(Qx_VariableList& list) {
        uint32_t count = 0;
        if (!Count(kMinPair, count, L"variable count exceeds the frame")) return false;
        for (uint32_t i = 0; i < count; ++i) {
            Qx_WString name;
            if (!String(name) || !Spend(sizeof(Qx_Variable) + TextCost(name.GetLength()))) return false;
            Qx_Variable& v = *list.GetItemNN(list.Add(Qx_Variable(name.c_str(), Qx_Variant())));
            if (!Value(v, nullptr)) return false;
        }
        return true;
    }
    bool Messages(Qx_WStrList& messages) {
        uint32_t count = 0;
        if (!Count(kMinString, count, L"message count exceeds the frame")) return false;
        for (uint32_t i = 0; i < count; ++i) {
            Qx_WString text;
            if (!String(text) || !Spend(sizeof(Qx_WString) + TextCost(text.GetLength()))) return false;
            messages.Add(text.c_str());
        }
        return true;
    }
    bool Dataset(Qx_DatasetList& list) {
        Qx_WString id;
        if (!String(id) || !Spend(sizeof(Qx_Dataset) + TextCost(id.GetLength()))) return false;
        // Filled in place, so that a large dataset is never copied.
        Qx_Dataset& ds = *list.GetItemNN(list.AddDataset(id.c_str(), Qx_Dataset()));
        uint32_t columns = 0;
        if (!Count(kMinColumn, columns, L"column count exceeds the frame")) return false;
        for (uint32_t c = 0; c < columns; ++c) {
            Qx_WString name;
            if (!String(name)) return false;
            int32_t type = I32(), size = I32(), flag = I32();
            if (!ok() || !Spend(sizeof(Qx_DatasetColumn) + TextCost(name.GetLength()))) return false;
            ds.AddColumn(name.c_str(), type, size, flag);
        }
        uint32_t rows = U32();
        if (!ok()) return false;
        if (rows > 0 && columns == 0) return Fail(L"rows in a dataset without columns");
        const uint64_t cells = static_cast<uint64_t>(rows) * columns;
        if (cells * kMinValue > left_ || rows > INT32_MAX) return Fail(L"row count exceeds the frame");
        if (!Spend(static_cast<size_t>(cells) * sizeof(Qx_Variant))) return false;
        ds.ReserveRows(static_cast<int>(rows));
        for (uint32_t r = 0; r < rows; ++r) {
            Qx_Variant* row = ds.GetRowCells(ds.AppendRow());
            for (uint32_t c = 0; c < columns; ++c)
                if (!Value(row[c], &ds)) return false;
        }
        return true;
    }
    bool Datasets(Qx_DatasetList& list) {
        uint32_t count = 0;
        if (!Count(kMinDataset, count, L"dataset count exceeds the frame")) return false;
        for (uint32_t i = 0; i < count; ++i)
            if (!Dataset(list)) return false;
        return true;
    }

private:
    void Skip(size_t bytes) {
        p_ += bytes;
        left_ -= bytes;
    }

    const unsigned char* p_;
    size_t left_;
    QxStatus status_;
    size_t spent_ = 0;
    size_t budget_ = SIZE_MAX;
};

// Checks the header of a whole frame and that its body is all there; gives the body.
QxStatus OpenFrame(const char* frame, size_t size, uint32_t maxFrame, QxWireKind kind, const char*& body,
                   size_t& bodySize) {
    QxWireHeader header;
    QxStatus status = QxWireCodec::ParseHeader(frame, size, maxFrame, header);
    if (!status.ok()) return status;
    if (header.kind != kind)
        return QxStatus(QxCode::kBadFrame,
                        kind == QX_WIRE_REQUEST ? L"frame is not a request" : L"frame is not a reply");
    if (size - QxWireCodec::kHeaderSize != header.length)
        return QxStatus(QxCode::kBadFrame, L"frame length does not match its header");
    body = frame + QxWireCodec::kHeaderSize;
    bodySize = header.length;
    return QxStatus();
}

// Opens a whole frame of the given kind and runs a decoding step over its body within its
// limit; running out of memory fails the frame instead of throwing. The body must be used
// up exactly.
template <class Step>
QxStatus DecodeBody(const char* frame, size_t size, uint32_t maxFrame, QxWireKind kind, QxWireCodec::DecodeCost* cost,
                    Step step) {
    const char* body = nullptr;
    size_t bodySize = 0;
    QxStatus opened = OpenFrame(frame, size, maxFrame, kind, body, bodySize);
    if (!opened.ok()) return opened;
    Reader in(body, bodySize);
    const size_t bound = QxWireCodec::DecodeBound(size);
    in.Limit(cost && cost->limit != 0 && cost->limit < bound ? cost->limit : bound);
    try {
        step(in);
    } catch (const std::bad_alloc&) {
        in.Fail(L"not enough memory to decode the frame", QxCode::kOutOfMemory);
    }
    if (cost) cost->spent = in.spent();
    if (in.ok() && in.left() != 0) return QxStatus(QxCode::kBadFrame, L"bytes left over after the frame's content");
    return in.status();
}

}  // namespace

void QxWireCodec::EncodeRequest(const Qx_VariableList& env, const Qx_VariableList& variables,
                                const Qx_DatasetList& datasets, std::string& out) {
    Writer w(out);
    size_t start = w.Begin(QX_WIRE_REQUEST);
    w.Pairs(env);
    w.Pairs(variables);
    w.Datasets(datasets);
    w.Finish(start);
}

void QxWireCodec::EncodeReply(long code, const Qx_WStrList& messages, const Qx_VariableList& variables,
                              const Qx_DatasetList& datasets, std::string& out) {
    Writer w(out);
    size_t start = w.Begin(QX_WIRE_REPLY);
    w.I32(static_cast<int32_t>(code));
    w.U32(static_cast<uint32_t>(messages.Count()));
    for (int i = 0; i < messages.Count(); ++i) w.String(*messages.GetItem(i));
    w.Pairs(variables);
    w.Datasets(datasets);
    w.Finish(start);
}

QxStatus QxWireCodec::ParseHeader(const char* bytes, size_t count, uint32_t maxFrame, QxWireHeader& header) {
    if (!bytes || count < kHeaderSize) return QxStatus(QxCode::kBadFrame, L"frame shorter than its header");
    if (memcmp(bytes, kMagic, 4) != 0)
        return QxStatus(QxCode::kBadFrame, L"frame does not start with the protocol's mark");
    Reader in(bytes + 4, kHeaderSize - 4);
    header.version = static_cast<uint16_t>(in.Raw(2));
    header.kind = static_cast<uint16_t>(in.Raw(2));
    header.length = in.U32();
    Qx_WString text;
    if (header.version != kVersion) {
        text.Format(L"unsupported protocol version %u", static_cast<unsigned>(header.version));
        return QxStatus(QxCode::kBadFrame, text.str());
    }
    if (header.kind != QX_WIRE_REQUEST && header.kind != QX_WIRE_REPLY)
        return QxStatus(QxCode::kBadFrame, L"unknown frame kind");
    if (header.length > maxFrame) {
        text.Format(L"frame of %lu bytes exceeds the limit of %lu", static_cast<unsigned long>(header.length),
                    static_cast<unsigned long>(maxFrame));
        return QxStatus(QxCode::kBadFrame, text.str());
    }
    return QxStatus();
}

QxStatus QxWireCodec::DecodeRequest(const char* frame, size_t size, uint32_t maxFrame, Qx_VariableList& env,
                                    Qx_VariableList& variables, Qx_DatasetList& datasets, DecodeCost* cost) {
    return DecodeBody(frame, size, maxFrame, QX_WIRE_REQUEST, cost,
                      [&](Reader& in) { return in.Pairs(env) && in.Pairs(variables) && in.Datasets(datasets); });
}

QxStatus QxWireCodec::DecodeReply(const char* frame, size_t size, uint32_t maxFrame, long& code, Qx_WStrList& messages,
                                  Qx_VariableList& variables, Qx_DatasetList& datasets, DecodeCost* cost) {
    return DecodeBody(frame, size, maxFrame, QX_WIRE_REPLY, cost, [&](Reader& in) {
        code = in.I32();
        return in.ok() && in.Messages(messages) && in.Pairs(variables) && in.Datasets(datasets);
    });
}
