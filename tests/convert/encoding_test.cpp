// Base64, the stored-text encoding and the ANSI conversions through the DLL.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "include/elkBase.h"
#include "support/guarded.h"

namespace {

using Bytes = std::vector<BYTE>;

TEST(Base64Export, Encode) {
    EXPECT_EQ(base64_getlen(0), 1u);
    EXPECT_EQ(base64_getlen(1), 5u);
    EXPECT_EQ(base64_getlen(6), 9u);
    EXPECT_EQ(base64_getlen(0xFFFFFFFF), 0xFFFFFFFFu);

    const struct {
        const char* plain;
        const char* coded;
    } rows[] = {{"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foobar", "Zm9vYmFy"}, {"foobarfoobar!", "Zm9vYmFyZm9vYmFyIQ=="}};
    for (const auto& row : rows) {
        DWORD n = static_cast<DWORD>(strlen(row.plain));
        elktest::Guarded<char> out(base64_getlen(n));
        base64_encode(reinterpret_cast<const BYTE*>(row.plain), n, out.data());
        EXPECT_EQ(out.text(), row.coded);
        EXPECT_TRUE(out.intact());
    }
    // No line breaks however long the input.
    Bytes big(3000, 0xFF);
    std::string out(base64_getlen(3000), '#');
    base64_encode(big.data(), 3000, out.data());
    EXPECT_EQ(strlen(out.c_str()), 4000u);
    EXPECT_EQ(out.find_first_not_of('/'), 4000u);
}

struct Decoded {
    DWORD status;
    DWORD count;
    Bytes data;
};

Decoded decode(const wchar_t* text, DWORD capacity) {
    Bytes buffer(capacity + 8, 0xA5);
    DWORD count = capacity;
    SetLastError(0xdeadbeef);
    DWORD status = base64_decode(text, buffer.data(), &count);
    EXPECT_EQ(GetLastError(), 0xdeadbeefu);
    EXPECT_EQ(Bytes(buffer.begin() + capacity, buffer.end()), Bytes(8, 0xA5)) << "wrote past the capacity";
    size_t n = status == ERROR_INSUFFICIENT_BUFFER ? 0 : count;
    return {status, count, Bytes(buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(std::min<size_t>(n, capacity)))};
}

TEST(Base64Export, Decode) {
    struct Row {
        const wchar_t* text;
        DWORD capacity;
        DWORD status;
        DWORD count;
        std::string data;
    };
    const Row rows[] = {
        /* 0 */ {L"QQ==", 16, 0, 1, "A"},
        /* 1 */ {L"QQ", 16, ERROR_INVALID_PARAMETER, 0, ""},
        /* 2 */ {L"Q===", 16, ERROR_INVALID_PARAMETER, 0, ""},
        /* 3 */ {L"Zm9vYg", 16, ERROR_INVALID_PARAMETER, 3, "foo"},
        /* 4 */ {L"Zm9v\r\nYmFy", 16, 0, 6, "foobar"},
        /* 5 exact fit */ {L"Zm9vYmFy", 6, 0, 6, "foobar"},
        /* 6 one too small */ {L"Zm9vYmFy", 5, ERROR_INSUFFICIENT_BUFFER, 6, ""},
        /* 7 */ {L"Zm9vYmFy", 0, ERROR_INSUFFICIENT_BUFFER, 6, ""},
        /* 8 */ {L"", 0, 0, 0, ""},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        Decoded d = decode(rows[i].text, rows[i].capacity);
        EXPECT_EQ(d.status, rows[i].status) << "row " << i;
        EXPECT_EQ(d.count, rows[i].count) << "row " << i;
        EXPECT_EQ(d.data, Bytes(rows[i].data.begin(), rows[i].data.end())) << "row " << i;
    }
    DWORD count = 4;
    EXPECT_EQ(base64_decode(nullptr, nullptr, &count), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(base64_decode(L"QQ==", nullptr, nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

struct TextResult {
    DWORD status;
    DWORD count;
    std::wstring text;
};

TextResult code(DWORD(WINAPI* coder)(wchar_t*, const wchar_t*, DWORD*), const wchar_t* text, DWORD capacity) {
    elktest::GuardedText buffer(capacity);
    DWORD count = capacity;
    DWORD status = coder(buffer.data(), text, &count);
    EXPECT_TRUE(buffer.intact()) << "wrote past the capacity";
    return {status, count, buffer.text()};
}

TEST(StoredTextExport, EncodeAndDecode) {
    TextResult r = code(strEncode, L"A", 7);
    EXPECT_EQ(r.status, 0u);
    EXPECT_EQ(r.count, 6u);
    EXPECT_EQ(r.text, L"b?QQA=");
    r = code(strEncode, L"A", 6);
    EXPECT_EQ(r.status, static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(r.count, 7u);
    EXPECT_EQ(r.text, L"");

    r = code(strDecode, L"B?QQA=", 2);
    EXPECT_EQ(r.status, 0u);
    EXPECT_EQ(r.text, L"A");
    r = code(strDecode, L"b?QQBCAA==", 2);
    EXPECT_EQ(r.status, static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(r.count, 3u);
    r = code(strDecode, L"plain text", 64);
    EXPECT_EQ(r.status, 0u);
    EXPECT_EQ(r.count, 10u);
    EXPECT_EQ(r.text, L"plain text");
    r = code(strDecode, L"b?QQB", 64);
    EXPECT_EQ(r.status, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(r.text, L"");
    r = code(strDecode, nullptr, 64);
    EXPECT_EQ(r.status, 0u);
    EXPECT_EQ(r.count, 0u);
    EXPECT_EQ(strDecode(nullptr, L"x", nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    const std::wstring password = L"Gr\u00fc\u00dfe \u4e16\u754c \U0001F600";
    TextResult coded = code(strEncode, password.c_str(), 128);
    ASSERT_EQ(coded.status, 0u);
    TextResult plain = code(strDecode, coded.text.c_str(), 128);
    EXPECT_EQ(plain.status, 0u);
    EXPECT_EQ(plain.text, password);
}

TEST(AnsiConversion, RoundTripAndBounds) {
    wchar_t wide[16];
    EXPECT_EQ(basA2U("Hello", wide, 16), 6);
    EXPECT_STREQ(wide, L"Hello");
    char narrow[16];
    EXPECT_EQ(basU2A(L"Hello", narrow, 16), 6);
    EXPECT_STREQ(narrow, "Hello");

    // Too small: the system's failure, and the last element is the terminator.
    elktest::GuardedText w(4);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(basA2U("Hello", w.data(), 4), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(w[3], L'\0');
    EXPECT_TRUE(w.intact());
    elktest::Guarded<char> a(4);
    EXPECT_EQ(basU2A(L"Hello", a.data(), 4), 0);
    EXPECT_EQ(a[3], '\0');
    EXPECT_TRUE(a.intact());

    // Size 0 asks for the size and writes nothing.
    elktest::GuardedText none(0);
    EXPECT_EQ(basA2U("Hello", none.data(), 0), 6);
    EXPECT_TRUE(none.untouched());
    elktest::Guarded<char> narrowNone(0);
    EXPECT_EQ(basU2A(L"Hello", narrowNone.data(), 0), 6);
    EXPECT_TRUE(narrowNone.untouched());

    // A failed conversion leaves an empty text.
    std::wstring empty(8, L'#');
    EXPECT_EQ(basA2U(nullptr, empty.data(), 8), 0);
    EXPECT_EQ(empty[0], L'\0');
}

TEST(AnsiConversion, CharactersTheCodePageLacksBecomeItsDefault) {
    // U+0100 has the look-alike 'A' in the Western code page; the OS layer's
    // flags forbid it, so that one name never turns into another.
    if (GetACP() != 1252) GTEST_SKIP() << "needs the Western ANSI code page";
    char out[8];
    EXPECT_EQ(basU2A(L"\u0100x\u00e4", out, 8), 4);
    EXPECT_STREQ(out, "?x\xe4");
    wchar_t back[8];
    EXPECT_EQ(basA2U("\xe4\x80", back, 8), 3);
    EXPECT_STREQ(back, L"\u00e4\u20ac");
}

}  // namespace
