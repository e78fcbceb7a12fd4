// The cipher and digests against independently computed answers, and the parameter records.

#include <memory>

#include "data/CryptUtil.h"
#include "tests/data/DataTestSupport.h"

using namespace datatest;

namespace {

// Expected values computed outside this code base:
//   key  = first 16 bytes of `printf HarborLinenTusk | sha1sum`
//   data = `openssl enc -rc4 -K 24268df522c9fe3d85dcb096c6931665 -nosalt
//           -provider legacy -provider default`
const char kShortPlain[] = "XML_PARA_VER=1.0";
const char kShortCipherHex[] = "f6b5c0d0dd968b62a2ffb55ce51688a9";
// 1000 bytes i % 251: SHA-1 of the openssl output (reaches well past the 256-byte key table).
const char kLongCipherSha1[] = "33d54d17f8651cb414ddfeda2db560834d803c4b";

Bytes LongPlain() {
    Bytes b(1000);
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<uint8_t>(i % 251);
    return b;
}

std::string Sha1Hex(const Bytes& data) {
    CCryptUtil crypt;
    uint32_t len = 0;
    uint8_t* out = nullptr;
    EXPECT_EQ(crypt.GetHash(CALG_SHA1, static_cast<uint32_t>(data.size()), data.data(), &len, &out),
              1);
    std::unique_ptr<uint8_t[]> owned(out);
    return ToHex(out, len);
}

using CryptTest = CDataTest;

} // namespace

TEST_F(CryptTest, EnciphersLikeAnIndependentRc4WithTheFixedKey) {
    CCryptUtil crypt;
    for (int round = 0; round < 2; ++round) { // the keystream starts afresh on every call
        uint32_t len = 0;
        uint8_t* out = nullptr;
        ASSERT_EQ(crypt.Encrypt(16, reinterpret_cast<const uint8_t*>(kShortPlain), &len, &out), 1);
        std::unique_ptr<uint8_t[]> owned(out);
        ASSERT_EQ(len, 16u);
        EXPECT_EQ(ToHex(out, len), kShortCipherHex) << "round " << round;
    }

    Bytes plain = LongPlain();
    uint32_t len = 0;
    uint8_t* out = nullptr;
    ASSERT_EQ(crypt.Encrypt(1000, plain.data(), &len, &out), 1);
    Bytes cipher(out, out + len);
    delete[] out;
    EXPECT_EQ(Sha1Hex(cipher), kLongCipherSha1);

    // Any other instance holds the same key: both ways of deciphering give the plaintext back.
    CCryptUtil other;
    ASSERT_EQ(other.Decrypt(len, cipher.data(), &len, &out), 1);
    EXPECT_EQ(Bytes(out, out + len), plain);
    delete[] out;
    ASSERT_EQ(CCryptUtil().DecryptInPlace(len, cipher.data()), 1);
    EXPECT_EQ(cipher, plain);
    ExpectNoRecord();
}

TEST_F(CryptTest, ZeroLengthTextIsValidBothWays) {
    CCryptUtil crypt;
    const uint8_t none = 0;
    uint32_t len = 99;
    uint8_t* out = nullptr;
    ASSERT_EQ(crypt.Encrypt(0, &none, &len, &out), 1);
    EXPECT_EQ(len, 0u);
    EXPECT_NE(out, nullptr);
    delete[] out;
    len = 99;
    out = nullptr;
    ASSERT_EQ(crypt.Decrypt(0, &none, &len, &out), 1);
    EXPECT_EQ(len, 0u);
    delete[] out;
    ExpectNoRecord();
}

TEST_F(CryptTest, InitCryptIsIdempotentAndOnlyEncryptionPreparesTheKey) {
    CCryptUtil crypt;
    EXPECT_EQ(crypt.m_bReady, 0);
    uint32_t len = 0;
    uint8_t* out = nullptr;
    ASSERT_EQ(crypt.GetHash(CALG_MD5, 3, reinterpret_cast<const uint8_t*>("abc"), &len, &out), 1);
    delete[] out;
    EXPECT_EQ(crypt.m_bReady, 0) << "GetHash needs no key";
    EXPECT_EQ(crypt.InitCrypt(), 1);
    EXPECT_EQ(crypt.InitCrypt(), 1);
    EXPECT_EQ(crypt.m_bReady, 1);
}

