#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "runtime/internal/QxWireProtocol.h"
#include "support/StatusAssertions.h"
#include <cmath>
#include <cstring>
#include <limits>

namespace {

Qx_VariableList RequestEnv() {
    Qx_VariableList env(1);
    env.AddStr(L"GROUP_NAME", L"demo");
    env.AddStr(L"SERVICE_NAME", L"demo_customers_by_city");
    env.AddStr(L"SERVICE_TYPE", L"NORMAL");
    env.AddStr(L"LISTENER_ID", L"CLIENT");
    env.AddStr(L"REQUEST_ID", L"0");
    env.AddStr(L"CLIENT_IP", L"127.0.0.1");
    return env;
}

Qx_Dataset SampleDataset(int rows) {
    Qx_Dataset ds(L"output");
    ds.AddColumn(L"name", QX_VT_STRING, 80, 1);
    ds.AddColumn(L"n", QX_VT_INT, 4, 0);
    ds.AddColumn(L"big", QX_VT_INT64, 8, 0);
    ds.AddColumn(L"x", QX_VT_DOUBLE, 8, 0);
    ds.AddColumn(L"raw", QX_VT_BINARY, 16, 0);
    for (int r = 0; r < rows; ++r) {
        int row = ds.AppendRow();
        Qx_Variant v;
        Qx_WString name;
        name.Format(L"row %d \u00e9\u4e2d", r);
        ds.SetColumn(row, L"name", name.c_str());
        v.SetInt(r);
        ds.SetColumn(row, L"n", v);
        v.SetInt64(int64_t(r) << 40);
        ds.SetColumn(row, L"big", v);
        v.SetDouble(r / 3.0);
        ds.SetColumn(row, L"x", v);
        const char bytes[3] = {0, static_cast<char>(r), '\xff'};
        if (r % 7 != 0) {  // every seventh row keeps a null
            v.SetBinary(bytes, 3);
            ds.SetColumn(row, L"raw", v);
        }
    }
    return ds;
}

void ExpectSameDataset(const Qx_Dataset& a, const Qx_Dataset& b) {
    EXPECT_EQ(a.GetId(), b.GetId());
    ASSERT_EQ(a.GetColumnCount(), b.GetColumnCount());
    ASSERT_EQ(a.GetRowCount(), b.GetRowCount());
    for (int c = 0; c < a.GetColumnCount(); ++c) {
        EXPECT_EQ(a.GetColumnInfo(c)->name, b.GetColumnInfo(c)->name);
        EXPECT_EQ(a.GetColumnInfo(c)->type, b.GetColumnInfo(c)->type);
        EXPECT_EQ(a.GetColumnInfo(c)->size, b.GetColumnInfo(c)->size);
        EXPECT_EQ(a.GetColumnInfo(c)->flag, b.GetColumnInfo(c)->flag);
    }
    for (int r = 0; r < a.GetRowCount(); ++r)
        for (int c = 0; c < a.GetColumnCount(); ++c)
            ASSERT_TRUE(*a.GetColumn(r, nullptr, c) == *b.GetColumn(r, nullptr, c)) << "row " << r << " column " << c;
}

std::string EncodeSampleRequest() {
    Qx_VariableList vars(1);
    vars.AddStr(L"city", L"Lyon");
    Qx_Variant n;
    n.SetInt(-5);
    vars.Add(L"n", n);
    Qx_DatasetList datasets;
    datasets.Add(SampleDataset(3));
    std::string frame;
    QxWireCodec::EncodeRequest(RequestEnv(), vars, datasets, frame);
    return frame;
}

std::string EncodeSampleReply() {
    Qx_WStrList messages;
    messages.Add(L"first");
    messages.Add(L"");
    Qx_VariableList vars(1);
    vars.AddStr(L"count", L"3");
    Qx_DatasetList datasets;
    datasets.Add(SampleDataset(2));
    std::string frame;
    QxWireCodec::EncodeReply(-23, messages, vars, datasets, frame);
    return frame;
}

QxStatus DecodeRequest(const std::string& frame, uint32_t maxFrame = QxWireCodec::kDefaultMaxFrame) {
    Qx_VariableList env(1), vars(1);
    Qx_DatasetList datasets;
    return QxWireCodec::DecodeRequest(frame.data(), frame.size(), maxFrame, env, vars, datasets);
}

QxStatus DecodeReply(const std::string& frame) {
    long code = 0;
    Qx_WStrList messages;
    Qx_VariableList vars(1);
    Qx_DatasetList datasets;
    return QxWireCodec::DecodeReply(frame.data(), frame.size(), QxWireCodec::kDefaultMaxFrame, code, messages, vars,
                                    datasets);
}

void PutU32(std::string& frame, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) frame[at + i] = static_cast<char>((v >> (8 * i)) & 0xff);
}

