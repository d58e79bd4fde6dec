#pragma once
// Internal to the data-access unit: the transaction a single statement runs
// in, and the decoding of one column value.

#include <QVariant>

class FbConnection;

// A non-null value of a column other than a blob, from the client's buffer:
// `sqltype` without its null flag, with the column's scale, subtype (the
// character set of text) and length. Values with a time zone read in the
// local zone; 128-bit integers beyond 64 bits as their decimal text;
// decimal floating point as the nearest double.
QVariant fbDecodeValue(int sqltype, int sqlscale, int sqlsubtype, int sqllen, const char* data);

// Uses the connection's explicit transaction when one is active; otherwise
// starts its own, which commit() commits and the destructor rolls back.
class FbAutoTransaction {
public:
    explicit FbAutoTransaction(FbConnection& c);
    ~FbAutoTransaction();
    FbAutoTransaction(const FbAutoTransaction&) = delete;
    FbAutoTransaction& operator=(const FbAutoTransaction&) = delete;
    unsigned int* handle();
    void commit();

private:
    FbConnection& m_conn;
    unsigned int m_own = 0;
};