TEST_F(CryptTest, DigestsOfKnownInputs) {
    // RFC 1319, 1320, 1321 and FIPS 180 test vectors.
    struct Case {
        uint32_t alg;
        std::string data;
        std::string hex;
    } cases[] = {
        {CALG_MD2, "abc", "da853b0d3f88d99b30283a69e6ded6bb"},
        {CALG_MD4, "abc", "a448017aaf21d8525fc10ae87aa6729d"},
        {CALG_MD5, "abc", "900150983cd24fb0d6963f7d28e17f72"},
        {CALG_MD5, "", "d41d8cd98f00b204e9800998ecf8427e"},
        {CALG_MD5,
         "12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
        {CALG_SHA1, "abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
    };
    CCryptUtil crypt;
    for (const Case& c : cases) {
        uint32_t len = 0;
        uint8_t* out = nullptr;
        ASSERT_EQ(crypt.GetHash(c.alg, static_cast<uint32_t>(c.data.size()),
                                reinterpret_cast<const uint8_t*>(c.data.data()), &len, &out),
                  1);
        EXPECT_EQ(len, c.hex.size() / 2);
        EXPECT_EQ(ToHex(out, len), c.hex) << std::hex << c.alg << " of '" << c.data << "'";
        delete[] out;
    }
    ExpectNoRecord();
}

TEST_F(CryptTest, AlgorithmsOutsideMd2ToSha1AreRefusedWithoutARecord) {
    CCryptUtil crypt;
    for (uint32_t alg : {0x8000u, 0x8005u, 0u, 0x6801u, 0xFFFFFFFFu}) {
        uint32_t len = 77;
        uint8_t* out = reinterpret_cast<uint8_t*>(&len);
        EXPECT_EQ(crypt.GetHash(alg, 3, reinterpret_cast<const uint8_t*>("abc"), &len, &out), 0);
        EXPECT_EQ(len, 77u);
        EXPECT_EQ(out, reinterpret_cast<uint8_t*>(&len));
    }
    ExpectNoRecord();
}

TEST_F(CryptTest, NullArgumentsGiveOneParameterRecordEach) {
    const uint8_t* text = reinterpret_cast<const uint8_t*>("Abc");
    const std::string invalid = "暗号化情報が不正です。";
    struct Case {
        const char* name;
        int (*call)(CCryptUtil&, const uint8_t*, uint32_t*, uint8_t**);
        const uint8_t* data;
        bool nullLen;
        bool nullOut;
        std::string function, check, message;
    };
    auto enc = [](CCryptUtil& c, const uint8_t* d, uint32_t* l, uint8_t** o) {
        return c.Encrypt(3, d, l, o);
    };
    auto dec = [](CCryptUtil& c, const uint8_t* d, uint32_t* l, uint8_t** o) {
        return c.Decrypt(3, d, l, o);
    };
    auto hash = [](CCryptUtil& c, const uint8_t* d, uint32_t* l, uint8_t** o) {
        return c.GetHash(CALG_MD5, 3, d, l, o);
    };
    const std::string encCheck = "暗号化パラメータチェック処理";
    const std::string decCheck = "復号化パラメータチェック処理";
    const std::string hashCheck = "ハッシュ取得パラメータチェック処理";
    // Text present: the first byte is shown as one character; text missing: only the size.
    const Case cases[] = {
        {"encrypt, no length out", enc, text, true, false, "CCryptUtil::Encrypt()", encCheck,
         invalid + " 平文サイズ【3】 平文【A】"},
        {"encrypt, no buffer out", enc, text, false, true, "CCryptUtil::Encrypt()", encCheck,
         invalid + " 平文サイズ【3】 平文【A】"},
        {"encrypt, no text", enc, nullptr, false, false, "CCryptUtil::Encrypt()", encCheck,
         invalid + " 平文サイズ【3】"},
        {"decrypt, no buffer out", dec, text, false, true, "CCryptUtil::Decrypt()", decCheck,
         invalid + " 暗号文サイズ【3】 暗号文【A】"},
        {"decrypt, no text", dec, nullptr, true, false, "CCryptUtil::Decrypt()", decCheck,
         invalid + " 暗号文サイズ【3】"},
        {"hash, no length out", hash, text, true, false, "CCryptUtil::GetHash()", hashCheck,
         invalid + " ハッシュアルゴリズムID【32771】 データ【3】"},
        {"hash, no data", hash, nullptr, false, false, "CCryptUtil::GetHash()", hashCheck,
         invalid + " ハッシュアルゴリズムID【32771】 データ【3】"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearLog();
        CCryptUtil crypt;
        uint32_t len = 77;
        uint8_t* out = reinterpret_cast<uint8_t*>(&len);
        EXPECT_EQ(c.call(crypt, c.data, c.nullLen ? nullptr : &len, c.nullOut ? nullptr : &out), 0);
        EXPECT_EQ(len, 77u);
        EXPECT_EQ(out, reinterpret_cast<uint8_t*>(&len));
        EXPECT_EQ(crypt.m_bReady, 0) << "no key work before the parameters are checked";
        ExpectOneRecord(c.function, c.check, c.message);
    }
    // The in-place variant checks its buffer like Decrypt does.
    ClearLog();
    EXPECT_EQ(CCryptUtil().DecryptInPlace(5, nullptr), 0);
    ExpectOneRecord("CCryptUtil::Decrypt()", decCheck, invalid + " 暗号文サイズ【5】");
}
