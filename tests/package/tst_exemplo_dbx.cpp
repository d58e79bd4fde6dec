#include "support/Paths.h"
#include <QtTest>

#include "data/ConnectionDefinition.h"

#include <QFile>

// The example connection file shipped with the package, read by the program's
// own reader: its notes must stay notes, and its section must be found.
class TstExemploDbx : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsAsOneDatabaseEntry()
    {
        const QString path = testpaths::stageDir() + QStringLiteral("/dbxconnections.ini.exemplo");
        QVERIFY2(QFile::exists(path), qPrintable(path));
        const ConnectionParams params = ConnectionDefinition::leSecao(path, ConnectionDefinition::secao());
        QCOMPARE(params.size(), 1);
        QCOMPARE(params.first().first, QStringLiteral("Database"));
        QVERIFY(params.first().second.endsWith(QStringLiteral("CARTORIO.FDB")));
    }
};

QTEST_GUILESS_MAIN(TstExemploDbx)
#include "tst_exemplo_dbx.moc"