// A frame with the given body behind a valid request header.
std::string RequestWithBody(const std::string& body) {
    std::string frame("QXWP\x01\x00\x01\x00", 8);
    frame.append(4, '\0');
    PutU32(frame, 8, static_cast<uint32_t>(body.size()));
    return frame + body;
}

std::string U32Bytes(uint32_t v) {
    std::string s(4, '\0');
    PutU32(s, 0, v);
    return s;
}

}  // namespace

// ---- round trips ----

struct ValueCase {
    const char* label;
    Qx_Variant value;
};

std::vector<ValueCase> ValueCases() {
    std::vector<ValueCase> cases;
    auto add = [&](const char* label, auto set) {
        Qx_Variant v;
        set(v);
        cases.push_back({label, v});
    };
    add("null", [](Qx_Variant& v) { v.SetNull(); });
    add("empty string", [](Qx_Variant& v) { v.SetString(L""); });
    add("string", [](Qx_Variant& v) { v.SetString(L"it's \"quoted\"; \u00e9\u4e2d\U0001F600"); });
    add("string with zero", [](Qx_Variant& v) { v.SetString(L"a\0b", 3); });
    add("int min", [](Qx_Variant& v) { v.SetInt(std::numeric_limits<int32_t>::min()); });
    add("int max", [](Qx_Variant& v) { v.SetInt(std::numeric_limits<int32_t>::max()); });
    add("int64 min", [](Qx_Variant& v) { v.SetInt64(std::numeric_limits<int64_t>::min()); });
    add("int64 max", [](Qx_Variant& v) { v.SetInt64(std::numeric_limits<int64_t>::max()); });
    add("double", [](Qx_Variant& v) { v.SetDouble(-1234.5678e-200); });
    add("double inf", [](Qx_Variant& v) { v.SetDouble(std::numeric_limits<double>::infinity()); });
    add("double nan", [](Qx_Variant& v) { v.SetDouble(std::nan("")); });
    add("empty binary", [](Qx_Variant& v) { v.SetBinary(nullptr, 0); });
    add("binary", [](Qx_Variant& v) { v.SetBinary("\0\x01\xff\x80zz", 6); });
    // Either side of what a cell holds in itself.
    add("string of 10", [](Qx_Variant& v) { v.SetString(L"0123456789"); });
    add("string of 11", [](Qx_Variant& v) { v.SetString(L"0123456789a"); });
    add("binary of 22", [](Qx_Variant& v) { v.SetBinary("0123456789012345678901", 22); });
    add("binary of 23", [](Qx_Variant& v) { v.SetBinary("01234567890123456789012", 23); });
    return cases;
}

TEST(WireProtocolRoundTrip, EveryValueTypeAsVariableAndCell) {
    for (const ValueCase& c : ValueCases()) {
        SCOPED_TRACE(c.label);
        Qx_VariableList vars(1);
        vars.Add(L"v", c.value);
        Qx_Dataset ds(L"d");
        ds.AddColumn(L"c", c.value.GetType(), 0, 0);
        ds.SetColumn(ds.AppendRow(), L"c", c.value);
        Qx_DatasetList datasets;
        datasets.Add(ds);
        std::string frame;
        QxWireCodec::EncodeRequest(RequestEnv(), vars, datasets, frame);

        Qx_VariableList env2(1), vars2(1);
        Qx_DatasetList datasets2;
        ASSERT_TRUE(IsOk(QxWireCodec::DecodeRequest(frame.data(), frame.size(), QxWireCodec::kDefaultMaxFrame, env2,
                                                    vars2, datasets2)));
        ASSERT_EQ(vars2.Count(), 1);
        EXPECT_EQ(vars2.GetItemNN(0)->GetName(), L"v");
        EXPECT_TRUE(static_cast<const Qx_Variant&>(*vars2.GetItemNN(0)) == c.value);
        ASSERT_EQ(datasets2.Count(), 1);
        ExpectSameDataset(ds, *datasets2.GetItemNN(0));
    }
}

