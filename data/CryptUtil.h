#pragma once

#include <cstdint>
#include <string>

#include <nettle/arcfour.h>

#include "app/ErrorLog.h"

// Hash algorithm identifiers as the data files and callers name them.
constexpr uint32_t CALG_MD2 = 0x8001;
constexpr uint32_t CALG_MD4 = 0x8002;
constexpr uint32_t CALG_MD5 = 0x8003;
constexpr uint32_t CALG_SHA1 = 0x8004;

// Why the last CreateDataFile/ReadDataFile call on an instance did not succeed. The result codes
// stay as they are (1/0 and 0/1/4); this only lets a caller such as nsrtool say what went wrong.
enum class EDataFault {
    None,
    Parameter,      // empty path or null pointer
    Encipher,       // the cipher key for writing could not be prepared
    Open,           // the file (or the temporary file beside it) cannot be opened
    Status,         // the file's size cannot be obtained
    TooShort,       // below the 8 bytes of the two length fields
    DigestTooLarge, // the digest length field reaches beyond the end of the file
    Read,           // fewer bytes arrived than the file's size promised
    SizeMismatch,   // the file is not exactly as long as its length fields say
    DigestMismatch, // the stored digest does not match the ciphertext
    Decipher,       // the cipher key for reading could not be prepared
    Write,          // writing, flushing or replacing the file failed
};

// RC4 cipher under the fixed key, digests, and the reader and writer of the data files (*.nsr).
// Every failure is recorded through the instance's own log; nothing is shown to the user here.
// Buffers handed back are new uint8_t[] owned by the caller (delete[]).
class CCryptUtil {
public:
    CCryptUtil();
    ~CCryptUtil();
    CCryptUtil(const CCryptUtil&) = delete;
    CCryptUtil& operator=(const CCryptUtil&) = delete;

    // 1 when the key is ready (also when it already was), 0 on failure.
    int InitCrypt();
    // 1 with both outputs set, 0 with the outputs untouched.
    int Encrypt(uint32_t dwLen, const uint8_t* pData, uint32_t* pdwOutLen, uint8_t** ppOut);
    int Decrypt(uint32_t dwLen, const uint8_t* pData, uint32_t* pdwOutLen, uint8_t** ppOut);
    // Deciphers the bytes where they lie (no copy); checks and records are those of Decrypt.
    int DecryptInPlace(uint32_t dwLen, uint8_t* pData);
    // MD2, MD4, MD5 or SHA-1 of the data; any other algorithm gives 0 without a record.
    int GetHash(uint32_t dwAlgId, uint32_t dwLen, const uint8_t* pData, uint32_t* pdwOutLen,
                uint8_t** ppOut);

    // 1 the file was written, 0 it was not (the previous file, if any, is then left as it was).
    int CreateDataFile(std::string strPath, uint32_t dwLen, const uint8_t* pData);
    // 0 read and both outputs set; 1 failure, recorded; 4 the file is not intact, not recorded.
    int ReadDataFile(std::string strPath, uint32_t* pdwLen, uint8_t** ppData);

    // The reason for the last failed CreateDataFile/ReadDataFile (None after a success).
    EDataFault GetLastFault() const { return m_nLastFault; }
    // One line of English for tools, e.g. "cannot open: No such file or directory".
    std::string GetLastFaultText() const;

    int m_bReady; // 1 once the key exists (set only by InitCrypt)
    CErrorLog m_log;

private:
    struct CipherLabels;
    int _Apply(const CipherLabels& labels, uint32_t dwLen, const uint8_t* pData,
               uint32_t* pdwOutLen, uint8_t** ppOut);
    void _SetFault(EDataFault nFault, int nErrno = 0, uint64_t qwSize = 0, uint64_t qwNeeded = 0);
    int _FailWrite(int nErrno);
    // The cipher and digest work of the data files, done by the fresh second instance. Large
    // texts go through in chunks on two threads (RC4 on a helper, MD5 and I/O on the caller's).
    // Enciphers pData into pOut while writing the ciphertext to fd; 0 with *pnErr on a failed
    // write.
    int _EncipherToFile(uint32_t dwLen, const uint8_t* pData, uint8_t* pOut, int fd,
                        uint8_t* pDigest, int* pnErr);
    // Reads dwLen bytes of ciphertext from fd into pData, digests and deciphers them in place;
    // 0 with *pnErr (0: end of file) when fewer bytes arrive.
    int _ReadAndDecipher(int fd, uint32_t dwLen, uint8_t* pData, uint8_t* pDigest, int* pnErr);

    arcfour_ctx m_rc4Key; // key schedule of the fixed key; copied so each call starts afresh
    EDataFault m_nLastFault = EDataFault::None;
    int m_nLastErrno = 0;
    uint64_t m_qwFaultSize = 0;   // size of the file as found
    uint64_t m_qwFaultNeeded = 0; // size its fields call for
};
