#pragma once

#include "database/datebasefunction.h"
#include "elements.h"
#include "testdatadir.h"

// A database as a first start leaves it, in a data directory of its own:
// corvane.db with the seed rows and the table of stored users.
class FreshDatabase
{
public:
    FreshDatabase();
    ~FreshDatabase();

    DatebaseFunction &db() { return m_db; }
    TestDataDir &dir() { return m_dir; }
    bool exec(const QString &sql) { return m_db.connection().execSql(sql); }

private:
    TestDataDir m_dir;
    DatebaseFunction m_db;
};
