#pragma once

#include <QString>
#include <QStringList>

// A Bruma set-up on database servers, as a dye-house runs it: the ERP on the
// Firebird server and the machine queue on PostgreSQL through an ODBC data
// source (the test servers AmbienteTeste names). Lots are numbered from
// 100001, spread over ten machines and five colours, each colour with its
// programme chain. Every reading and writing here goes through a connection
// of its own, opened for it, so a server restarted in between does not
// matter.
class TCenarioBruma {
public:
    TCenarioBruma();
    // The queue database is dropped (the ERP file goes at the end of the run).
    ~TCenarioBruma();
    TCenarioBruma(const TCenarioBruma&) = delete;
    TCenarioBruma& operator=(const TCenarioBruma&) = delete;

    static QString NumeroLote(int i) { return QString::number(100000 + i); }
    // Lots `primeiro` to `ultimo`, pending, two items each.
    void InsereLotes(int primeiro, int ultimo);
    // A pending lot whose colour has no programme chain: every pass logs it
    // ("Programa não cadastrado") and leaves it pending.
    void InsereLoteSemPrograma(const QString& numero);

    // The QX.ini of a monitor on these databases, the Bruma model active.
    QString Ini() const;

    // Every lot pending again and the queue emptied, each side in one
    // transaction.
    void TornaPendentes();
    int Pendentes() const;
    // The lot numbers of the queue's rows (NUMEROOB without its padding),
    // one per row.
    QStringList NumerosNaFila() const;
    // The lots of `numeros` that are not exactly once in the queue and
    // marked "E" in the ERP, each with what is wrong; empty when all are.
    QStringList Divergencias(const QStringList& numeros) const;

    const QString& Erp() const { return FErp; }
    const QString& Dsn() const { return FDsn; }

private:
    QString FErp;   // host/port:path on the Firebird server
    QString FFila;  // the PostgreSQL database
    QString FDsn;
};