TEST(WireProtocolRoundTrip, RequestKeepsEnvironmentInOrder) {
    std::string frame = EncodeSampleRequest();
    Qx_VariableList env(1), vars(1);
    Qx_DatasetList datasets;
    ASSERT_TRUE(IsOk(
        QxWireCodec::DecodeRequest(frame.data(), frame.size(), QxWireCodec::kDefaultMaxFrame, env, vars, datasets)));
    Qx_VariableList expected = RequestEnv();
    ASSERT_EQ(env.Count(), expected.Count());
    for (int i = 0; i < env.Count(); ++i) {
        EXPECT_EQ(env.GetItemNN(i)->GetName(), expected.GetItemNN(i)->GetName());
        EXPECT_EQ(env.GetItemNN(i)->ToString(), expected.GetItemNN(i)->ToString());
    }
    EXPECT_EQ(vars.GetItem(L"city")->ToString(), L"Lyon");
    EXPECT_EQ(vars.GetItem(L"n")->GetInteger(), -5);
}

TEST(WireProtocolRoundTrip, ReplyCarriesCodeMessagesAndAppendsToLists) {
    std::string frame = EncodeSampleReply();
    long code = 0;
    Qx_WStrList messages;
    Qx_VariableList vars(1);
    vars.AddStr(L"input", L"kept");
    Qx_DatasetList datasets;
    datasets.Add(Qx_Dataset(L"input"));
    ASSERT_TRUE(IsOk(QxWireCodec::DecodeReply(frame.data(), frame.size(), QxWireCodec::kDefaultMaxFrame, code, messages,
                                              vars, datasets)));
    EXPECT_EQ(code, -23);
    ASSERT_EQ(messages.Count(), 2);
    EXPECT_EQ(*messages.GetItem(0), L"first");
    EXPECT_EQ(*messages.GetItem(1), L"");
    ASSERT_EQ(vars.Count(), 2);
    EXPECT_EQ(vars.GetItemNN(0)->GetName(), L"input");
    EXPECT_EQ(vars.GetItemNN(1)->GetName(), L"count");
    ASSERT_EQ(datasets.Count(), 2);
    ExpectSameDataset(SampleDataset(2), *datasets.GetItemNN(1));
}

TEST(WireProtocolRoundTrip, EmptyAndLargeDatasets) {
    Qx_DatasetList datasets;
    datasets.Add(Qx_Dataset(L"no columns"));
    Qx_Dataset columnsOnly(L"columns only");
    columnsOnly.AddColumn(L"a", QX_VT_STRING, 10, 0);
    datasets.Add(columnsOnly);
    datasets.Add(SampleDataset(10000));
    std::string frame;
    QxWireCodec::EncodeReply(0, Qx_WStrList(), Qx_VariableList(1), datasets, frame);
    long code = 1;
    Qx_WStrList messages;
    Qx_VariableList vars(1);
    Qx_DatasetList out;
    ASSERT_TRUE(IsOk(QxWireCodec::DecodeReply(frame.data(), frame.size(), QxWireCodec::kDefaultMaxFrame, code, messages,
                                              vars, out)));
    EXPECT_EQ(code, 0);
    ASSERT_EQ(out.Count(), 3);
    for (int i = 0; i < 3; ++i) ExpectSameDataset(*datasets.GetItemNN(i), *out.GetItemNN(i));
}

TEST(WireProtocolRoundTrip, DecodedValuesOutliveTheFrameAndTheirList) {
    std::string* frame = new std::string(EncodeSampleReply());
    long code = 0;
    Qx_WStrList messages;
    Qx_VariableList vars(1);
    Qx_DatasetList* datasets = new Qx_DatasetList();
    ASSERT_TRUE(IsOk(QxWireCodec::DecodeReply(frame->data(), frame->size(), QxWireCodec::kDefaultMaxFrame, code,
                                              messages, vars, *datasets)));
    delete frame;
    Qx_Dataset copy(*datasets->GetItemNN(0));
    Qx_Variant cell(*datasets->GetItemNN(0)->GetColumn(1, L"name"));
    delete datasets;
    ExpectSameDataset(SampleDataset(2), copy);
    EXPECT_TRUE(cell == *SampleDataset(2).GetColumn(1, L"name"));
}

