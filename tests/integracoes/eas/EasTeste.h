#pragma once

#include "OutraConexao.h"
#include "RelatorGravador.h"
#include "dblayer/KoDatabase.h"
#include "integracao/Configuracao.h"
#include "integracao/Integracao.h"
#include "integracoes/eas/EsperaConsumo.h"
#include "integracoes/eas/Eas.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Texts in failure messages as text, not as bytes.
inline void PrintTo(const QString& texto, std::ostream* saida)
{
    *saida << '"' << texto.toStdString() << '"';
}

// Where the host exchange tables live in a test.
enum class THostTeste { FirebirdLocal, FirebirdServidor, Postgres };

std::string NomeHost(THostTeste host);

// A fresh ERP (embedded Firebird file) and a fresh host database for every
// test, connected as start-up connects them for EAS, with the consumption
// passes' pause shortened. The host is an embedded Firebird file unless a
// test says otherwise; on PostgreSQL the tables live in the schema "eas",
// named in sSchema as QX.ini's Schema= would.
class EasTeste : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates both databases with the sample rows and opens the connections.
    void Prepara(const QString& sqlErp, THostTeste host = THostTeste::FirebirdLocal);
    // One EAS cycle: RecebeDoEas, then EnviaParaEas.
    void RodaCiclo();

    // Changes committed through connections of their own, as the ERP and
    // the kitchen make them while the monitor runs.
    void ExecutaNoErp(const QString& sql, const QVariantMap& parametros = {});
    void ExecutaNoHost(const QString& sql, const QVariantMap& parametros = {});
    // A kitchen event posted unread in FTOHOST; returns its NRECNO.
    QString PostaEvento(const QString& tipo, const QString& datos);

    // Committed rows, each value as text ("<NULL>" for NULL).
    QList<QStringList> LinhasErp(const QString& sql);
    QList<QStringList> LinhasHost(const QString& sql);
    QString ValorErp(const QString& sql);
    // The DATOS of the FFROMHOST rows of a record type, in insertion order.
    QStringList Registros(const QString& tipo);
    // FECHA of every FFROMHOST row.
    QList<QDateTime> Momentos();
    // LEIDO of an FTOHOST row.
    QString Leido(const QString& nrecno);

    // The host table's name as the statements use it.
    QString Tabela(const QString& tabela) const;

    THostTeste FHost = THostTeste::FirebirdLocal;
    QString FBancoErp;
    QString FBancoHost;
    TRelatorGravador FRelator;
    TKoDatabase FErp;
    TConfiguracao FConfiguracao;
    TContextoIntegracao FContexto{FErp, FRelator, FConfiguracao};
    std::unique_ptr<TEas> FEas;
    std::unique_ptr<TEsperaConsumoCurta> FEsperaCurta;

private:
    void ConfiguraHost(TKoDatabase& banco) const;
    static void ConfiguraErp(TKoDatabase& banco, const QString& caminho);
    // How a connection of the test's own reaches the host.
    TOutraConexao::TServidor ServidorHost() const;
};

// The same tests on each kind of host database.
class EasEmCadaHost : public EasTeste, public ::testing::WithParamInterface<THostTeste> {};
