#pragma once

#include <QString>

// The sites the tests run the monitor on: the databases, made fresh, and
// the QX.ini that names them.
namespace SiteTeste {

// A fresh embedded Firebird ERP database (the ERP schema) and its path.
QString CriaErp();
// The [Banco1] section of an embedded Firebird ERP database.
QString SecaoBanco1(const QString& erp);

// A Bruma machine queue on the PostgreSQL test server (the queue schema,
// then `sql`), reached through a new ODBC data source; the data source's
// name.
QString CriaFilaBruma(const QString& sql);
// The [Banco2] section of such a queue.
QString SecaoBanco2(const QString& dsn);

// Two Bruma sites the tests run a cycle on, as the ERP rows and the
// queue's programme rows:
// - one lot, 4711, whose colour has its programme: it goes to the queue;
// - two lots, 1 with a colour code that is not a number (it fails) and 2
//   (it goes).
extern const char* const ErpLote4711;
extern const char* const FilaLote4711;
extern const char* const ErpLoteRuimEBom;
extern const char* const FilaLoteRuimEBom;

// A Bruma site: the ERP embedded, loaded with `sqlErp`, and the machine
// queue on PostgreSQL through ODBC, loaded with `sqlFila`; Ini is its
// QX.ini with the Bruma model active (naming `dsnNoIni` as the queue when
// given, a site's mistake).
struct TSiteBruma {
    QString Erp;
    QString Dsn;
    QString Ini;
};
TSiteBruma SiteBruma(const QString& sqlErp, const QString& sqlFila, const QString& dsnNoIni = {});

} // namespace SiteTeste