TEST(WireProtocolRoundTrip, RowsOfADatasetWithoutColumnsAreNotSent) {
    Qx_Dataset ds(L"bare");
    ds.AppendRow();
    ds.AppendRow();
    Qx_DatasetList datasets;
    datasets.Add(ds);
    std::string frame;
    QxWireCodec::EncodeRequest(Qx_VariableList(1), Qx_VariableList(1), datasets, frame);
    Qx_VariableList env(1), vars(1);
    Qx_DatasetList out;
    ASSERT_TRUE(
        IsOk(QxWireCodec::DecodeRequest(frame.data(), frame.size(), QxWireCodec::kDefaultMaxFrame, env, vars, out)));
    EXPECT_EQ(out.GetItemNN(0)->GetRowCount(), 0);
}

// ---- hostile frames ----

TEST(WireProtocolHostile, TruncationAtEveryByteIsRejected) {
    const std::string request = EncodeSampleRequest();
    for (size_t n = 0; n < request.size(); ++n)
        EXPECT_TRUE(Fails(DecodeRequest(request.substr(0, n)), QxCode::kBadFrame)) << "request cut at " << n;
    const std::string reply = EncodeSampleReply();
    for (size_t n = 0; n < reply.size(); ++n)
        EXPECT_TRUE(Fails(DecodeReply(reply.substr(0, n)), QxCode::kBadFrame)) << "reply cut at " << n;
}

TEST(WireProtocolHostile, BodyCutButHeaderPatchedToMatchIsRejected) {
    // The header claims exactly the bytes present, so only the content checks can catch it.
    const std::string request = EncodeSampleRequest();
    for (size_t n = QxWireCodec::kHeaderSize; n < request.size(); ++n) {
        std::string cut = request.substr(0, n);
        PutU32(cut, 8, static_cast<uint32_t>(n - QxWireCodec::kHeaderSize));
        EXPECT_TRUE(Fails(DecodeRequest(cut), QxCode::kBadFrame)) << "body cut at " << n;
    }
}

TEST(WireProtocolHostile, HeaderChecks) {
    std::string good = EncodeSampleRequest();
    struct Case {
        const char* label;
        size_t at;
        std::string bytes;
    } cases[] = {
        {"bad magic", 0, "QXWQ"},
        {"unknown version", 4, std::string("\x02\x00", 2)},
        {"version zero", 4, std::string("\x00\x00", 2)},
        {"unknown kind", 6, std::string("\x07\x00", 2)},
        {"reply kind for a request", 6, std::string("\x02\x00", 2)},
        {"length past the end", 8, U32Bytes(static_cast<uint32_t>(good.size()))},
        {"huge length", 8, U32Bytes(0xffffffffu)},
    };
    for (const Case& c : cases) {
        std::string frame = good;
        frame.replace(c.at, c.bytes.size(), c.bytes);
        EXPECT_TRUE(Fails(DecodeRequest(frame), QxCode::kBadFrame)) << c.label;
    }
}

TEST(WireProtocolHostile, FrameAboveTheLimitIsRefusedFromItsHeader) {
    std::string frame = EncodeSampleRequest();
    QxWireHeader header;
    EXPECT_TRUE(IsOk(QxWireCodec::ParseHeader(frame.data(), frame.size(), 1u << 20, header)));
    EXPECT_TRUE(Fails(QxWireCodec::ParseHeader(frame.data(), frame.size(), 16, header), QxCode::kBadFrame));
    EXPECT_TRUE(Fails(DecodeRequest(frame, 16), QxCode::kBadFrame));
}

