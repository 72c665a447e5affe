// The integrity-library stand-in: published digests, the password digest
// and the simple coding.
#include "base/suite/ozrCmnIS.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "suite/suite_test.h"

using suitetest::hex;

namespace {

std::string md5(const std::string& data) {
    MD5_CTX context;
    BYTE digest[16];
    EXPECT_EQ(0u, MD5Init(&context));
    EXPECT_EQ(0u, MD5Update(&context, data.empty() ? nullptr : data.data(), static_cast<DWORD>(data.size())));
    EXPECT_EQ(0u, MD5Final(digest, &context));
    return hex(digest, 16);
}

}  // namespace

TEST(Md5, Rfc1321TestSuite) {
    struct Case {
        const char *text, *digest;
    } cases[] = {
        /* 1 */ {"", "d41d8cd98f00b204e9800998ecf8427e"},
        /* 2 */ {"a", "0cc175b9c0f1b6a831c399e269772661"},
        /* 3 */ {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        /* 4 */ {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        /* 5 */ {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        /* 6 */ {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        /* 7 */
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].digest, md5(cases[i].text)) << "case " << i + 1;
}

TEST(Md5, PiecesGiveTheSameDigest) {
    const std::string text = "12345678901234567890123456789012345678901234567890123456789012345678901234567890";
    MD5_CTX context;
    BYTE digest[16];
    ASSERT_EQ(0u, MD5Init(&context));
    for (char c : text) ASSERT_EQ(0u, MD5Update(&context, &c, 1));
    ASSERT_EQ(0u, MD5Final(digest, &context));
    EXPECT_EQ("57edf4a22be3c955ac49da2e2107b67a", hex(digest, 16));
}

TEST(Md5, MisuseIsRefused) {
    MD5_CTX context;
    memset(&context, 0, sizeof(context));
    BYTE digest[16];
    EXPECT_EQ(87u, MD5Init(nullptr));
    EXPECT_EQ(87u, MD5Update(&context, "x", 1));  // never started
    EXPECT_EQ(87u, MD5Final(digest, &context));
    ASSERT_EQ(0u, MD5Init(&context));
    EXPECT_EQ(87u, MD5Update(&context, nullptr, 1));
    // A final call without a digest still ends the context.
    EXPECT_EQ(87u, MD5Final(nullptr, &context));
    EXPECT_EQ(87u, MD5Update(&context, "x", 1));
}

TEST(Sha256, PublishedVectors) {
    struct Case {
        std::string text;
        const char* digest;
    } cases[] = {
        /* 1 */ {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        /* 2 */ {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        /* 3 */
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        BYTE digest[32];
        const std::string& t = cases[i].text;
        ASSERT_EQ(0u, sha256GenerateHash(t.empty() ? nullptr : t.data(), static_cast<DWORD>(t.size()), digest));
        EXPECT_EQ(cases[i].digest, hex(digest, 32)) << "case " << i + 1;
    }
    BYTE digest[32];
    EXPECT_EQ(87u, sha256GenerateHash("abc", 3, nullptr));
    EXPECT_EQ(87u, sha256GenerateHash(nullptr, 3, digest));
}

TEST(Mda, PasswordDigestIsFixed) {
    // MD5 over "TarvoMDA" and the UTF-16LE text with its terminator: stored
    // digests must stay valid from one version to the next.
    struct Case {
        const wchar_t* password;
        const char* digest;
    } cases[] = {
        /* 1 */ {L"secret", "19df6ff802789b5762e11e2575f5a9c7"},
        /* 2 */ {L"", "7d4ba2299f68fbf286891836da921dbc"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        BYTE digest[16];
        DWORD bytes = static_cast<DWORD>((wcslen(cases[i].password) + 1) * sizeof(wchar_t));
        ASSERT_EQ(0u, mdaGenerate(cases[i].password, bytes, digest));
        EXPECT_EQ(cases[i].digest, hex(digest, 16)) << "case " << i + 1;
    }
    BYTE digest[16];
    EXPECT_EQ(87u, mdaGenerate(L"x", 0, digest));
    EXPECT_EQ(87u, mdaGenerate(nullptr, 4, digest));
    EXPECT_EQ(87u, mdaGenerate(L"x", 4, nullptr));
}

TEST(SimpleCode, KeystreamIsTheDocumentedOne) {
    // Coding zeros shows the keystream (see the suite's README).
    struct Case {
        DWORD parameter;
        const char* keystream;
    } cases[] = {
        /* 1 */ {0, "160e5f051256e5331bc9d7d0a7f9fa76"},
        /* 2 */ {0x1234, "b41098cc74843ab3fa9421aa4e146592"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        BYTE block[16] = {};
        ASSERT_EQ(0u, cyphSimpleCode(block, sizeof(block), 0, cases[i].parameter));
        EXPECT_EQ(cases[i].keystream, hex(block, sizeof(block))) << "case " << i + 1;
    }
}

TEST(SimpleCode, BlocksDecodeWithTheSameDivision) {
    std::vector<BYTE> original(150000);
    for (size_t i = 0; i < original.size(); ++i) original[i] = static_cast<BYTE>(i * 31 + (i >> 8));
    auto codeInBlocks = [](std::vector<BYTE>& data, size_t block) {
        for (size_t at = 0; at < data.size(); at += block) {
            DWORD n = static_cast<DWORD>(std::min(block, data.size() - at));
            ASSERT_EQ(0u, cyphSimpleCode(data.data() + at, n, 0, 0));
        }
    };
    std::vector<BYTE> data = original;
    codeInBlocks(data, 65536);
    EXPECT_NE(original, data);
    // Every block starts the keystream afresh: the third block (shorter)
    // begins like the first.
    std::vector<BYTE> first(data.begin(), data.begin() + 16), third(data.begin() + 131072, data.begin() + 131088);
    std::vector<BYTE> plainFirst(original.begin(), original.begin() + 16),
        plainThird(original.begin() + 131072, original.begin() + 131088);
    for (size_t i = 0; i < 16; ++i) EXPECT_EQ(first[i] ^ plainFirst[i], third[i] ^ plainThird[i]);

    std::vector<BYTE> wrongDivision = data;
    codeInBlocks(wrongDivision, 4096);
    EXPECT_NE(original, wrongDivision);
    codeInBlocks(data, 65536);
    EXPECT_EQ(original, data);
}

TEST(SimpleCode, Arguments) {
    BYTE byte = 0x41;
    EXPECT_EQ(87u, cyphSimpleCode(nullptr, 1, 0, 0));
    EXPECT_EQ(87u, cyphSimpleCode(&byte, 1, 1, 0));
    EXPECT_EQ(0x41, byte);
    EXPECT_EQ(0u, cyphSimpleCode(nullptr, 0, 0, 0));
    EXPECT_EQ(0u, cyphSimpleCode(&byte, 0, 0, 0));
    EXPECT_EQ(0x41, byte);
}
