#pragma once

#include "RelatorGravador.h"
#include "dblayer/KoDatabase.h"
#include "integracao/Configuracao.h"
#include "integracao/Integracao.h"
#include "integracoes/bruma/Bruma.h"

#include <memory>

#include <QString>
#include <QVariantMap>

#include <gtest/gtest.h>

// Where the machine queue of a test lives; both are reached through ODBC.
enum class TFilaBruma { Postgres, Sqlite };

// A fresh ERP (embedded Firebird file) and a fresh machine queue (PostgreSQL,
// or an SQLite file, reached through an ODBC data source) for every test,
// connected as the monitor connects them for the Bruma machines.
class FilaBrumaTeste : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The queue on SQLite instead of PostgreSQL; before Prepara.
    void UsaSqlite();

    // Loads sample rows into both databases, then opens the connections.
    void Prepara(const QString& sqlErp, const QString& sqlFila);
    // One Bruma cycle: ConsultaLotesBruma, then EnviaLotesBruma.
    void RodaCiclo();

    // The committed OB rows of a lot number as written (padded), column
    // names in upper case; read through a separate connection.
    QList<QVariantMap> LinhasOB(const QString& numeroOB);
    int TotalLinhasOB();
    // The committed STATUS_QX of a lot; "<NULL>" for NULL.
    QString StatusQx(const QString& numero);

    QString FBancoErp;
    QString FBancoFila;
    QString FDsn;
    TFilaBruma FFila = TFilaBruma::Postgres;
    TRelatorGravador FRelator;
    TKoDatabase FErp;
    TConfiguracao FConfiguracao;
    TContextoIntegracao FContexto{FErp, FRelator, FConfiguracao};
    std::unique_ptr<TBruma> FBruma;

private:
    QList<QVariantMap> ConsultaFila(const QString& sql);
};
