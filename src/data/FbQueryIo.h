#pragma once
// Internal to the data-access unit: the transaction a single statement runs in.

class FbConnection;

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
