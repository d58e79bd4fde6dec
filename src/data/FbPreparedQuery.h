#pragma once
// A query prepared once and run many times, for a statement repeated pass
// after pass: each run binds the values, executes in a transaction of its
// own (or the connection's explicit one) and fetches the whole result, as
// FbQuery::open does, without preparing the statement again.

#include "data/FbClient.h"

#include <memory>

class FbPreparedQuery {
public:
    explicit FbPreparedQuery(FbConnection& connection);
    ~FbPreparedQuery();
    FbPreparedQuery(const FbPreparedQuery&) = delete;
    FbPreparedQuery& operator=(const FbPreparedQuery&) = delete;

    // Runs `sql`, preparing it first when it is new, when its text changed or
    // when the connection was closed or attached again since. Opens the
    // connection if it is closed. The rows are read through result().
    void open(const QString& sql, const FbValues& values = {});
    FbQuery& result() { return m_result; }
    // The next open() prepares the statement again, so that it takes the
    // server's current plan (a new index, fresh statistics).
    void reset();

private:
    struct Prepared;
    void drop();

    FbConnection& m_conn;
    std::unique_ptr<Prepared> m_prepared;
    FbQuery m_result;
};