TEST(WireProtocolHostile, CountsAndLengthsBeyondTheFrame) {
    const std::string emptyPairs = U32Bytes(0);
    const std::string noDatasets = U32Bytes(0);
    struct Case {
        const char* label;
        std::string body;
    } cases[] = {
        {"huge env count", U32Bytes(0xffffffffu)},
        {"negative env count", U32Bytes(0x80000000u)},
        {"variable count one past", emptyPairs + U32Bytes(1)},
        {"string length past end", U32Bytes(1) + U32Bytes(1000) + "ab"},
        {"odd string length", U32Bytes(1) + U32Bytes(1) + "a" + std::string("\x00", 1)},
        {"unknown value type", U32Bytes(1) + U32Bytes(0) + "\x09" + emptyPairs + noDatasets},
        {"binary length past end", U32Bytes(1) + U32Bytes(0) + "\x0d" + U32Bytes(0x7fffffffu)},
        {"huge dataset count", emptyPairs + emptyPairs + U32Bytes(0xfffffff0u)},
        {"huge column count", emptyPairs + emptyPairs + U32Bytes(1) + U32Bytes(0) + U32Bytes(0x40000000u)},
        {"rows without columns", emptyPairs + emptyPairs + U32Bytes(1) + U32Bytes(0) + U32Bytes(0) + U32Bytes(5)},
        {"huge row count", emptyPairs + emptyPairs + U32Bytes(1) + U32Bytes(0) + U32Bytes(1) + U32Bytes(0) +
                               std::string(12, '\0') + U32Bytes(0xffffffffu)},
        {"trailing bytes", emptyPairs + emptyPairs + noDatasets + "x"},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(Fails(DecodeRequest(RequestWithBody(c.body)), QxCode::kBadFrame)) << c.label;
    EXPECT_TRUE(IsOk(DecodeRequest(RequestWithBody(emptyPairs + emptyPairs + noDatasets))));
}

TEST(WireProtocolHostile, RandomCorruptionNeverCrashes) {
    const std::string good = EncodeSampleReply();
    uint32_t seed = 12345;
    int decoded = 0, refused = 0;
    for (int i = 0; i < 3000; ++i) {
        std::string frame = good;
        for (int k = 0; k < 3; ++k) {
            seed = seed * 1103515245u + 12345u;
            size_t at = QxWireCodec::kHeaderSize + (seed >> 8) % (frame.size() - QxWireCodec::kHeaderSize);
            frame[at] = static_cast<char>(seed >> 24);
        }
        const QxStatus status = DecodeReply(frame);
        if (status.ok()) {
            ++decoded;
        } else {
            ++refused;
            EXPECT_FALSE(status.reason().empty()) << "a refused frame says why (case " << i << ")";
        }
    }
    // Three flipped bytes in counts, lengths and type codes break most frames; a flip
    // inside a text or a number leaves a frame that still decodes.
    EXPECT_GT(refused, 0);
    EXPECT_GT(decoded, 0);
}

// Decoding counts what it makes: a frame of null cells (24 bytes each for 1 on the wire)
// stays within the bound per byte, and a lower limit fails the frame as soon as it is passed.
TEST(WireProtocolHostile, DecodedMemoryIsBoundedPerFrame) {
    Qx_Dataset nulls(L"output");
    nulls.AddColumn(L"a", QX_VT_INT, 4, 0);
    nulls.AddColumn(L"b", QX_VT_INT, 4, 0);
    for (int r = 0; r < 5000; ++r) nulls.AppendRow();
    Qx_DatasetList datasets;
    datasets.Add(nulls);
    std::string frame;
    QxWireCodec::EncodeReply(0, Qx_WStrList(), Qx_VariableList(1), datasets, frame);

    long code = 0;
    Qx_WStrList messages;
    Qx_VariableList vars(1);
    QxWireCodec::DecodeCost cost;
    {
        Qx_DatasetList out;
        ASSERT_TRUE(IsOk(QxWireCodec::DecodeReply(frame.data(), frame.size(), QxWireCodec::kDefaultMaxFrame, code,
                                                  messages, vars, out, &cost)));
        EXPECT_GE(cost.spent, 10000 * sizeof(Qx_Variant));
        EXPECT_LE(cost.spent, QxWireCodec::DecodeBound(frame.size()));
    }
    QxWireCodec::DecodeCost tight;
    tight.limit = 10000 * sizeof(Qx_Variant) - 1;
    Qx_DatasetList out;
    const QxStatus refused = QxWireCodec::DecodeReply(frame.data(), frame.size(), QxWireCodec::kDefaultMaxFrame, code,
                                                      messages, vars, out, &tight);
    EXPECT_TRUE(Fails(refused, QxCode::kTooLarge));
    EXPECT_NE(refused.reason().find(L"memory"), std::wstring::npos) << refused.reason();
    EXPECT_LE(tight.spent, tight.limit);
    // A limit above the bound per byte is not taken: the bound stays, and this frame is within it.
    QxWireCodec::DecodeCost loose;
    loose.limit = SIZE_MAX;
    Qx_DatasetList again;
    EXPECT_TRUE(IsOk(QxWireCodec::DecodeReply(frame.data(), frame.size(), QxWireCodec::kDefaultMaxFrame, code, messages,
                                              vars, again, &loose)));
}
